#pragma once

#include <QToolButton>

namespace threadhop {

/// A button that opens a folder in the system's file manager. Always enabled; the outcome is
/// not reported.
class FinderButton final : public QToolButton {
    Q_OBJECT

public:
    explicit FinderButton(QString path, QWidget* parent = nullptr);

    const QString& path() const { return m_path; }

    /// The address handed to the file manager for `path`.
    static QUrl folderUrl(const QString& path);

private:
    QString m_path;
};

} // namespace threadhop
