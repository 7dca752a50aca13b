// The X11 back end's start-up check, on a real server, on one without XTest
// and with no server at all; and that nothing breaks when there is no display.
#include "platform/Platform.h"
#include "platform/x11/X11Platform.h"
#include "support/BoundedProcess.h"
#include "support/PlatformFormatting.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QFileInfo>
#include <QtTest>

#include <memory>

using namespace platform;
using quorvel::test::XvfbServer;

namespace {

// Sets DISPLAY (or removes it, for an empty value) until the scope ends.
class DisplayOverride {
public:
    explicit DisplayOverride(const QByteArray& value)
        : m_saved(qgetenv("DISPLAY")), m_wasSet(qEnvironmentVariableIsSet("DISPLAY"))
    {
        if (value.isEmpty())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", value);
    }
    ~DisplayOverride()
    {
        if (m_wasSet)
            qputenv("DISPLAY", m_saved);
        else
            qunsetenv("DISPLAY");
    }

private:
    QByteArray m_saved;
    bool m_wasSet;
};

// A display number that no local server listens on.
QByteArray unusedDisplay()
{
    for (int number = 4242; number < 4342; ++number) {
        if (!QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(number)) &&
            !QFileInfo::exists(QString("/tmp/.X%1-lock").arg(number)))
            return ":" + QByteArray::number(number);
    }
    return ":4242";
}

} // namespace

class TestX11Platform : public QObject {
    Q_OBJECT

private slots:
    void passesOnARealServer();
    void failsWithoutAServer();
    void failsWithoutDisplaySet();
    void everyCallIsHarmlessWithoutADisplay();
    void failsWithoutXTestButStillReadsThePointer();
};

void TestX11Platform::passesOnARealServer()
{
    XvfbServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    DisplayOverride display(server.display().toLocal8Bit());
    const std::unique_ptr<Platform> native = createNative();
    const Result result = native->check();
    QVERIFY2(result.ok, result.message.c_str());
}

void TestX11Platform::failsWithoutAServer()
{
    const QByteArray nowhere = unusedDisplay();
    DisplayOverride display(nowhere);
    x11::X11Platform native;
    const Result result = native.check();
    QVERIFY(!result.ok);
    QCOMPARE(result.error, 50u);
    QCOMPARE(QString::fromStdString(result.message), "cannot open the X display \"" + nowhere + "\"");
}

void TestX11Platform::failsWithoutDisplaySet()
{
    DisplayOverride display("");
    x11::X11Platform native;
    const Result result = native.check();
    QVERIFY(!result.ok);
    QCOMPARE(QString::fromStdString(result.message), QString("cannot open the X display \"\" (DISPLAY is not set)"));
}

void TestX11Platform::everyCallIsHarmlessWithoutADisplay()
{
    DisplayOverride display(unusedDisplay());
    x11::X11Platform native;
    native.mouse().setCursorPos(10, 10);
    native.mouse().button(Button::Left, ButtonAction::Down);
    native.mouse().button(Button::Left, ButtonAction::Up);
    QCOMPARE(native.mouse().cursorPos(), std::optional<Point>()); // unknown, not a made-up origin

    int presses = 0;
    native.hotKeys().setPressHandler([&](int, std::uint32_t, std::uint32_t) { ++presses; });
    const Result registered = native.hotKeys().registerHotKey(1, kModControl | kModAlt, 'S');
    QVERIFY(!registered.ok);
    QCOMPARE(registered.error, 50u);
    QVERIFY(!registered.message.empty());
    QCOMPARE(native.hotKeys().unregisterHotKey(1).error, 1419u);
    QCOMPARE(presses, 0);
}

void TestX11Platform::failsWithoutXTestButStillReadsThePointer()
{
    XvfbServer::Options options;
    options.extraArguments = QStringList{"-extension", "XTEST"};
    XvfbServer server(options);
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    DisplayOverride display(server.display().toLocal8Bit());

    // Put the pointer somewhere known with a client that does not need XTest.
    const quorvel::test::ProcessOutput xdotool =
        quorvel::test::runBounded("xdotool", {"mousemove", "--sync", "321", "123"}, 10000);
    QVERIFY2(xdotool.succeeded(), qPrintable(xdotool.describe()));

    x11::X11Platform native;
    const Result result = native.check();
    QVERIFY(!result.ok);
    QCOMPARE(result.error, 50u);
    QCOMPARE(QString::fromStdString(result.message), QString("the X server has no XTest extension"));
    QCOMPARE(native.mouse().cursorPos(), known(321, 123));
    native.mouse().setCursorPos(10, 10); // nothing to do it with: ignored
    QCOMPARE(native.mouse().cursorPos(), known(321, 123));
}

QUORVEL_TEST_MAIN_CORE(TestX11Platform)
#include "tst_x11platform.moc"
