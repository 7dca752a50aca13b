// The scoped X error trap that the hot keys use to check their grabs: it
// catches the errors of its own requests on its own display and leaves every
// other error, and the handler in force before it, as they were.
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QtTest>

#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

#include <memory>
#include <vector>

using platform::x11::X11ErrorTrap;

namespace {

// Errors that reached the handler installed before the traps.
struct SeenError {
    Display* display;
    int code;
};
std::vector<SeenError> g_seen;

int recordingHandler(Display* display, XErrorEvent* event)
{
    g_seen.push_back({display, event->error_code});
    return 0;
}

// A request that the server answers with BadWindow.
void badRequest(Display* display)
{
    XMapWindow(display, 0x3ffffff);
}

} // namespace

class TestX11ErrorTrap : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void catchesErrorsOfItsScope();
    void restoresThePreviousHandler();
    void leavesOtherDisplaysAndEarlierRequestsAlone();
    void nestedTrapsEachKeepTheirOwn();

private:
    std::unique_ptr<quorvel::test::XvfbServer> m_server;
    Display* m_display = nullptr;
    Display* m_other = nullptr;
    XErrorHandler m_original = nullptr;
};

void TestX11ErrorTrap::initTestCase()
{
    m_server = std::make_unique<quorvel::test::XvfbServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    m_server->exportDisplay();
    m_display = XOpenDisplay(nullptr);
    m_other = XOpenDisplay(nullptr);
    QVERIFY(m_display && m_other);
}

void TestX11ErrorTrap::init()
{
    g_seen.clear();
    m_original = XSetErrorHandler(recordingHandler);
}

void TestX11ErrorTrap::cleanup()
{
    XSync(m_display, False);
    XSync(m_other, False);
    XSetErrorHandler(m_original);
}

void TestX11ErrorTrap::cleanupTestCase()
{
    if (m_other)
        XCloseDisplay(m_other);
    if (m_display)
        XCloseDisplay(m_display);
    m_server.reset();
}

void TestX11ErrorTrap::catchesErrorsOfItsScope()
{
    {
        X11ErrorTrap trap(m_display);
        XSync(m_display, False);
        QCOMPARE(trap.finish(), 0);
    }
    X11ErrorTrap trap(m_display);
    badRequest(m_display);
    badRequest(m_display); // only the first error is kept
    QCOMPARE(trap.finish(), static_cast<int>(BadWindow));
    QCOMPARE(trap.finish(), static_cast<int>(BadWindow));
    QVERIFY(g_seen.empty());
}

void TestX11ErrorTrap::restoresThePreviousHandler()
{
    {
        X11ErrorTrap trap(m_display); // ended by its destructor
    }
    X11ErrorTrap finished(m_display);
    finished.finish();
    QVERIFY(XSetErrorHandler(recordingHandler) == &recordingHandler);

    // An error after the scope reaches the previous handler.
    badRequest(m_display);
    XSync(m_display, False);
    QCOMPARE(g_seen.size(), std::size_t(1));
    QCOMPARE(g_seen[0].code, static_cast<int>(BadWindow));
}

void TestX11ErrorTrap::leavesOtherDisplaysAndEarlierRequestsAlone()
{
    badRequest(m_display); // made before the trap, still in the buffer
    X11ErrorTrap trap(m_display);
    badRequest(m_other);
    XSync(m_other, False);
    QCOMPARE(trap.finish(), 0);
    QCOMPARE(g_seen.size(), std::size_t(2));
    QVERIFY(g_seen[0].display != g_seen[1].display);
    for (const SeenError& error : g_seen)
        QCOMPARE(error.code, static_cast<int>(BadWindow));
}

void TestX11ErrorTrap::nestedTrapsEachKeepTheirOwn()
{
    X11ErrorTrap outer(m_display);
    XMapWindow(m_display, 0x3fffffe); // BadWindow, the outer trap's
    XFlush(m_display);
    int innerCode = -1;
    {
        X11ErrorTrap inner(m_display);
        XFreePixmap(m_display, 0x3fffffd); // BadPixmap, the inner trap's
        innerCode = inner.finish();
    }
    QCOMPARE(innerCode, static_cast<int>(BadPixmap));
    QCOMPARE(outer.finish(), static_cast<int>(BadWindow));
    QVERIFY(g_seen.empty());
    QVERIFY(XSetErrorHandler(recordingHandler) == &recordingHandler);
}

QUORVEL_TEST_MAIN_CORE(TestX11ErrorTrap)
#include "tst_x11errortrap.moc"
