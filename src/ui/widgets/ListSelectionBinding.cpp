#include "ListSelectionBinding.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace threadhop {

ListSelectionBinding::ListSelectionBinding(QAbstractItemView& view, int idRole,
                                           std::function<void(std::optional<std::string>)> onChosen)
    : QObject(&view), m_view(view), m_idRole(idRole), m_onChosen(std::move(onChosen))
{
    connect(m_view.selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListSelectionBinding::take);
    m_view.installEventFilter(this);
}

bool ListSelectionBinding::eventFilter(QObject* watched, QEvent* event)
{
    // The view keeps a current row without a selection, and an arrow would move on from it: the
    // first Down would choose the row below the one the user sees the focus on.
    if (watched != &m_view || event->type() != QEvent::KeyPress || m_view.selectionModel()->hasSelection())
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int rows = m_view.model()->rowCount();
    if ((key != Qt::Key_Down && key != Qt::Key_Up) || rows == 0)
        return QObject::eventFilter(watched, event);
    QModelIndex row = m_view.currentIndex();
    if (!row.isValid())
        row = m_view.model()->index(key == Qt::Key_Down ? 0 : rows - 1, 0);
    m_view.selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    return true;
}

void ListSelectionBinding::show(int row)
{
    m_showing = true;
    if (row < 0)
        m_view.selectionModel()->clearSelection();
    else
        m_view.selectionModel()->setCurrentIndex(m_view.model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    m_showing = false;
}

void ListSelectionBinding::take()
{
    if (m_showing)
        return;
    const auto selected = m_view.selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        m_onChosen(std::nullopt);
        return;
    }
    m_onChosen(selected.front().data(m_idRole).toByteArray().toStdString());
}

} // namespace threadhop
