#pragma once

#include "core/models/ProjectFolder.h"

#include <QWidget>

namespace threadhop {

/// The project folder's facts in two columns of small monospaced text, with copy buttons for the
/// folder name and the recorded directory.
class InfoGrid final : public QWidget {
    Q_OBJECT

public:
    explicit InfoGrid(const ProjectFolder& project, QWidget* parent = nullptr);
};

} // namespace threadhop
