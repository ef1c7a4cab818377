#pragma once

#include <QDialog>

namespace threadhop {

/// Says that a check for updates is running: the words "Checking for Updates…" over a busy bar. It
/// asks nothing; the application closes it when the check ends, before it tells the outcome.
class UpdateCheckingWindow final : public QDialog {
    Q_OBJECT

public:
    explicit UpdateCheckingWindow(QWidget* parent);
};

} // namespace threadhop
