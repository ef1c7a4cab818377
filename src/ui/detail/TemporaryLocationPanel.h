#pragma once

#include "ui/widgets/RoundedBox.h"

#include "core/models/ProjectFolder.h"

#include <optional>

namespace threadhop {

/// For a project recorded in a temporary folder that is gone: why nothing can be repaired, the
/// recorded directory, and "Give it a folder…" to give the conversations a permanent home.
class TemporaryLocationPanel final : public RoundedBox {
    Q_OBJECT

public:
    TemporaryLocationPanel(const ProjectFolder& project, const std::optional<QString>& actionNote,
                           QWidget* parent = nullptr);

signals:
    void giveFolderClicked();
};

} // namespace threadhop
