// The real program: its command line, a start without a display or with a
// dead one, and on a private X server one centred main window that Esc
// closes with exit code 0, whose fields a screen reader hears by their labels.
#include "support/BoundedProcess.h"
#include "support/Desktop.h"
#include "support/SessionBus.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QtTest>

using namespace quorvel::test;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void helpAndVersion();
    void unknownOptionIsAnError();
    void noDisplayOrADeadOneIsSaidInOneLine();
    void oneCentredWindowThatEscCloses();
    void serverWithoutXTestIsSaidPlainly();
    void screenReadersHearFieldsByTheirLabels();
};

void StartupTest::helpAndVersion()
{
    ProcessOutput out = runBounded(programPath(), {QStringLiteral("--help")});
    QVERIFY2(out.succeeded(), qPrintable(out.describe()));
    QVERIFY(out.standardOutput.startsWith("Usage: quorvel [FILE]"));
    out = runBounded(programPath(), {QStringLiteral("--version")});
    QVERIFY2(out.succeeded(), qPrintable(out.describe()));
    QVERIFY(out.standardOutput.startsWith("quorvel 1.0.0.1\nLicense GPL-3.0-or-later"));
}

void StartupTest::unknownOptionIsAnError()
{
    const ProcessOutput out = runBounded(programPath(), {QStringLiteral("--bogus"), QStringLiteral("a.tpx")});
    QVERIFY(out.finished);
    QCOMPARE(out.exitCode, 2);
    QVERIFY(out.standardOutput.isEmpty());
    QVERIFY(out.standardError.startsWith("quorvel: unknown option '--bogus'\nUsage: quorvel [FILE]"));
}

void StartupTest::noDisplayOrADeadOneIsSaidInOneLine()
{
    qunsetenv("DISPLAY");
    qunsetenv("QT_QPA_PLATFORM");
    const ProcessOutput out = runBounded(programPath(), {});
    QVERIFY(out.finished);
    QCOMPARE(out.exitCode, 1);
    QCOMPARE(out.standardError.count('\n'), 1);
    QVERIFY(out.standardError.contains("no X display"));

    // A display that is named but has no server: the program's own message,
    // not the toolkit's abort.
    qputenv("DISPLAY", ":4999");
    const ProcessOutput dead = runBounded(programPath(), {});
    QVERIFY(dead.finished);
    QCOMPARE(dead.exitCode, 1);
    QCOMPARE(dead.standardError.count('\n'), 1);
    QVERIFY2(dead.standardError.startsWith("quorvel: cannot open the X display \":4999\""),
             dead.standardError.constData());
}

void StartupTest::oneCentredWindowThatEscCloses()
{
    XvfbServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    server.exportDisplay();
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {}), qPrintable(program.errorString()));

    const auto window = waitForWindow(QStringLiteral("^Quorvel Software Utility"));
    QVERIFY2(window, "the main window did not appear");
    QTest::qWait(300);
    QCOMPARE(visibleWindows(QStringLiteral("Quorvel")).size(), 1);
    const auto geometry = windowGeometry(*window);
    QVERIFY(geometry);
    const QPoint centre = geometry->center();
    QVERIFY2(qAbs(centre.x() - 640) <= 2 && qAbs(centre.y() - 512) <= 2,
             qPrintable(QStringLiteral("window at %1,%2 %3x%4").arg(geometry->x()).arg(geometry->y())
                            .arg(geometry->width()).arg(geometry->height())));

    QVERIFY(focusWindow(*window));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    QVERIFY2(program.waitForExit(15000), "Esc did not end the program");
    QCOMPARE(program.exitCode(), 0);
}

void StartupTest::serverWithoutXTestIsSaidPlainly()
{
    XvfbServer::Options options;
    options.extraArguments = {QStringLiteral("-extension"), QStringLiteral("XTEST")};
    XvfbServer server(options);
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    server.exportDisplay();
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {}), qPrintable(program.errorString()));
    const auto box = waitForWindow(QStringLiteral("^Quorvel$"));
    QVERIFY2(box, "no message box about the missing XTest extension");
    // (Without XTest no key can be typed into the box here; the program
    // opens its window once the box is answered.)
    program.stop();
    const QByteArray err = program.readAllStandardError();
    QVERIFY2(err.contains("the X server has no XTest extension"), err.constData());
}

void StartupTest::screenReadersHearFieldsByTheirLabels()
{
    // The accessibility bus of a private session, read with pyatspi as a
    // screen reader would.
    XvfbServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    server.exportDisplay();
    SessionBus bus;
    QVERIFY2(bus.start(), qPrintable(bus.errorString()));
    BoundedProcess a11yBus;
    a11yBus.discardStandardOutput();
    QVERIFY2(a11yBus.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {"--launch-immediately"}),
             qPrintable(a11yBus.errorString()));
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {}), qPrintable(program.errorString()));
    qunsetenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
    QVERIFY2(waitForWindow(QStringLiteral("^Quorvel Software Utility")), "the main window did not appear");

    // Debian's own Python, which has pyatspi.
    const QString script = qEnvironmentVariable("QUORVEL_SOURCE_DIR") + "/tests/e2e/tools/atspi-names.py";
    const ProcessOutput tree = runBounded(QStringLiteral("/usr/bin/python3"), {script, "quorvel", "20"}, 40000);
    QVERIFY2(tree.succeeded(), qPrintable(tree.describe()));
    const QStringList lines = QString::fromUtf8(tree.standardOutput).split(QLatin1Char('\n'));
    for (const char* want : {"text\tX Co-ordinate", "text\tY Co-ordinate", "text\tDelay before Click",
                             "text\tRepeat Count", "text\tGet Mouse Cursor Position", "text\tStart / Stop Mouse Clicks",
                             "table\tList Of Mouse Clicks in Sequence"})
        QVERIFY2(lines.contains(want), qPrintable(want + QStringLiteral(" not in:\n") + lines.join('\n')));
}

QUORVEL_TEST_MAIN_CORE(StartupTest)
#include "tst_startup_e2e.moc"
