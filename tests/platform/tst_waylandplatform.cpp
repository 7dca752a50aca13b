// The Wayland back end in a headless sway: clicks through the virtual
// pointer land exactly where asked (seen by the click recorder under
// XWayland), the first one right after start included; the pointer's
// position is read back through the overlay surfaces, and through
// full-screen windows where a compositor has no layer shell; hot keys are bound
// over sway's IPC and pressed with wtype; under XWayland the X11 back end
// knows the pointer only over its own windows.
#include "platform/wayland/PointerLocator.h"
#include "platform/wayland/SwayHotKeys.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandPlatform.h"
#include "platform/x11/X11Mouse.h"
#include "support/ClickRecorder.h"
#include "support/PlatformFormatting.h"
#include "support/SwaySession.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <X11/Xlib.h>

#include <memory>

using namespace platform;
using quorvel::test::ClickRecorder;
using quorvel::test::RecordedEvent;
using quorvel::test::SwaySession;
using Kind = RecordedEvent::Kind;

namespace {

// Whether `events` are one click (press, release) of `button` at `at`.
bool isClick(const std::vector<RecordedEvent>& events, std::size_t first, int button, QPoint at)
{
    return events.size() >= first + 2 && events[first].isButton(Kind::Press, button) &&
           events[first + 1].isButton(Kind::Release, button) && QPoint(events[first].x, events[first].y) == at &&
           QPoint(events[first + 1].x, events[first + 1].y) == at;
}

void click(Mouse& mouse, Button button)
{
    mouse.button(button, ButtonAction::Down);
    mouse.button(button, ButtonAction::Up);
}

} // namespace

class TestWaylandPlatform : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void clicksLandExactlyTheFirstIncluded();
    void positionsReadBack();
    void hotKeysAreBoundInSway();
    void xwaylandKnowsThePointerOnlyOverItsWindows();

private:
    std::unique_ptr<SwaySession> m_sway;
    std::unique_ptr<ClickRecorder> m_recorder; // the whole screen
    std::unique_ptr<wayland::WaylandPlatform> m_native;
};

void TestWaylandPlatform::initTestCase()
{
    m_sway = std::make_unique<SwaySession>();
    QVERIFY2(m_sway->isRunning(), qPrintable(m_sway->errorString()));
    m_sway->exportEnvironment();
    const SwaySession::XClients x(*m_sway);
    m_recorder = std::make_unique<ClickRecorder>();
    QVERIFY2(m_recorder->start(), qPrintable(m_recorder->errorString()));
    // Its virtual pointer is the seat's first pointer device.
    QElapsedTimer made;
    made.start();
    m_native = std::make_unique<wayland::WaylandPlatform>(nullptr);
    qInfo("back end ready (connection, virtual pointer, round trip) in %.1f ms", made.nsecsElapsed() / 1e6);
    const Result check = m_native->check();
    QVERIFY2(check.ok, check.message.c_str());
}

void TestWaylandPlatform::cleanupTestCase()
{
    m_native.reset();
    m_recorder.reset();
    m_sway.reset();
}

void TestWaylandPlatform::clicksLandExactlyTheFirstIncluded()
{
    Mouse& mouse = m_native->mouse();
    mouse.setCursorPos(0, 0);
    click(mouse, Button::Left);
    mouse.setCursorPos(1279, 1023);
    click(mouse, Button::Right);
    mouse.setCursorPos(-40, 5000); // off the layout: its nearest edge
    click(mouse, Button::Left);
    mouse.setCursorPos(17, 901);
    mouse.button(Button::Left, ButtonAction::Down);
    mouse.pause(150);
    mouse.button(Button::Left, ButtonAction::Up);

    const std::vector<RecordedEvent> events = m_recorder->take(8, 5000);
    QVERIFY2(isClick(events, 0, 1, {0, 0}) && isClick(events, 2, 3, {1279, 1023}) && isClick(events, 4, 1, {0, 1023}) &&
                 isClick(events, 6, 1, {17, 901}),
             qPrintable(describe(events)));
    // Each event leaves at once: the pause parts the last two.
    QVERIFY2(events[7].time - events[6].time >= 140, qPrintable(describe(events)));
    QVERIFY2(m_recorder->collectFor(200).empty(), "more events than injected");
}

void TestWaylandPlatform::positionsReadBack()
{
    Mouse& mouse = m_native->mouse();
    for (const Point p : {Point{640, 512}, Point{17, 901}, Point{1279, 0}}) {
        mouse.setCursorPos(p.x, p.y);
        QElapsedTimer read;
        read.start();
        QCOMPARE(mouse.cursorPos(), known(p.x, p.y));
        qInfo("position (%d, %d) read in %.1f ms", p.x, p.y, read.nsecsElapsed() / 1e6);
    }
    // The overlays are gone again: a click lands on what lies below them.
    click(mouse, Button::Left);
    const std::vector<RecordedEvent> events = m_recorder->take(2, 5000);
    QVERIFY2(isClick(events, 0, 1, {1279, 0}), qPrintable(describe(events)));

    // Where the compositor has no layer shell (GNOME), full-screen windows
    // stand in for the overlays; X11 windows that cover everything (the
    // recorder) would lie above them here, so it goes for this part.
    m_recorder.reset();
    wayland::WaylandConnection connection;
    wayland::PointerLocator windows(connection);
    mouse.setCursorPos(301, 203);
    QCOMPARE(windows.locate(2000, wayland::PointerLocator::Cover::FullScreenWindows), known(301, 203));
    const SwaySession::XClients x(*m_sway);
    m_recorder = std::make_unique<ClickRecorder>();
    QVERIFY2(m_recorder->start(), qPrintable(m_recorder->errorString()));
}

void TestWaylandPlatform::hotKeysAreBoundInSway()
{
    constexpr std::uint32_t kCtrlAlt = kModControl | kModAlt;
    std::vector<int> pressed;
    {
        wayland::SwayHotKeys keys(m_sway->ipcSocket().toStdString());
        keys.setPressHandler([&pressed](int id, std::uint32_t modifiers, std::uint32_t key) {
            QCOMPARE(modifiers, kCtrlAlt);
            QCOMPARE(key, 0x4Bu);
            pressed.push_back(id);
        });
        QVERIFY(keys.registerHotKey(2, kCtrlAlt, 'K').ok);
        QVERIFY(m_sway->type({"-M", "ctrl", "-M", "alt", "k", "-m", "alt", "-m", "ctrl"}));
        QTRY_COMPARE_WITH_TIMEOUT(pressed, std::vector<int>{2}, 5000);

        // Ours already, under another identifier; a key sway has no name for.
        QCOMPARE(keys.registerHotKey(1, kCtrlAlt, 'K').error, kErrorHotKeyAlreadyRegistered);
        QCOMPARE(keys.registerHotKey(1, kCtrlAlt, 0xFF).error, 87u);

        QVERIFY(keys.unregisterHotKey(2).ok);
        QVERIFY2(!m_sway->command("unbindsym Ctrl+Alt+k"), "the binding is still there");
        QCOMPARE(keys.unregisterHotKey(2).error, 1419u);
        QVERIFY(keys.registerHotKey(1, kCtrlAlt | kModShift, 'J').ok);
    }
    // Gone with the object.
    QVERIFY2(!m_sway->command("unbindsym Ctrl+Alt+Shift+j"), "the binding outlived its owner");
    QCOMPARE(pressed, std::vector<int>{2});
}

void TestWaylandPlatform::xwaylandKnowsThePointerOnlyOverItsWindows()
{
    // A small recorder is all of X's windows for this check.
    m_recorder->stop();
    const SwaySession::XClients x(*m_sway);
    ClickRecorder small;
    ClickRecorder::Options options;
    options.area = QRect(100, 100, 200, 200);
    QVERIFY2(small.start(options), qPrintable(small.errorString()));
    Display* display = XOpenDisplay(nullptr);
    QVERIFY(display);
    {
        x11::X11Mouse xMouse(display, true, true);
        m_native->mouse().setCursorPos(150, 160);
        QTRY_COMPARE_WITH_TIMEOUT(xMouse.cursorPos(), known(150, 160), 2000);
        m_native->mouse().setCursorPos(900, 700); // over no X window
        QTest::qWait(300);
        QCOMPARE(xMouse.cursorPos(), std::optional<Point>());
    }
    XCloseDisplay(display);
}

QUORVEL_TEST_MAIN_CORE(TestWaylandPlatform)
#include "tst_waylandplatform.moc"
