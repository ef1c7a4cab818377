#pragma once

#include <QWidget>

#include <optional>

namespace threadhop {

/// "Ready to resume", and for a project with a recorded directory the command that resumes its
/// conversations, a button that copies it and the menu that runs it in a terminal.
class ResumeHint final : public QWidget {
    Q_OBJECT

public:
    explicit ResumeHint(const std::optional<QString>& command, QWidget* parent = nullptr);
};

} // namespace threadhop
