#include "AccountsSidebar.h"

#include "AccountListModel.h"
#include "AccountRowDelegate.h"
#include "theme/Theme.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/widgets/ListSelectionBinding.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/RowPainter.h"

#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

using Change = AppEnvironment::Change;

AccountsSidebar::AccountsSidebar(AppEnvironment& env, QWidget* parent)
    : QWidget(parent),
      m_env(env),
      m_list(new QListView(this)),
      m_model(new AccountListModel(this)),
      m_emptyState(new EmptyStateView(this))
{
    setObjectName(u"accountsSidebar"_s);

    auto* header = new QLabel(AccountRowPresenter::sectionHeader(), this);
    header->setObjectName(u"accountsHeader"_s);
    QFont headerFont = Theme::font(TextStyle::caption);
    headerFont.setBold(true);
    header->setFont(headerFont);
    Theme::setTextColor(*header, Theme::secondaryText(header->palette()));
    header->setContentsMargins(12, 8, 12, 4);

    m_list->setObjectName(u"accountsList"_s);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new AccountRowDelegate(m_list));
    RowPainter::prepareList(*m_list);
    m_selection = new ListSelectionBinding(*m_list, AccountListModel::IdRole, [this](std::optional<std::string> id) {
        m_env.setSelectedAccountId(std::move(id));
    });

    m_emptyState->setObjectName(u"accountsEmptyState"_s);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(m_emptyState->overContent(m_list), 1);

    connect(&m_env, &AppEnvironment::changed, this, &AccountsSidebar::onChanged);
    onChanged(~AppEnvironment::Changes());
}

void AccountsSidebar::onChanged(AppEnvironment::Changes what)
{
    const bool rowsChanged = what.testAnyFlags(Change::accounts | Change::projectsByAccount);
    if (rowsChanged) {
        std::vector<AccountRowPresenter::Row> rows;
        for (const auto& account : m_env.accounts()) {
            rows.push_back(AccountRowPresenter::row(account, account.exists(), m_env.problems(account.id),
                                                    static_cast<std::int64_t>(m_env.projects(account.id).size())));
        }
        m_model->setRows(std::move(rows));
    }
    if (what.testAnyFlags(Change::accounts | Change::isScanning))
        m_emptyState->setState(AccountRowPresenter::emptyState(!m_env.accounts().empty(), m_env.isScanning()));
    if (rowsChanged || what.testFlag(Change::selectedAccountId))
        showSelection();
}

void AccountsSidebar::showSelection()
{
    const auto& id = m_env.selectedAccountId();
    m_selection->show(id ? m_model->rowOf(toQString(*id)) : -1);
}

} // namespace threadhop
