#pragma once

#include "core/models/ProjectFolder.h"

#include <QWidget>

namespace threadhop {

/// The project's path as the title, with a button that copies the recorded directory, and its
/// resume status as a colored dot and label.
class DetailHeader final : public QWidget {
    Q_OBJECT

public:
    explicit DetailHeader(const ProjectFolder& project, QWidget* parent = nullptr);
};

} // namespace threadhop
