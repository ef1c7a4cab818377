#include "AppStatusBar.h"

#include "AppStatusBarPresenter.h"
#include "theme/Symbols.h"
#include "theme/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

// The elapsed time is shown to the second at first, so the text is refreshed that often.
constexpr auto clockInterval = std::chrono::seconds(1);

QLabel* captionLabel(const QString& text, const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    label->setFont(Theme::font(TextStyle::caption));
    return label;
}

QLabel* separator(const QString& text, QWidget* parent)
{
    auto* label = captionLabel(text, u"statusSeparator"_s, parent);
    Theme::setTextColor(*label, Theme::tertiaryText(label->palette()));
    return label;
}

} // namespace

AppStatusBar::AppStatusBar(AppEnvironment& env, const BuildSettings& build, QWidget* parent)
    : QFrame(parent), m_env(env), m_liveState(captionLabel({}, u"statusLiveState"_s, this)), m_clock(new QTimer(this))
{
    setObjectName(u"appStatusBar"_s);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->setSpacing(10);

    if (const QIcon icon = Symbols::appIcon(); !icon.isNull()) {
        auto* image = new QLabel(this);
        image->setObjectName(u"statusAppIcon"_s);
        image->setPixmap(icon.pixmap(16, 16));
        layout->addWidget(image);
    }
    auto* name = captionLabel(u"Threadhop"_s, u"statusAppName"_s, this);
    QFont nameFont = name->font();
    nameFont.setWeight(QFont::Medium);
    name->setFont(nameFont);
    layout->addWidget(name);

    auto* version =
        captionLabel(AppStatusBarPresenter::version(build.version, build.buildNumber), u"statusVersion"_s, this);
    Theme::setTextColor(*version, Theme::secondaryText(version->palette()));
    layout->addWidget(version);
    layout->addWidget(separator(u"·"_s, this));
    Theme::setTextColor(*m_liveState, Theme::secondaryText(m_liveState->palette()));
    layout->addWidget(m_liveState);
    layout->addStretch(1);
    layout->addSpacing(12);

    if (AppStatusBarPresenter::showsProductLink(build.productPageURL)) {
        layout->addWidget(separator(u"|"_s, this));
        auto* link = captionLabel({}, u"productPageLink"_s, this);
        link->setTextFormat(Qt::RichText);
        link->setText(u"<a href=\"%1\">Threadhop Home</a>"_s.arg(build.productPageURL.toHtmlEscaped()));
        link->setOpenExternalLinks(true);
        layout->addWidget(link);
    }

    connect(&m_env, &AppEnvironment::changed, this, &AppStatusBar::showLiveState);
    connect(m_clock, &QTimer::timeout, this, &AppStatusBar::showLiveState);
    m_clock->start(clockInterval);
    showLiveState();
}

void AppStatusBar::showLiveState()
{
    m_liveState->setText(AppStatusBarPresenter::liveState(m_env.isScanning(), m_env.lastScanFinished(),
                                                          m_env.totalProjects(), std::chrono::system_clock::now()));
}

} // namespace threadhop
