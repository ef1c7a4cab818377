#include "ListSelectionBinding.h"

#include "QtText.h"

#include <QAbstractItemView>

namespace threadhop {

ListSelectionBinding::ListSelectionBinding(
    QAbstractItemView& view, int idRole, std::function<void(std::optional<std::string>)> onChosen)
    : QObject(&view), m_view(view), m_idRole(idRole), m_onChosen(std::move(onChosen))
{
    connect(m_view.selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListSelectionBinding::take);
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
    m_onChosen(toStdString(selected.front().data(m_idRole).toString()));
}

} // namespace threadhop
