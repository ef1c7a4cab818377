// "Check for Updates…" against a feed served by the test on the loopback address.
#include "app/ThreadhopApp.h"
#include "app/UpdateController.h"
#include "ui/window/RootView.h"
#include "support/ui/FakeDiscovery.h"
#include "support/ui/UiTest.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

#include <map>
#include <memory>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;

/// Answers each GET with the status and body set for its path, 404 for any other path.
class FeedServer final : public QObject {
public:
    std::map<QByteArray, std::pair<int, QByteArray>> responses;

    FeedServer()
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, &FeedServer::accept);
    }

    QUrl url(const QString& path) const
    {
        return QUrl(u"http://127.0.0.1:%1%2"_s.arg(m_server.serverPort()).arg(path));
    }

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            auto request = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                *request += socket->readAll();
                if (!request->contains("\r\n\r\n"))
                    return;
                const QByteArray path = request->split(' ').value(1);
                const auto found = responses.find(path);
                const auto [status, body]
                    = found == responses.end() ? std::pair(404, QByteArray("Not Found")) : found->second;
                socket->write("HTTP/1.1 " + QByteArray::number(status)
                    + " Answer\r\nContent-Type: application/rss+xml\r\nContent-Length: "
                    + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
};

QByteArray feed(const QByteArray& version, const QByteArray& shortVersion)
{
    return R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><item><title>Threadhop</title><sparkle:version>)"
        + version + "</sparkle:version><sparkle:shortVersionString>" + shortVersion
        + "</sparkle:shortVersionString><link>https://example.com/threadhop/releases</link></item></channel></rss>";
}

class UpdateControllerTest : public testing::HomeTest {
protected:
    testing::FakeDiscovery fake;
    FeedServer server;

    UpdateControllerTest()
    {
        fake.gate->openForAll();
        server.responses["/up-to-date.xml"] = {200, feed(UpdateController::builtVersion().toUtf8(), "current")};
        server.responses["/newer.xml"] = {200, feed("999999", "99.0")};
        server.responses["/malformed.xml"] = {200, "<rss><channel><item><sparkle:version>2.0"};
    }

    /// Chooses "Check for Updates…" and returns the dialog that reports the outcome.
    static QMessageBox* check(ThreadhopApp& app)
    {
        auto* action = child<QAction>(*app.mainWindow().menuBar(), u"checkForUpdatesAction"_s);
        EXPECT_TRUE(action->isEnabled());
        action->trigger();
        EXPECT_FALSE(action->isEnabled()) << "disabled while the check runs";
        QMessageBox* dialog = nullptr;
        EXPECT_TRUE(testing::waitUntil([&] {
            dialog = app.mainWindow().findChild<QMessageBox*>(u"updateCheckDialog"_s);
            return dialog != nullptr;
        }));
        EXPECT_TRUE(action->isEnabled()) << "enabled again once it is over";
        return dialog;
    }
};

TEST_F(UpdateControllerTest, UpToDateAndNewerVersion)
{
    ThreadhopApp upToDate(fake.discovery(), server.url(u"/up-to-date.xml"_s));
    QMessageBox* dialog = check(upToDate);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->text(), u"You’re up to date"_s);
    EXPECT_EQ(dialog->informativeText(),
        u"Threadhop "_s + QApplication::applicationVersion() + u" is the newest version."_s);
    EXPECT_EQ(dialog->findChild<QPushButton*>(u"openUpdateLinkButton"_s), nullptr);

    ThreadhopApp newer(fake.discovery(), server.url(u"/newer.xml"_s));
    dialog = check(newer);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->text(), u"A new version of Threadhop is available"_s);
    EXPECT_EQ(dialog->informativeText(),
        u"Threadhop 99.0 is available; you have "_s + QApplication::applicationVersion() + u"."_s);
    EXPECT_NE(dialog->findChild<QPushButton*>(u"openUpdateLinkButton"_s), nullptr);
}

TEST_F(UpdateControllerTest, FailuresInPlainWords)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QUrl nobodyListening(u"http://127.0.0.1:%1/feed.xml"_s.arg(closed.serverPort()));
    closed.close();

    const std::pair<QUrl, QString> cases[]{
        {server.url(u"/missing.xml"_s), u"The update information was not found on the server (HTTP 404)."_s},
        {server.url(u"/malformed.xml"_s), u"The update information from the server could not be read."_s},
        {nobodyListening, u"The update server could not be reached. Check the internet connection and try again."_s},
    };
    for (const auto& [feed, reason] : cases) {
        ThreadhopApp app(fake.discovery(), feed);
        QMessageBox* dialog = check(app);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->text(), u"Could not check for updates"_s);
        EXPECT_EQ(dialog->informativeText(), reason) << feed.toString().toStdString();
    }
}

} // namespace
} // namespace threadhop
