// The real program started with a sequence file, on a private X server: with
// a tray host it plays with only its icon to be seen and ends by itself; the
// icon's menu shows the window or ends the run, in an XEmbed tray and
// through a StatusNotifierItem host; without a tray host the window comes up
// minimised and the run still ends by itself. A file that ends early plays
// without a question; one that cannot be read ends the run with a failure
// code.
#include "support/E2eSession.h"
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/SessionBus.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

using namespace quorvel::test;
using Kind = RecordedEvent::Kind;

namespace {

const QRect kClickArea(0, 0, 1280, 240);

std::vector<QPoint> pressesOf(const std::vector<RecordedEvent>& events)
{
    std::vector<QPoint> points;
    for (const RecordedEvent& e : events)
        if (e.isButton(Kind::Press, 1))
            points.emplace_back(e.x, e.y);
    return points;
}

// Two rows played twice: (300, 100), (600, 150), (300, 100), (600, 150).
QString twoRowsTwice()
{
    return writeSequence(QStringLiteral("two-rows.tpx"), 2, {clickAt(300, 100, 200), clickAt(600, 150, 200)});
}
const std::vector<QPoint> kTwoRowsTwice{{300, 100}, {600, 150}, {300, 100}, {600, 150}};

// One run that plays a row a minute until it is stopped.
QString slowEndless()
{
    return writeSequence(QStringLiteral("slow.tpx"), 0, {clickAt(300, 100, 60000)});
}

// The entries of a com.canonical.dbusmenu layout, (ia{sv}av), below its root:
// their identifiers, and their labels with "-" for a separator.
void readMenuEntries(const QDBusArgument& layout, std::vector<int>& ids, QStringList& labels)
{
    int id = 0;
    QVariantMap properties;
    layout.beginStructure();
    layout >> id >> properties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const QDBusArgument entry = child.variant().value<QDBusArgument>();
        int childId = 0;
        QVariantMap childProperties;
        entry.beginStructure();
        entry >> childId >> childProperties;
        entry.endStructure(); // each begin has its end, or its reader is never freed
        ids.push_back(childId);
        labels << (childProperties.value(QStringLiteral("type")) == QLatin1String("separator")
                       ? QStringLiteral("-")
                       : childProperties.value(QStringLiteral("label")).toString());
    }
    layout.endArray();
    layout.endStructure();
}

// Two whole clicks and part of a third, played once, under a header that
// states five. The clicks stay clear of the top left corner, where Qt draws
// the notice while the icon is not docked yet.
QString cutFile()
{
    const QString path = writeSequence(QStringLiteral("cut.tpx"), 1,
                                       {clickAt(700, 180, 700), clickAt(1000, 200, 700), clickAt(1200, 220, 700)});
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.resize(8 + 26 * 2 + 10) || file.write("\5\0\0\0", 4) != 4)
        return QString();
    return path;
}

} // namespace

class UnattendedRunTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void playsWithOnlyTheIconAndEndsByItself();
    void iconMenuShowsTheWindowAndExits();
    void statusNotifierHostShowsTheExportedMenu();
    void withoutATrayTheWindowStandsInMinimised();
    void cutFilePlaysWhatItHoldsWithoutAQuestion();
    void unreadableFileEndsTheRunWithAFailureCode_data();
    void unreadableFileEndsTheRunWithAFailureCode();

private:
    std::unique_ptr<XvfbServer> m_server;
};

void UnattendedRunTest::init()
{
    m_server = std::make_unique<XvfbServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    m_server->exportDisplay();
    QVERIFY(writeProfile(""));
}

void UnattendedRunTest::cleanup()
{
    m_server.reset();
}

void UnattendedRunTest::playsWithOnlyTheIconAndEndsByItself()
{
    TrayHost tray;
    QVERIFY2(tray.start(), qPrintable(tray.errorString()));
    const QString file = twoRowsTwice();
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickArea;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));

    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    QVERIFY2(waitForProgramWindowIn(tray.panel()), "no icon in the tray");
    QVERIFY(visibleWindows(kMainWindowPattern).isEmpty());

    const std::vector<RecordedEvent> events = recorder.take(8, 10000);
    QVERIFY2(pressesOf(events) == kTwoRowsTwice, qPrintable(describe(events)));
    QVERIFY2(program.waitForExit(10000), "the run did not end by itself");
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(programWindows().empty()); // the icon is gone with it
    QVERIFY(visibleWindows(kMainWindowPattern).isEmpty());
}

void UnattendedRunTest::iconMenuShowsTheWindowAndExits()
{
    TrayHost tray;
    QVERIFY2(tray.start(), qPrintable(tray.errorString()));
    const QString file = slowEndless();
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    const auto icon = waitForProgramWindowIn(tray.panel());
    QVERIFY2(icon, "no icon in the tray");
    QTest::qWait(300);
    QVERIFY(visibleWindows(kMainWindowPattern).isEmpty());

    // Right button on the icon: the menu; Down, Down, Enter: "Show".
    QVERIFY(click(icon->geometry.center(), 3));
    const auto menu = waitForNewProgramWindow({*icon});
    QVERIFY2(menu, "no menu");
    QVERIFY(keys({"Down", "Down", "Return"}));
    QVERIFY2(waitForWindow(kMainWindowPattern, 5000), "Show did not bring up the window");
    QVERIFY(program.isRunning());

    // A left click on the icon does nothing.
    const std::vector<ShownWindow> before = programWindows();
    QVERIFY(click(icon->geometry.center(), 1));
    QVERIFY(!waitForNewProgramWindow(before, 700));

    // Again the menu, Down, Enter: "Exit" ends the run (nothing was changed,
    // so nothing is asked).
    QVERIFY(click(icon->geometry.center(), 3));
    QVERIFY2(waitForNewProgramWindow(before), "no menu");
    QVERIFY(keys({"Down", "Return"}));
    QVERIFY2(program.waitForExit(10000), "Exit did not end the program");
    QCOMPARE(program.exitCode(), 0);
}

void UnattendedRunTest::statusNotifierHostShowsTheExportedMenu()
{
    SessionBus bus;
    QVERIFY2(bus.start(), qPrintable(bus.errorString()));
    BoundedProcess watcher;
    QVERIFY(watcher.start(qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/snwatcher"), {}));
    QCOMPARE(watcher.readLine(10000).value_or("(nothing)"), QByteArray("ready"));

    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {slowEndless()}), qPrintable(program.errorString()));
    const QByteArray registered = watcher.readLine(15000).value_or("(nothing)");
    QVERIFY2(registered.startsWith("registered "), registered.constData());
    const QString item = QString::fromUtf8(registered.mid(11));
    QVERIFY(visibleWindows(kMainWindowPattern).isEmpty());

    // The host's side: the item's menu, and its entries in their order.
    QDBusConnection host = QDBusConnection::connectToBus(bus.address(), QStringLiteral("host"));
    QDBusMessage call =
        QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Menu");
    QDBusMessage reply = host.call(call, QDBus::Block, 5000);
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    const QString menu = reply.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    const QString dbusMenu = QStringLiteral("com.canonical.dbusmenu");
    call = QDBusMessage::createMethodCall(item, menu, dbusMenu, QStringLiteral("GetLayout"));
    call << 0 << -1 << QStringList();
    reply = host.call(call, QDBus::Block, 5000);
    QCOMPARE(reply.arguments().size(), 2);
    std::vector<int> ids;
    QStringList labels;
    readMenuEntries(reply.arguments()[1].value<QDBusArgument>(), ids, labels);
    QCOMPARE(labels, (QStringList{"Exit", "-", "Show"}));

    // Choosing "Show", then "Exit", as the host does when they are clicked.
    const auto click = [&](int id) {
        QDBusMessage event = QDBusMessage::createMethodCall(item, menu, dbusMenu, QStringLiteral("Event"));
        event << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
        return host.call(event, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    };
    QVERIFY(click(ids[2]));
    QVERIFY2(waitForWindow(kMainWindowPattern, 5000), "Show did not bring up the window");
    QVERIFY(program.isRunning());
    QVERIFY(click(ids[0]));
    QVERIFY2(program.waitForExit(10000), "Exit did not end the program");
    QCOMPARE(program.exitCode(), 0);
    QDBusConnection::disconnectFromBus(QStringLiteral("host"));
}

void UnattendedRunTest::withoutATrayTheWindowStandsInMinimised()
{
    const QString file = twoRowsTwice();
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickArea;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));

    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    const auto window = waitForWindow(kMainWindowPattern);
    QVERIFY2(window, "the window did not come up");
    QVERIFY2(asksToBeMinimised(*window), "the window is not minimised");

    const std::vector<RecordedEvent> events = recorder.take(8, 10000);
    QVERIFY2(pressesOf(events) == kTwoRowsTwice, qPrintable(describe(events)));
    QVERIFY2(program.waitForExit(10000), "the run did not end by itself");
    QCOMPARE(program.exitCode(), 0);
}

void UnattendedRunTest::cutFilePlaysWhatItHoldsWithoutAQuestion()
{
    TrayHost tray;
    QVERIFY2(tray.start(), qPrintable(tray.errorString()));
    const QString file = cutFile();
    QVERIFY(!file.isEmpty());
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickArea;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));

    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    const auto icon = waitForProgramWindowIn(tray.panel());
    QVERIFY2(icon, "no icon in the tray");
    QVERIFY2(waitForNewProgramWindow({*icon}), "no notification from the icon");

    const std::vector<RecordedEvent> events = recorder.take(4, 10000);
    QVERIFY2(pressesOf(events) == (std::vector<QPoint>{{700, 180}, {1000, 200}}), qPrintable(describe(events)));
    QVERIFY2(program.waitForExit(10000), "the run did not end by itself");
    QCOMPARE(program.exitCode(), 0);
    const QByteArray err = program.readAllStandardError();
    QVERIFY2(err.contains(QString("\"%1\" ends early: 2 of the 5 clicks").arg(file).toUtf8()), err.constData());
}

void UnattendedRunTest::unreadableFileEndsTheRunWithAFailureCode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // none: a folder
    QTest::addColumn<QString>("said");
    QTest::newRow("folder") << "folder.tpx" << QByteArray() << "\"%1\": it is a folder.";
    // A header that states two clicks, and none after it: nothing to play.
    QTest::newRow("header only") << "header.tpx" << QByteArray("\2\0\0\0\0\0\0\0", 8)
                                 << "\"%1\" ends early: 0 of the 2 clicks";
}

void UnattendedRunTest::unreadableFileEndsTheRunWithAFailureCode()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, said);
    const QString path = qEnvironmentVariable("HOME") + QLatin1Char('/') + name;
    QFile file(path);
    QVERIFY(bytes.isEmpty() ? QDir().mkpath(path) : file.open(QIODevice::WriteOnly) && file.write(bytes) == 8);
    file.close();
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {path}), qPrintable(program.errorString()));
    QVERIFY2(answerMessageBox(), "no message box to answer");
    QVERIFY2(program.waitForExit(10000), "the run did not end");
    QCOMPARE(program.exitCode(), 1);
    const QByteArray err = program.readAllStandardError();
    QVERIFY2(err.contains(said.arg(path).toUtf8()), err.constData());
}

QUORVEL_TEST_MAIN_CORE(UnattendedRunTest)
#include "tst_unattended_e2e.moc"
