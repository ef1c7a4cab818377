#pragma once

#include "HelpContent.h"

#include <QScrollArea>

#include <vector>

namespace threadhop {

/// The help guide in a fixed 560 × 620 scrolling frame: each section's title, then its paragraphs as
/// plain selectable text, or as a command block with a copy button for a paragraph that begins "cd ".
class HelpView final : public QScrollArea {
    Q_OBJECT

public:
    explicit HelpView(const std::vector<HelpSection>& sections, QWidget* parent = nullptr);

    static constexpr QSize fixedSize{560, 620};
};

} // namespace threadhop
