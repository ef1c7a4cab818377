#include "HistoryView.h"

#include "HistoryPresenter.h"
#include "HistoryRowDelegate.h"
#include "theme/Theme.h"
#include "ui/jobs/BackgroundJob.h"
#include "ui/widgets/Buttons.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/PlainText.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/RowPainter.h"
#include "ui/widgets/WrappingText.h"

#include "core/migration/RestoreManager.h"
#include "core/operations/MigrationAudit.h"
#include "core/util/format/DateText.h"
#include "core/util/fs/FileMetadata.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

QFrame* divider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// An alert over the history window that goes away by itself once answered.
QMessageBox* alert(QMessageBox::Icon icon, const QString& title, const QString& text, const QString& name,
                   QWidget* parent)
{
    QMessageBox* box = PlainText::messageBox(icon, title, title, text, parent);
    box->setObjectName(name);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

} // namespace

HistoryView::HistoryView(AppEnvironment& env, QWidget* parent)
    : QDialog(parent),
      m_env(env),
      m_notice(new WrappingText(QString(), Theme::font(TextStyle::caption), this)),
      m_empty(new EmptyStateView(this)),
      m_list(new QListView(this)),
      m_delegate(new HistoryRowDelegate(this))
{
    setObjectName(u"historyWindow"_s);
    setWindowTitle(u"Migration history"_s);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(fixedSize);

    QLabel* title = Labels::plain(u"Migration history"_s, Theme::font(TextStyle::title2, QFont::DemiBold));
    title->setObjectName(u"historyTitle"_s);
    QPushButton* close = Buttons::plain(u"Close"_s);
    close->setObjectName(u"historyCloseButton"_s);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(16, 16, 16, 16);
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(close);

    m_notice->setObjectName(u"historyNotice"_s);
    m_notice->setColor([](const QPalette& palette) { return Theme::secondaryText(palette); });
    m_notice->setFocusPolicy(Qt::ClickFocus); // a notice: the window's first focus stays where it was
    // The row hides with its margins: with nothing to say, the list follows the divider.
    auto* noticeRow = new QWidget(this);
    auto* noticeLayout = new QVBoxLayout(noticeRow);
    noticeLayout->setContentsMargins(16, 8, 16, 8);
    noticeLayout->addWidget(m_notice);
    noticeRow->hide();
    m_empty->setObjectName(u"historyEmptyState"_s);
    m_list->setObjectName(u"historyList"_s);
    RowPainter::prepareList(*m_list);
    // Rows are not chosen: the current one only says which "Restore" Space presses.
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setBackgroundRole(QPalette::Window);
    m_list->viewport()->setBackgroundRole(QPalette::Window);
    m_list->setModel(&m_model);
    m_list->setItemDelegate(m_delegate);
    m_list->installEventFilter(this);
    connect(m_delegate, &HistoryRowDelegate::restoreRequested, this, &HistoryView::confirm);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(titleRow);
    layout->addWidget(divider());
    layout->addWidget(noticeRow);
    layout->addWidget(m_empty, 1);
    layout->addWidget(m_list, 1);

    // A rescan can add or take away the account a record belongs to, which decides its slot.
    connect(&m_env, &AppEnvironment::changed, this, [this](AppEnvironment::Changes what) {
        if (m_loaded && what.testFlag(AppEnvironment::Change::accounts))
            m_model.judgeSlots(m_env.accounts());
    });
    showList();
}

void HistoryView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_loaded)
        return;
    m_loaded = true;
    load();
}

void HistoryView::load()
{
    auto history = MigrationAudit::read();
    const auto notice =
        HistoryPresenter::notice(history, MigrationAudit::historyFile(), MigrationAudit::setAsideHistories());
    m_model.setRecords(std::move(history.records), m_env.accounts());
    m_notice->setPlainText(notice.value_or(QString()));
    m_notice->parentWidget()->setVisible(notice.has_value());
    showList();
}

void HistoryView::showList()
{
    const bool empty = m_model.rowCount() == 0;
    m_empty->setState(
        empty ? std::optional(EmptyState{u"No migrations yet"_s, Symbol::clockArrowCirclepath, std::nullopt})
              : std::nullopt);
    m_list->setVisible(!empty);
}

bool HistoryView::eventFilter(QObject* watched, QEvent* event)
{
    // Space presses the current row's "Restore", as it presses a focused button.
    if (watched == m_list && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space
        && m_list->currentIndex().isValid()) {
        const int row = m_list->currentIndex().row();
        if (std::holds_alternative<HistoryPresenter::RestoreSlots::Button>(m_model.entry(row).slot))
            confirm(row);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void HistoryView::confirm(int row)
{
    const MigrationRecord record = m_model.entry(row).record;
    const ClaudeAccount* account = accountWithId(m_env.accounts(), record.accountId);
    const bool oldFolderExists =
        account && FileMetadata::itemExists(HistoryPresenter::projectsRoot(*account) / record.oldFolder);
    QMessageBox* box =
        alert(QMessageBox::Warning, u"Restore from backup?"_s,
              HistoryPresenter::confirmationMessage(record, oldFolderExists), u"restoreConfirmation"_s, this);
    QPushButton* restore = box->addButton(u"Restore"_s, QMessageBox::DestructiveRole);
    restore->setObjectName(u"confirmRestoreButton"_s);
    QPushButton* cancel = box->addButton(u"Cancel"_s, QMessageBox::RejectRole);
    cancel->setObjectName(u"cancelRestoreButton"_s);
    // Return must not undo a migration by itself.
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(box, &QMessageBox::finished, this, [this, box, restore, record] {
        if (box->clickedButton() == restore)
            performRestore(record);
    });
    box->open();
}

void HistoryView::performRestore(const MigrationRecord& record)
{
    const ClaudeAccount* account = accountWithId(m_env.accounts(), record.accountId);
    if (!account) {
        showFailure(HistoryPresenter::accountGone(record));
        return;
    }
    // Synchronous by design: the window waits for tar, and nothing else can change the folders meanwhile.
    try {
        RestoreManager::restore(record, HistoryPresenter::projectsRoot(*account),
                                DateText::localStamp(std::chrono::system_clock::now()), m_model.records());
    } catch (...) {
        showFailure(toQString(BackgroundJob::describeCurrentException()));
        return;
    }
    load();
    m_env.scan();
}

void HistoryView::showFailure(const QString& text)
{
    QMessageBox* box = alert(QMessageBox::Critical, u"Restore failed"_s, text, u"restoreFailedAlert"_s, this);
    box->addButton(u"OK"_s, QMessageBox::AcceptRole)->setObjectName(u"restoreFailedOkButton"_s);
    box->open();
}

} // namespace threadhop
