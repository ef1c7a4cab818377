#include "DesktopFileReveal.h"

#include "QtText.h"
#include "core/util/platform/FileReveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

void openFolderOf(const std::filesystem::path& file)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(file.parent_path().string())));
}

} // namespace

void DesktopFileReveal::reveal(const std::filesystem::path& file)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolderOf(file);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
                                       u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    call << QStringList{QUrl::fromLocalFile(toQString(file.string())).toString()} << QString();
    // Asked without waiting: a file manager that is slow to start must not freeze the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [file](QDBusPendingCallWatcher* answered) {
        if (answered->isError())
            openFolderOf(file);
        answered->deleteLater();
    });
}

void DesktopFileReveal::install()
{
    FileReveal::install(&DesktopFileReveal::reveal);
}

} // namespace threadhop
