#include "Sheet.h"

#include "core/util/platform/FileReveal.h"
#include "theme/PlatformWords.h"
#include "ui/widgets/Buttons.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

Sheet::Sheet(std::function<void()> rescan, QWidget* parent)
    : QDialog(parent),
      m_rescan(std::move(rescan)),
      m_column(new QVBoxLayout),
      m_reveal(Buttons::plain(PlatformWords::say(u"Show backup in Finder"_s))),
      m_cancel(Buttons::plain(u"Cancel"_s)),
      m_primary(Buttons::prominent({})),
      m_close(Buttons::prominent(u"Close"_s))
{
    setWindowModality(Qt::WindowModal);
    connect(this, &QDialog::finished, this, &QObject::deleteLater);

    m_reveal->setObjectName(u"revealBackupButton"_s);
    m_cancel->setObjectName(u"cancelButton"_s);
    m_primary->setObjectName(u"primaryButton"_s);
    m_close->setObjectName(u"closeButton"_s);
    connect(m_reveal, &QPushButton::clicked, this, [this] {
        if (m_backup)
            FileReveal::reveal(*m_backup);
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_close, &QPushButton::clicked, this, &Sheet::closeAfterRun);

    auto* footer = new QHBoxLayout;
    footer->addWidget(m_reveal);
    footer->addStretch(1);
    footer->addWidget(m_cancel);
    footer->addWidget(m_primary);
    footer->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(14);
    m_column->setSpacing(14);
    layout->addLayout(m_column, 1);
    layout->addLayout(footer);
    showFooter();
}

void Sheet::setStage(SheetStage stage)
{
    m_stage = stage;
    showFooter();
    // The button that started the run is gone with the phase; "Close" is what the keyboard does next.
    if (stage == SheetStage::finished)
        m_close->setFocus(Qt::OtherFocusReason);
}

void Sheet::setBackup(std::optional<std::filesystem::path> backup)
{
    m_backup = std::move(backup);
    showFooter();
}

void Sheet::reject()
{
    switch (m_stage) {
    case SheetStage::idle:
        QDialog::reject();
        return;
    case SheetStage::running:
        return;
    case SheetStage::finished:
        closeAfterRun();
        return;
    }
}

void Sheet::keyPressEvent(QKeyEvent* event)
{
    // Return must never start an operation, whichever control has the focus.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Sheet::showFooter()
{
    const auto shown = SheetFooterPresenter::buttons(m_stage, m_backup.has_value());
    m_reveal->setVisible(shown.reveal);
    m_cancel->setVisible(shown.cancel);
    m_primary->setVisible(shown.primary);
    m_close->setVisible(shown.close);
}

void Sheet::closeAfterRun()
{
    m_rescan();
    accept();
}

} // namespace threadhop
