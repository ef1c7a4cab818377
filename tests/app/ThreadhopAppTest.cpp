// The application around its windows: the menu commands, launch, quitting, and the update check
// against a feed served by the test on the loopback address.
#include "app/ThreadhopApp.h"
#include "app/Appcast.h"
#include "app/UpdateCheck.h"
#include "app/UpdateController.h"
#include "app/VersionNumber.h"
#include "support/MigrationTest.h"
#include "support/ui/DrawnText.h"
#include "support/ui/FakeDiscovery.h"
#include "ui/help/HelpWindow.h"
#include "ui/window/RootView.h"

#include "core/migration/ConversationMigrator.h"
#include "core/operations/OperationSteps.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <map>
#include <memory>

namespace threadhop::testing {
namespace {

namespace Outcomes = UpdateCheck::Outcomes;

class ThreadhopAppTest : public MigrationTest {
protected:
    const AppEnvironment::Discovery discovery = FakeDiscovery().finding();

    static void waitForScan(ThreadhopApp& app) { testing::waitForScan(app.environment()); }
};

TEST_F(ThreadhopAppTest, ControlQuestionMarkOpensOneHelpWindowCentredOnTheMainWindow)
{
    // The support folder is made at launch; when it cannot be, the window opens all the same.
    writeFile(home() / ".local", "in the way");
    ThreadhopApp app(discovery, QUrl());
    app.start();
    waitForScan(app);
    auto* help = child<QAction>(*app.mainWindow().menuBar(), u"helpAction"_s);
    EXPECT_EQ(help->text(), u"Threadhop Help"_s);
    EXPECT_EQ(app.helpWindow(), nullptr) << "made on demand";
    ASSERT_TRUE(QTest::qWaitForWindowActive(&app.mainWindow()));
    QTest::keyClick(&app.mainWindow(), Qt::Key_Question, Qt::ControlModifier);
    HelpWindow* window = app.helpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), u"Threadhop Help"_s);
    const QPoint offCentre = window->geometry().center() - app.mainWindow().geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 4);

    help->trigger();
    EXPECT_EQ(app.helpWindow(), window) << "a second press brings the same window forward";
    EXPECT_EQ(std::ranges::count(QApplication::topLevelWidgets(), u"threadhop-help"_s, &QWidget::objectName), 1);
}

TEST_F(ThreadhopAppTest, ClosingTheLastWindowQuits)
{
    ThreadhopApp app(discovery, QUrl());
    app.start();
    waitForScan(app);
    app.openHelp();

    // Qt decides about quitting only inside the application's own event loop, so run it.
    bool runningWithHelpAlone = false;
    QTimer::singleShot(0, &app, [&] {
        app.mainWindow().close();
        QTimer::singleShot(50, &app, [&] {
            runningWithHelpAlone = true;
            app.helpWindow()->close();
        });
    });
    QTimer::singleShot(5000, &app, [] { QCoreApplication::exit(2); });
    EXPECT_EQ(QApplication::exec(), 0) << "the application did not quit";
    EXPECT_TRUE(runningWithHelpAlone) << "closing the main window quit while the help window was open";
}

TEST_F(ThreadhopAppTest, AnInterruptedMigrationIsPutRightAndToldOnceAtStart)
{
    oldProject();
    const auto before = snapshot(projects());
    {
        struct Crash { };
        const OperationSteps::ScopedHook crash([](OperationStep step) {
            if (step == OperationStep::moved)
                throw Crash{};
        });
        EXPECT_THROW(ConversationMigrator::migrate(input(), stamp), Crash);
    }
    ThreadhopApp app(discovery, QUrl());
    app.start();
    auto* alert = app.mainWindow().findChild<QMessageBox*>(u"interruptedOperationsAlert"_s);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(
        alert->informativeText(),
        u"A migration of -w-old to -w-new was interrupted. Every file was put back as it was before it started."_s);
    EXPECT_EQ(snapshot(projects()), before);
    alert->accept();

    ThreadhopApp again(discovery, QUrl());
    again.start();
    EXPECT_EQ(again.mainWindow().findChild<QMessageBox*>(u"interruptedOperationsAlert"_s), nullptr);
    waitForScan(app);
    waitForScan(again);
}

TEST_F(ThreadhopAppTest, AboutNamesTheApplicationAndCheckForUpdatesComesRightAfterIt)
{
    ThreadhopApp app(discovery, QUrl());
    QMenuBar& bar = *app.mainWindow().menuBar();
    auto* about = child<QAction>(bar, u"aboutAction"_s);
    auto* check = child<QAction>(bar, u"checkForUpdatesAction"_s);
    EXPECT_EQ(check->text(), u"Check for Updates…"_s);
    EXPECT_FALSE(check->isEnabled()) << "no feed address was built in";
    const QList<QAction*> items = qobject_cast<QMenu*>(about->associatedObjects().value(0))->actions();
    EXPECT_EQ(items.indexOf(check), items.indexOf(about) + 1);

    about->trigger();
    auto* box = app.mainWindow().findChild<QMessageBox*>(u"aboutBox"_s);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    const QString version = u"v"_s + QApplication::applicationVersion();
    EXPECT_EQ((QStringList{box->windowTitle(), box->text(), box->informativeText(),
                           child<QLabel>(app.mainWindow(), u"statusVersion"_s)->text()}),
              (QStringList{u"About Threadhop"_s, u"Threadhop"_s, version, version}));
}

QByteArray feed(const QByteArray& items)
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Threadhop</title>)"
        + items + "</channel></rss>\n";
}

TEST(UpdateCheckTest, VersionNumbersCompareComponentByComponent)
{
    using std::strong_ordering;
    const std::tuple<QString, QString, std::optional<strong_ordering>> cases[]{
        {u"1.10"_s, u"1.9"_s, strong_ordering::greater},
        {u"2.0"_s, u"2.0"_s, strong_ordering::equal},
        {u"1.2"_s, u"1.2.0"_s, strong_ordering::equal},
        {u"1.2.1"_s, u"1.2"_s, strong_ordering::greater},
        {u"0.1.0"_s, u"0.2.0"_s, strong_ordering::less},
        {u"007"_s, u"7"_s, strong_ordering::equal},
        {u"123456789012345678901"_s, u"99"_s, strong_ordering::greater},
        {u" 1.3 "_s, u"1.3"_s, strong_ordering::equal},
        {u"1..2"_s, u"1.2"_s, std::nullopt},
        {u"1.2b3"_s, u"1.2"_s, std::nullopt},
        {u""_s, u"1"_s, std::nullopt},
        {u"1"_s, u"v1"_s, std::nullopt},
        {u"1."_s, u"1"_s, std::nullopt},
    };
    for (const auto& [left, right, expected] : cases)
        EXPECT_EQ(VersionNumber::compare(left, right), expected) << left.toStdString() << " vs " << right.toStdString();
}

TEST(UpdateCheckTest, TheNewestItemDecidesWhateverItsPlaceInTheFeedAndOtherFeedsFailPlainly)
{
    const QByteArray items = feed(R"(
<item><title>Old</title><sparkle:version>1.9</sparkle:version><link>https://example.com/1.9</link></item>
<item><title>New</title><sparkle:version>110</sparkle:version>
  <sparkle:shortVersionString>1.10</sparkle:shortVersionString>
  <sparkle:releaseNotesLink>https://example.com/notes/1.10</sparkle:releaseNotesLink></item>
<item><title>Broken</title><sparkle:version>next</sparkle:version></item>
<item><enclosure url="https://example.com/1.5.tar.gz" sparkle:version="105"
  sparkle:shortVersionString="1.5"/></item>)");
    const std::vector<Appcast::Item> parsed{
        {u"1.9"_s, {}, QUrl(u"https://example.com/1.9"_s)},
        {u"110"_s, u"1.10"_s, QUrl(u"https://example.com/notes/1.10"_s)},
        {u"next"_s, {}, {}},
        {u"105"_s, u"1.5"_s, QUrl(u"https://example.com/1.5.tar.gz"_s)},
    };
    EXPECT_EQ(Appcast::parse(items), parsed);

    const std::pair<QString, UpdateCheck::Outcome> cases[]{
        {u"109"_s, Outcomes::Available{u"1.10"_s, QUrl(u"https://example.com/notes/1.10"_s)}},
        {u"110"_s, Outcomes::UpToDate{}},
        {u"111"_s, Outcomes::UpToDate{}},
        {u"dev"_s, Outcomes::Failed{u"This copy of Threadhop has a version number that cannot be compared."_s}},
    };
    for (const auto& [running, expected] : cases)
        EXPECT_EQ(UpdateCheck::judge(items, running), expected) << running.toStdString();

    const QString unreadable = u"The update information from the server could not be read."_s;
    const QString noVersion = u"The update information from the server names no version."_s;
    const std::pair<QByteArray, QString> failing[]{
        {"<html><body>Not found</body></html>", unreadable},         {"", unreadable},
        {"<rss><channel><item><sparkle:version>2.0", unreadable},    {feed(""), noVersion},
        {feed("<item><title>No version</title></item>"), noVersion},
    };
    for (const auto& [text, reason] : failing)
        EXPECT_EQ(UpdateCheck::judge(text, u"1.0"_s), UpdateCheck::Outcome(Outcomes::Failed{reason})) << text.data();
    // The local server below cannot fail these ways; a transfer that times out ends as a cancelled one.
    for (const auto error : {QNetworkReply::HostNotFoundError, QNetworkReply::OperationCanceledError}) {
        EXPECT_EQ(UpdateCheck::downloadFailed(error, 0).reason,
                  u"The update server could not be reached. Check the internet connection and try again."_s);
    }
}

/// Answers each GET with the response set for its path, 404 for any other path.
class FeedServer final : public QObject {
public:
    struct Response {
        int status = 200;
        QByteArray body;
        bool trickle = false; ///< one byte of the body now and then, never the whole of it
    };
    std::map<QByteArray, Response> responses;

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
                const Response response = found == responses.end() ? Response{404, "Not Found"} : found->second;
                socket->write("HTTP/1.1 " + QByteArray::number(response.status)
                              + " Answer\r\nContent-Type: application/rss+xml\r\nContent-Length: "
                              + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n");
                if (!response.trickle) {
                    socket->write(response.body);
                    socket->disconnectFromHost();
                    return;
                }
                auto* drip = new QTimer(socket);
                connect(drip, &QTimer::timeout, socket, [socket, body = response.body, sent = qsizetype(0)]() mutable {
                    if (sent < body.size() - 1)
                        socket->write(body.mid(sent++, 1));
                });
                drip->start(10);
            });
        }
    }

    QTcpServer m_server;
};

TEST_F(ThreadhopAppTest, EachUpdateCheckOutcomeInPlainWordsWithALinkOnlyToANewerVersion)
{
    FeedServer server;
    const auto item = [](const QByteArray& version, const QByteArray& link = "https://example.com/threadhop") {
        return feed("<item><sparkle:version>" + version
                    + "</sparkle:version><sparkle:shortVersionString>99.0</sparkle:shortVersionString><link>" + link
                    + "</link></item>");
    };
    server.responses["/up-to-date.xml"] = {200, item(UpdateController::builtVersion().toUtf8())};
    server.responses["/newer.xml"] = {200, item("999999")};
    server.responses["/newer-without-link.xml"] = {200, item("999999", "")};
    server.responses["/newer-with-file-link.xml"] = {200, item("999999", "file:///etc/passwd")};
    server.responses["/busy.xml"] = {503, "Busy"};
    // Well-formed and naming a newer version, but larger than any feed.
    QByteArray oversized = item("999999");
    oversized.insert(oversized.indexOf("<channel>"),
                     "<!-- " + QByteArray(UpdateController::feedSizeLimit, 'x') + " -->");
    server.responses["/oversized.xml"] = {200, oversized};

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QUrl nobodyListening(u"http://127.0.0.1:%1/feed.xml"_s.arg(closed.serverPort()));
    closed.close();

    const QString running = QApplication::applicationVersion();
    const QString failed = u"Could not check for updates"_s;
    const QString available = u"A new version of Threadhop is available"_s;
    const QString newer = u"Threadhop 99.0 is available; you have "_s + running + u"."_s;
    // feed → title, explanation, link button
    const std::tuple<QUrl, QString, QString, bool> cases[]{
        {server.url(u"/up-to-date.xml"_s), u"You’re up to date"_s,
         u"Threadhop "_s + running + u" is the newest version."_s, false},
        {server.url(u"/newer.xml"_s), available, newer, true},
        {server.url(u"/newer-without-link.xml"_s), available, newer, false},
        {server.url(u"/newer-with-file-link.xml"_s), available, newer, false},
        {server.url(u"/oversized.xml"_s), failed, u"The update information from the server is too large to be read."_s,
         false},
        {server.url(u"/missing.xml"_s), failed, u"The update information was not found on the server (HTTP 404)."_s,
         false},
        {server.url(u"/busy.xml"_s), failed, u"The update server answered with an error (HTTP 503)."_s, false},
        {nobodyListening, failed,
         u"The update server could not be reached. Check the internet connection and try again."_s, false},
    };
    for (const auto& [feed, title, explanation, link] : cases) {
        ThreadhopApp app(discovery, feed);
        auto* action = child<QAction>(*app.mainWindow().menuBar(), u"checkForUpdatesAction"_s);
        EXPECT_TRUE(action->isEnabled());
        action->trigger();
        EXPECT_FALSE(action->isEnabled()) << "disabled while the check runs";
        const auto checking = [&] { return app.mainWindow().findChild<QDialog*>(u"checkingForUpdatesWindow"_s); };
        ASSERT_NE(checking(), nullptr);
        EXPECT_TRUE(checking()->isVisible());
        QMessageBox* dialog = nullptr;
        ASSERT_TRUE(
            waitUntil([&] { return dialog = app.mainWindow().findChild<QMessageBox*>(u"updateCheckDialog"_s); }));
        EXPECT_TRUE(action->isEnabled()) << "enabled again once it is over";
        EXPECT_TRUE(waitUntil([&] { return checking() == nullptr; })) << "gone once the outcome is told";
        EXPECT_EQ(dialog->text(), title);
        EXPECT_EQ(dialog->informativeText(), explanation) << feed.toString().toStdString();
        EXPECT_EQ(dialog->findChild<QPushButton*>(u"openUpdateLinkButton"_s) != nullptr, link);
    }
}

TEST_F(ThreadhopAppTest, TheFeedsVersionsAndTheInterruptedFoldersShowAsWrittenNeverAsMarkupOrALink)
{
    const QString hostile[]{u"<b><font size=7 color=red>URGENT</font></b>"_s,
                            u"<a href=\"file:///etc/passwd\">open</a>"_s};
    FeedServer server;
    std::vector<std::pair<QUrl, QString>> feeds; // each feed with the version it shows
    for (const QString& version : hostile) {
        const QByteArray written = version.toHtmlEscaped().toUtf8();
        const QByteArray element = "/element-" + QByteArray::number(feeds.size()) + ".xml";
        const QByteArray enclosure = "/enclosure-" + QByteArray::number(feeds.size()) + ".xml";
        server.responses[element] = {200,
                                     feed("<item><sparkle:version>999999</sparkle:version><sparkle:shortVersionString>"
                                          + written + "</sparkle:shortVersionString></item>")};
        server.responses[enclosure] = {
            200,
            feed(R"(<item><enclosure url="https://example.com/t.tar.gz" sparkle:version="999999" )"
                 R"(sparkle:shortVersionString=")"
                 + written + "\"/></item>")};
        feeds.emplace_back(server.url(QString::fromUtf8(element)), version);
        feeds.emplace_back(server.url(QString::fromUtf8(enclosure)), version);
    }
    const QString available = u"A new version of Threadhop is available"_s;
    for (const auto& [address, version] : feeds) {
        ThreadhopApp app(discovery, address);
        child<QAction>(*app.mainWindow().menuBar(), u"checkForUpdatesAction"_s)->trigger();
        QMessageBox* dialog = nullptr;
        ASSERT_TRUE(
            waitUntil([&] { return dialog = app.mainWindow().findChild<QMessageBox*>(u"updateCheckDialog"_s); }));
        const QString said =
            u"Threadhop "_s + version + u" is available; you have "_s + QApplication::applicationVersion() + u"."_s;
        EXPECT_EQ(drawnTexts(*dialog), (std::vector<DrawnText>{{available}, {said}}))
            << address.toString().toStdString();
    }

    // Folder names hold no "/": the same markup without its closing tags.
    const std::string folders[]{"<b><font size=7 color=red>URGENT", "<a href=\"file:passwd\">open"};
    oldProject();
    for (const std::string& folder : folders) {
        fs::copy(projects() / "-w-old", projects() / folder, fs::copy_options::recursive);
        struct Crash { };
        const OperationSteps::ScopedHook crash([](OperationStep step) {
            if (step == OperationStep::moved)
                throw Crash{};
        });
        EXPECT_THROW(
            ConversationMigrator::migrate(input(folder, "/w/old", "/w/" + std::to_string(folder.size())), stamp),
            Crash);
    }
    ThreadhopApp app(discovery, QUrl());
    app.start();
    auto* alert = child<QMessageBox>(app.mainWindow(), u"interruptedOperationsAlert"_s);
    const QString told = alert->informativeText();
    EXPECT_EQ(drawnTexts(*alert),
              (std::vector<DrawnText>{{u"Threadhop was stopped while it was changing your conversations."_s}, {told}}));
    for (const std::string& folder : folders)
        EXPECT_TRUE(told.contains(QString::fromStdString(folder))) << told.toStdString();
    waitForScan(app);
}

TEST(UpdateControllerTest, AFeedThatTricklesInIsStoppedByTheDeadline)
{
    FeedServer server;
    server.responses["/trickle.xml"] = {200, feed("<item><sparkle:version>2.0</sparkle:version></item>"), true};
    UpdateController controller(server.url(u"/trickle.xml"_s), u"1.0"_s, std::chrono::milliseconds(200));
    std::optional<UpdateCheck::Outcome> outcome;
    QObject::connect(&controller, &UpdateController::checked, &controller,
                     [&](const UpdateCheck::Outcome& said) { outcome = said; });
    controller.checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(*outcome,
              UpdateCheck::Outcome(Outcomes::Failed{u"The update server took too long to answer. Try again later."_s}));
    EXPECT_TRUE(controller.canCheckForUpdates());
}

} // namespace
} // namespace threadhop::testing
