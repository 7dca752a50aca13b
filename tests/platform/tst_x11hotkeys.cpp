// Global hot keys on a private Xvfb: real key grabs, pressed with xdotool,
// delivered through the Qt event loop.
#include "platform/Platform.h"
#include "support/BoundedProcess.h"
#include "support/ClickRecorder.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QtTest>

// After the Qt headers: Xlib's macros clash with names in them.
#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <memory>
#include <vector>

using namespace platform;
using quorvel::test::ClickRecorder;
using quorvel::test::RecordedEvent;

namespace {

constexpr std::uint32_t kCtrlAlt = kModControl | kModAlt;
constexpr std::uint32_t kVkS = 0x53;
constexpr std::uint32_t kVkD = 0x44;

struct Press {
    int id;
    std::uint32_t modifiers;
    std::uint32_t virtualKey;
};

bool xdotool(const QStringList& arguments, QString& problem)
{
    const quorvel::test::ProcessOutput output = quorvel::test::runBounded("xdotool", arguments, 10000);
    problem = output.describe();
    return output.succeeded();
}

#define XDOTOOL(...)                                                                                                   \
    do {                                                                                                               \
        QString problem_;                                                                                              \
        QVERIFY2(xdotool(QStringList{__VA_ARGS__}, problem_), qPrintable(problem_));                                   \
    } while (false)

// Turns lock keys on for a scope and off again, even when the test fails.
class LocksOn {
public:
    explicit LocksOn(QStringList keys) : m_keys(std::move(keys)) { toggle(); }
    ~LocksOn() { toggle(); }

private:
    void toggle()
    {
        QString problem;
        for (const QString& key : m_keys)
            xdotool({"key", key}, problem);
    }
    QStringList m_keys;
};

} // namespace

class TestX11HotKeys : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void firesForItsCombinationOnly();
    void firesWithLocksOn_data();
    void firesWithLocksOn();
    void stopsAfterUnregister();
    void firesWhileAnotherClientHasTheFocus();
    void heldKeyFiresOnce();
    void pressReadDuringARoundTripIsNotLost();
    void combinationOfAnotherClientIsRefusedWithoutLeftovers();
    void combinationIsOneIdentifiersAtATime();
    void keysWithoutAnEquivalentAreRefused();
    void destructionReleasesTheGrabs();

private:
    HotKeys& hotKeys() { return m_platform->hotKeys(); }
    unsigned int pointerState();
    int keycode(KeySym keysym) { return XKeysymToKeycode(m_observer, keysym); }
    // Whether the observer client can grab ctrl+alt+s with `locks`, i.e.
    // whether we hold no grab of that variant.
    bool observerCanGrab(unsigned int locks);

    std::unique_ptr<quorvel::test::XvfbServer> m_server;
    Display* m_observer = nullptr; // "another client"
    std::unique_ptr<Platform> m_platform;
    std::vector<Press> m_presses;
};

void TestX11HotKeys::initTestCase()
{
    quorvel::test::XvfbServer::Options options;
    // Auto-repeat soon and often, so that a short hold repeats many times.
    options.extraArguments = QStringList{"-ardelay", "200", "-arinterval", "30"};
    m_server = std::make_unique<quorvel::test::XvfbServer>(options);
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    m_server->exportDisplay();
    m_observer = XOpenDisplay(nullptr);
    QVERIFY(m_observer);
}

void TestX11HotKeys::init()
{
    m_presses.clear();
    m_platform = createNative();
    QVERIFY(m_platform->check().ok);
    hotKeys().setPressHandler([this](int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
        m_presses.push_back({id, modifiers, virtualKey});
    });
}

void TestX11HotKeys::cleanup()
{
    m_platform.reset();
}

void TestX11HotKeys::cleanupTestCase()
{
    if (m_observer)
        XCloseDisplay(m_observer);
    m_server.reset();
}

unsigned int TestX11HotKeys::pointerState()
{
    Window root;
    Window child;
    int rootX, rootY, x, y;
    unsigned int state = 0;
    XQueryPointer(m_observer, DefaultRootWindow(m_observer), &root, &child, &rootX, &rootY, &x, &y, &state);
    return state;
}

bool TestX11HotKeys::observerCanGrab(unsigned int locks)
{
    const Window root = DefaultRootWindow(m_observer);
    const unsigned int mask = ControlMask | Mod1Mask | locks;
    platform::x11::X11ErrorTrap trap(m_observer);
    XGrabKey(m_observer, keycode(XK_s), mask, root, False, GrabModeAsync, GrabModeAsync);
    const bool grabbed = trap.finish() == 0;
    XUngrabKey(m_observer, keycode(XK_s), mask, root);
    XSync(m_observer, False);
    return grabbed;
}

void TestX11HotKeys::firesForItsCombinationOnly()
{
    const Result result = hotKeys().registerHotKey(1, kCtrlAlt, kVkS);
    QVERIFY2(result.ok, result.message.c_str());

    XDOTOOL("key", "ctrl+alt+s");
    QTRY_COMPARE_WITH_TIMEOUT(m_presses.size(), std::size_t(1), 3000);
    QCOMPARE(m_presses[0].id, 1);
    QCOMPARE(m_presses[0].modifiers, kCtrlAlt);
    QCOMPARE(m_presses[0].virtualKey, kVkS);

    // Other modifiers, fewer modifiers, another key.
    XDOTOOL("key", "ctrl+alt+shift+s", "ctrl+s", "s", "ctrl+alt+d", "super+ctrl+alt+s");
    QTest::qWait(300);
    QCOMPARE(m_presses.size(), std::size_t(1));
}

void TestX11HotKeys::firesWithLocksOn_data()
{
    QTest::addColumn<QStringList>("locks");
    QTest::addColumn<uint>("lockMask");
    QTest::newRow("Num Lock") << QStringList{"Num_Lock"} << uint(Mod2Mask);
    QTest::newRow("Caps Lock") << QStringList{"Caps_Lock"} << uint(LockMask);
    QTest::newRow("both") << QStringList{"Num_Lock", "Caps_Lock"} << uint(Mod2Mask | LockMask);
}

void TestX11HotKeys::firesWithLocksOn()
{
    QFETCH(QStringList, locks);
    QFETCH(uint, lockMask);
    QVERIFY(hotKeys().registerHotKey(1, kCtrlAlt, kVkS).ok);
    {
        LocksOn on(locks);
        QCOMPARE(pointerState() & (Mod2Mask | LockMask), lockMask);
        XDOTOOL("key", "ctrl+alt+s");
        QTRY_COMPARE_WITH_TIMEOUT(m_presses.size(), std::size_t(1), 3000);
    }
    QCOMPARE(pointerState() & (Mod2Mask | LockMask), 0u);
    QCOMPARE(m_presses[0].modifiers, kCtrlAlt);
}

void TestX11HotKeys::stopsAfterUnregister()
{
    QVERIFY(hotKeys().registerHotKey(2, kCtrlAlt, kVkS).ok);
    XDOTOOL("key", "ctrl+alt+s");
    QTRY_COMPARE_WITH_TIMEOUT(m_presses.size(), std::size_t(1), 3000);
    QCOMPARE(m_presses[0].id, 2);

    QVERIFY(hotKeys().unregisterHotKey(2).ok);
    XDOTOOL("key", "ctrl+alt+s");
    QTest::qWait(300);
    QCOMPARE(m_presses.size(), std::size_t(1));
    for (unsigned int locks : {0u, unsigned(Mod2Mask), unsigned(LockMask), unsigned(Mod2Mask | LockMask)})
        QVERIFY2(observerCanGrab(locks), "a grab was left behind");

    const Result again = hotKeys().unregisterHotKey(2);
    QVERIFY(!again.ok);
    QCOMPARE(again.error, 1419u);
}

void TestX11HotKeys::firesWhileAnotherClientHasTheFocus()
{
    ClickRecorder focused;
    ClickRecorder::Options options;
    options.keys = true;
    QVERIFY2(focused.start(options), qPrintable(focused.errorString()));
    QVERIFY(hotKeys().registerHotKey(1, kCtrlAlt, kVkS).ok);

    XDOTOOL("key", "ctrl+alt+s");
    QTRY_COMPARE_WITH_TIMEOUT(m_presses.size(), std::size_t(1), 3000);

    // The focused client got the modifier keys but not the grabbed key.
    const std::vector<RecordedEvent> seen = focused.collectFor(300);
    bool sawControl = false;
    for (const RecordedEvent& event : seen) {
        QVERIFY2(event.detail != keycode(XK_s), qPrintable(event.toString()));
        sawControl = sawControl || event.detail == keycode(XK_Control_L);
    }
    QVERIFY2(sawControl, "the recorder did not have the keyboard focus");
}

void TestX11HotKeys::heldKeyFiresOnce()
{
    // First make sure that a held key does repeat on this server.
    {
        ClickRecorder focused;
        ClickRecorder::Options options;
        options.keys = true;
        QVERIFY2(focused.start(options), qPrintable(focused.errorString()));
        XDOTOOL("keydown", "a");
        QTest::qWait(600);
        XDOTOOL("keyup", "a");
        int presses = 0;
        for (const RecordedEvent& event : focused.collectFor(300))
            presses += event.kind == RecordedEvent::Kind::KeyDown && event.detail == keycode(XK_a);
        QVERIFY2(presses >= 3, qPrintable(QString("only %1 presses for a held key").arg(presses)));
    }

    QVERIFY(hotKeys().registerHotKey(1, kCtrlAlt, kVkS).ok);
    XDOTOOL("keydown", "ctrl+alt+s");
    QTest::qWait(600);
    XDOTOOL("keyup", "ctrl+alt+s");
    QTest::qWait(200);
    QCOMPARE(m_presses.size(), std::size_t(1));

    // Released, the next press fires again.
    XDOTOOL("key", "ctrl+alt+s");
    QTRY_COMPARE_WITH_TIMEOUT(m_presses.size(), std::size_t(2), 3000);
}

void TestX11HotKeys::pressReadDuringARoundTripIsNotLost()
{
    QVERIFY(hotKeys().registerHotKey(1, kCtrlAlt, kVkS).ok);
    // No event processing between the press and the next registration,
    // whose round trips read the press off the connection into Xlib's
    // queue, out of the socket notifier's sight.
    XDOTOOL("key", "ctrl+alt+s");
    QVERIFY(hotKeys().registerHotKey(2, kCtrlAlt, kVkD).ok);
    QTRY_COMPARE_WITH_TIMEOUT(m_presses.size(), std::size_t(1), 3000);
    QCOMPARE(m_presses[0].id, 1);
}

void TestX11HotKeys::combinationOfAnotherClientIsRefusedWithoutLeftovers()
{
    // The other client holds only the variant with both locks, which we grab
    // last: the variants grabbed before it must be released again.
    const Window root = DefaultRootWindow(m_observer);
    const unsigned int othersMask = ControlMask | Mod1Mask | Mod2Mask | LockMask;
    XGrabKey(m_observer, keycode(XK_s), othersMask, root, False, GrabModeAsync, GrabModeAsync);
    XSync(m_observer, False);

    const Result refused = hotKeys().registerHotKey(1, kCtrlAlt, kVkS);
    QVERIFY(!refused.ok);
    QCOMPARE(refused.error, kErrorHotKeyAlreadyRegistered);
    QVERIFY(QString::fromStdString(refused.message).contains("Ctrl+Alt+S"));
    for (unsigned int locks : {0u, unsigned(Mod2Mask), unsigned(LockMask)})
        QVERIFY2(observerCanGrab(locks), "a grab was left behind");
    QCOMPARE(hotKeys().unregisterHotKey(1).error, 1419u);

    // Once the other client lets go, the combination is ours.
    XUngrabKey(m_observer, keycode(XK_s), othersMask, root);
    XSync(m_observer, False);
    QVERIFY(hotKeys().registerHotKey(1, kCtrlAlt, kVkS).ok);
    XDOTOOL("key", "ctrl+alt+s");
    QTRY_COMPARE_WITH_TIMEOUT(m_presses.size(), std::size_t(1), 3000);
}

void TestX11HotKeys::combinationIsOneIdentifiersAtATime()
{
    QVERIFY(hotKeys().registerHotKey(1, kCtrlAlt, kVkS).ok);
    const Result twice = hotKeys().registerHotKey(2, kCtrlAlt, kVkS);
    QVERIFY(!twice.ok);
    QCOMPARE(twice.error, kErrorHotKeyAlreadyRegistered);
    QCOMPARE(hotKeys().unregisterHotKey(2).error, 1419u);
    // Registering an identifier again with its own combination is harmless.
    QVERIFY(hotKeys().registerHotKey(1, kCtrlAlt, kVkS).ok);

    // Identifier 1 moves to another combination and frees its old one.
    QVERIFY(hotKeys().registerHotKey(1, kCtrlAlt, kVkD).ok);
    QVERIFY(hotKeys().registerHotKey(2, kCtrlAlt, kVkS).ok);
    XDOTOOL("key", "ctrl+alt+d");
    QTRY_COMPARE_WITH_TIMEOUT(m_presses.size(), std::size_t(1), 3000);
    XDOTOOL("key", "ctrl+alt+s");
    QTRY_COMPARE_WITH_TIMEOUT(m_presses.size(), std::size_t(2), 3000);
    QCOMPARE(m_presses[0].id, 1);
    QCOMPARE(m_presses[0].virtualKey, kVkD);
    QCOMPARE(m_presses[1].id, 2);
    QCOMPARE(m_presses[1].virtualKey, kVkS);
}

void TestX11HotKeys::keysWithoutAnEquivalentAreRefused()
{
    for (std::uint32_t virtualKey : {0x00u, 0x07u, 0x10u, 0xFFu}) {
        const Result result = hotKeys().registerHotKey(1, kCtrlAlt, virtualKey);
        QVERIFY(!result.ok);
        QCOMPARE(result.error, 87u);
        QVERIFY(QString::fromStdString(result.message).contains("no X11 equivalent"));
    }
    QCOMPARE(hotKeys().unregisterHotKey(1).error, 1419u);
}

void TestX11HotKeys::destructionReleasesTheGrabs()
{
    QVERIFY(hotKeys().registerHotKey(1, kCtrlAlt, kVkS).ok);
    QVERIFY(!observerCanGrab(0));
    m_platform.reset();
    for (unsigned int locks : {0u, unsigned(Mod2Mask), unsigned(LockMask), unsigned(Mod2Mask | LockMask)})
        QVERIFY2(observerCanGrab(locks), "a grab outlived the platform");
}

QUORVEL_TEST_MAIN_CORE(TestX11HotKeys)
#include "tst_x11hotkeys.moc"
