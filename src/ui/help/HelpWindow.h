#pragma once

#include "HelpContent.h"

#include <QWidget>

#include <vector>

namespace threadhop {

/// The "Threadhop Help" window, fitted to the help view. Escape and Ctrl+W close it.
class HelpWindow final : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(const std::vector<HelpSection>& sections, QWidget* parent = nullptr);
};

} // namespace threadhop
