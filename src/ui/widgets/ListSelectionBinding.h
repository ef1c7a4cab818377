#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class QAbstractItemView;

namespace threadhop {

/// Ties a single-selection list to an id held elsewhere (the shared state): the user's choice is
/// written through `onChosen`, and `show` marks a row without writing anything back. While no row is
/// selected, the first arrow chooses the row the keyboard is on (the first, once the list has the
/// focus), and where it is on none, Down chooses the first row and Up the last.
class ListSelectionBinding final : public QObject {
    Q_OBJECT

public:
    /// `idRole`: the model role that holds each row's id as its bytes (a QByteArray): a folder's
    /// name need not be UTF-8, and through a QString it would no longer name the folder.
    ListSelectionBinding(QAbstractItemView& view, int idRole, std::function<void(std::optional<std::string>)> onChosen);

    /// Selects `row`, or clears the selection for -1.
    void show(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void take();

    QAbstractItemView& m_view;
    int m_idRole;
    std::function<void(std::optional<std::string>)> m_onChosen;
    bool m_showing = false;
};

} // namespace threadhop
