#pragma once

#include <QWidget>

namespace threadhop {

/// The "Threadhop Help" window: a fixed 560 × 620 frame around the help content.
class HelpWindow final : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    static constexpr QSize fixedContentSize{560, 620};
};

} // namespace threadhop
