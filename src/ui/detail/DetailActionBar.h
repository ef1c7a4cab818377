#pragma once

#include "core/models/ProjectFolder.h"

#include <QWidget>

#include <optional>

namespace threadhop {

/// Shown while the recorded directory exists: the button that opens it in the file manager,
/// "Move to…", and the note left by the last choice of a destination.
class DetailActionBar final : public QWidget {
    Q_OBJECT

public:
    DetailActionBar(const ProjectFolder& project, const std::optional<QString>& actionNote, QWidget* parent = nullptr);

signals:
    void moveToClicked();
};

} // namespace threadhop
