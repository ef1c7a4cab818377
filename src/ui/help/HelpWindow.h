#pragma once

#include "HelpContent.h"

#include <QWidget>

#include <vector>

namespace threadhop {

/// The "Threadhop Help" window: a fixed 560 × 620 frame around the help content. Escape and Ctrl+W
/// close it.
class HelpWindow final : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(const std::vector<HelpSection>& sections, QWidget* parent = nullptr);

    static constexpr QSize fixedContentSize{560, 620};
};

} // namespace threadhop
