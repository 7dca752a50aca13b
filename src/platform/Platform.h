// The program's only door to the outside world: the pointer, injected mouse
// buttons, system-wide hot keys and the desktop's file-type registration.
//
// The handlers of the main dialog speak the Windows vocabulary (virtual-key
// codes, MOD_ modifier bits, screen pixels); each back end translates it to its
// own system. This header stays free of Qt and of any system header so that
// every back end, including one built without Qt, can implement it.
#pragma once

#include "platform/RunWait.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The program's id on a freedesktop desktop: the name of its desktop entry
// (with ".desktop"), its Wayland app_id, and what the desktop portal knows
// it by.
constexpr const char* kApplicationId = "com.corvane.quorvel";

// Outcome of a call that can fail. `error` is a system error number in the
// Windows numbering where one exists (the dialogs show it as "Last Error %u").
struct Result {
    bool ok = true;
    std::uint32_t error = 0;
    std::string message;

    static Result success() { return {}; }
    static Result failure(std::uint32_t error, std::string message) { return Result{false, error, std::move(message)}; }
    explicit operator bool() const { return ok; }
};

// A position in screen coordinates: device pixels of the whole desktop, with
// (0, 0) at the top left of the primary screen; may be negative on the left
// of or above it. On Wayland: the compositor's output layout, in its logical
// pixels.
struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
};

enum class Button { Left, Right };
enum class ButtonAction { Down, Up };

// The pointer as one playback run uses it, on the run's own thread: made by
// Mouse::openRun on the window's thread, then used and destroyed on the
// run's thread alone. Where a back end needs one, the run has a connection of
// its own to the system. Its waits are the run's, which a stop cuts short.
class MouseRun {
public:
    explicit MouseRun(RunWait& wait) : m_wait(wait) {}
    virtual ~MouseRun() = default;
    MouseRun(const MouseRun&) = delete;
    MouseRun& operator=(const MouseRun&) = delete;

    // Called first: connects where the run needs a connection of its own.
    // A failure says why in the user's words, and the run plays nothing.
    virtual Result open() { return Result::success(); }
    // The pointer's current position; nothing where the system does not
    // tell it, or when the run was stopped while it was being read.
    virtual std::optional<Point> cursorPos() = 0;
    // Moves the pointer. Moves and buttons may be held until flush().
    virtual void setCursorPos(int x, int y) = 0;
    // One button event at the pointer. Where the desktop needs a settle
    // wait before it, a stop that cuts the wait short keeps a press from
    // being sent (false: nothing was sent) and sends a release at once.
    virtual bool button(Button button, ButtonAction action) = 0;
    // Hands what was sent so far to the system, in its order.
    virtual void flush() {}
    // The pause inside a double click: what came before it reaches the
    // system first. False when the run was stopped during it.
    virtual bool pause(std::uint32_t ms)
    {
        flush();
        return m_wait.sleep(std::chrono::milliseconds(ms));
    }
    // Fails, in the user's words, once the system has taken the pointer
    // from the run (the desktop ended the session, the connection broke).
    virtual Result status() { return Result::success(); }

protected:
    RunWait& m_wait;
};

// The run of a back end that cannot inject (which its check() reported):
// it plays nothing, and knows no position.
class InertMouseRun final : public MouseRun {
public:
    using MouseRun::MouseRun;
    std::optional<Point> cursorPos() override { return std::nullopt; }
    void setCursorPos(int, int) override {}
    bool button(Button, ButtonAction) override { return true; }
};

// Pointer position and synthetic button events at the pointer.
class Mouse {
public:
    virtual ~Mouse() = default;
    // The pointer's current position; nothing where the system does not
    // tell it (a Wayland compositor may not), never a guess.
    virtual std::optional<Point> cursorPos() = 0;
    // Moves the pointer; the position is taken as it is, off-screen values
    // are clamped by the system.
    virtual void setCursorPos(int x, int y) = 0;
    // Injects one button event at the pointer's current position and hands
    // it to the system at once.
    virtual void button(Button button, ButtonAction action) = 0;
    // Blocks the calling thread for `ms` milliseconds (the pause inside a
    // double click). What came before it has reached the system first.
    virtual void pause(std::uint32_t ms) = 0;
    // Called before playback starts. A back end that needs the desktop's
    // permission to click asks for it here (the user may be asked); a
    // failure says why, and playback does not start.
    virtual Result beginPlayback() { return Result::success(); }
    // The pointer for one playback run whose waits are `wait`'s. Called on
    // the window's thread after beginPlayback succeeded; it does not block.
    virtual std::unique_ptr<MouseRun> openRun(RunWait& wait) = 0;
    // Called on the window's thread once a run has ended and no other has
    // begun. A back end that holds the desktop's permission only while it
    // plays gives it back.
    virtual void endPlayback() {}
};

// Modifier bits of a hot key in the form RegisterHotKey takes them.
enum : std::uint32_t {
    kModAlt = 0x0001,
    kModControl = 0x0002,
    kModShift = 0x0004,
    kModWin = 0x0008,
};

// The error number Windows gives when a combination is already registered,
// used by every back end for a combination it cannot take.
constexpr std::uint32_t kErrorHotKeyAlreadyRegistered = 1409;
// ERROR_CALL_NOT_IMPLEMENTED: the desktop gives programs no global keys at
// all; it runs commands bound in its own settings instead. The result's
// message tells the user how.
constexpr std::uint32_t kErrorHotKeysOnlyInDesktopSettings = 120;

// System-wide hot keys. A press of a registered combination calls the press
// handler on the UI thread with the identifier, the modifiers and the
// virtual-key code it was registered with.
class HotKeys {
public:
    using PressHandler = std::function<void(int id, std::uint32_t modifiers, std::uint32_t virtualKey)>;

    virtual ~HotKeys() = default;
    // Registers `virtualKey` with `modifiers` (kMod* bits) under `id`. Fails
    // when the combination is taken or the key has no equivalent here.
    virtual Result registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey) = 0;
    // Releases `id`; fails when nothing is registered under it.
    virtual Result unregisterHotKey(int id) = 0;
    virtual void setPressHandler(PressHandler handler) = 0;
    // The kMod* bits of the modifier keys held down at this moment, whoever
    // pressed them. Playback started by a hot key waits for them to be
    // released, so that its clicks do not carry them. A back end that
    // cannot tell reports none.
    virtual std::uint32_t heldModifiers() { return 0; }
};

// One image of the program's icon, as a file's bytes.
struct IconImage {
    std::string size;   // "16x16", "32x32", ... or "scalable"
    std::string format; // "png" or "svg"
    std::string data;   // the file's bytes
};

// What the shell needs to open sequence files with this program.
struct FileTypeRegistration {
    std::string extension;      // ".tpx"
    std::string typeName;       // "QuorvelFile"
    std::string description;    // "Quorvel File"
    std::string openCommand;    // the program followed by its file argument
    std::string iconValue;      // where the shell finds the type's icon
    std::string executablePath; // full path of the running program
    std::string iconName;       // "quorvel": the icon's name in the desktop's icon theme
    std::vector<IconImage> icons;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Writes the file-type association for the current user. Fails when any
    // part of it cannot be written.
    virtual Result registerFileType(const FileTypeRegistration& registration) = 0;
};

// Text values that a back end keeps between runs in the program's settings
// (a desktop portal's restore token). The program supplies the store.
class ValueStore {
public:
    virtual ~ValueStore() = default;
    // "" when the value is absent.
    virtual std::string value(const std::string& name) = 0;
    virtual bool setValue(const std::string& name, const std::string& value) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;
    // Checks once at start that the back end can work (a display is open,
    // input injection is available); the message says what is missing.
    virtual Result check() = 0;
    // How the clicks reach the desktop, named for the user: the back end and
    // its protocol, said once at start (after a successful check) so that
    // a user, or a test, sees which path clicks. Empty: nothing to say.
    virtual std::string clickPath() { return {}; }
    virtual Mouse& mouse() = 0;
    virtual HotKeys& hotKeys() = 0;
    virtual Shell& shell() = 0;
    // Where the back end keeps values between runs; not owned, and may be
    // null (nothing is kept). Back ends that keep nothing ignore it.
    virtual void setValueStore(ValueStore* store) { (void)store; }
};

// The platform the program runs on. Set once at start (or by a test);
// using it before then is a programming error.
Platform& current();
void setCurrent(Platform* platform);

enum class Backend { X11, Wayland, Portal, Win32 };

// The back end a session calls for, chosen once at start before the window
// system library starts, since the choice also decides how the window is
// shown.
struct NativeChoice {
    // Nothing: no back end can run here, and `message` says what is missing.
    std::optional<Backend> backend;
    // A Wayland compositor runs the desktop; it, not the X server, owns the
    // global keys, whichever back end clicks.
    bool waylandSession = false;
    // The windowing platform for Qt (QT_QPA_PLATFORM) unless the user set
    // one; empty: Qt's own choice.
    std::string qtPlatform;
    // When a back end was chosen: a limitation of it to tell the user once
    // (for example that its clicks reach only X11 windows); else empty.
    std::string message;
};

// Looks at the session (the environment, and what a Wayland compositor
// offers) and chooses.
NativeChoice chooseNative();

// The chosen back end.
std::unique_ptr<Platform> createNative(const NativeChoice& choice);
// The default back end of this build (X11 on Linux, Win32 on Windows),
// whatever the session.
std::unique_ptr<Platform> createNative();

// Asked before the toolkit starts, which aborts the process when it cannot
// reach its display: whether the display this build's back end shows its
// windows on can be opened. A failure's message names it and says what to do.
Result checkDisplay();

} // namespace platform
