// A platform for tests: it performs nothing and records every call, in order,
// so that a test can assert what the program did to the outside world.
#pragma once

#include "platform/Platform.h"

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace platform::fake {

struct Event {
    enum class Kind { Move, Button, Pause, QueryPos };
    Kind kind;
    int x = 0;                     // Move: target; Button and QueryPos: pointer position then
    int y = 0;
    Button button = Button::Left;  // Button only
    ButtonAction action = ButtonAction::Down;
    std::uint32_t ms = 0;          // Pause only
    std::chrono::steady_clock::time_point time{}; // when it was recorded

    bool isDown(Button b) const { return kind == Kind::Button && button == b && action == ButtonAction::Down; }
    bool isUp(Button b) const { return kind == Kind::Button && button == b && action == ButtonAction::Up; }
};

// Records the calls of the window's thread, and of each playback run from
// the run's own thread, into one list. Set the fields below before a run;
// while one plays, read the list with eventsNow().
class RecordingMouse final : public Mouse {
public:
    std::optional<Point> cursorPos() override;
    void setCursorPos(int x, int y) override;
    void button(Button button, ButtonAction action) override;
    void pause(std::uint32_t ms) override;
    std::unique_ptr<MouseRun> openRun(RunWait& wait) override;

    std::vector<Event> events;
    Point position;
    bool positionKnown = true;         // false: the position cannot be read, as on some Wayland desktops
    int flushes = 0;                   // a run's flush calls
    std::function<void()> duringPause; // runs on the window's thread in each pause, as the world goes on meanwhile
    // A run's settle waits, as the portal makes them on GNOME: after a
    // motion before the press, and between a press and its release.
    std::uint32_t motionSettleMs = 0;
    std::uint32_t pressHoldMs = 0;
    // A run reads the position on the window's thread, as the Wayland
    // overlay surfaces are read.
    bool positionOnWindowThread = false;
    // From this many flushes on, the system has taken the pointer from the
    // run (-1: never).
    int takenAfterFlushes = -1;

    // Button events only, as (x, y, button, action) in order.
    std::vector<Event> buttonEvents() const;
    // Number of completed clicks (down followed by up) of `b`.
    int clicks(Button b) const;
    void clear();
    // A copy of the events so far, safe while a run plays.
    std::vector<Event> eventsNow() const;

private:
    friend class RecordingRun;
    void record(Event e);
    std::optional<Point> query();
    mutable std::mutex m_lock;
};

class RecordingHotKeys final : public HotKeys {
public:
    Result registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    Result unregisterHotKey(int id) override;
    void setPressHandler(PressHandler handler) override;
    // Reports `held` and counts the questions.
    std::uint32_t heldModifiers() override
    {
        ++heldQueries;
        return held;
    }

    // Makes a combination behave as if another program held it.
    void holdElsewhere(std::uint32_t modifiers, std::uint32_t virtualKey);
    // Delivers a press of the combination registered under `id`, as the
    // system would. Returns false when `id` is not registered.
    bool press(int id);
    bool isRegistered(int id) const { return registered.count(id) != 0; }

    std::map<int, std::pair<std::uint32_t, std::uint32_t>> registered; // id -> (modifiers, key)
    std::set<std::pair<std::uint32_t, std::uint32_t>> heldElsewhere;
    std::vector<std::string> log; // "register 1 3 80", "unregister 1", ...
    PressHandler handler;
    std::uint32_t held = 0; // kMod* bits of the modifier keys "held down"
    int heldQueries = 0;
    // When set, every registration fails with it, as on a desktop that
    // gives programs no global keys.
    std::optional<Result> refuseAll;
};

class RecordingShell final : public Shell {
public:
    Result registerFileType(const FileTypeRegistration& registration) override;

    std::vector<FileTypeRegistration> registrations;
    bool fail = false;
};

class RecordingPlatform final : public Platform {
public:
    Result check() override { return checkResult; }
    Mouse& mouse() override { return m_mouse; }
    HotKeys& hotKeys() override { return m_hotKeys; }
    Shell& shell() override { return m_shell; }

    RecordingMouse& recordingMouse() { return m_mouse; }
    RecordingHotKeys& recordingHotKeys() { return m_hotKeys; }
    RecordingShell& recordingShell() { return m_shell; }

    Result checkResult = Result::success();

private:
    RecordingMouse m_mouse;
    RecordingHotKeys m_hotKeys;
    RecordingShell m_shell;
};

// Installs a fresh recording platform as the current one for the lifetime of
// the object (one per test).
class ScopedRecordingPlatform {
public:
    ScopedRecordingPlatform() { setCurrent(&platform); }
    ~ScopedRecordingPlatform() { setCurrent(nullptr); }
    ScopedRecordingPlatform(const ScopedRecordingPlatform&) = delete;
    ScopedRecordingPlatform& operator=(const ScopedRecordingPlatform&) = delete;

    RecordingPlatform platform;
    RecordingMouse& mouse() { return platform.recordingMouse(); }
    RecordingHotKeys& hotKeys() { return platform.recordingHotKeys(); }
    RecordingShell& shell() { return platform.recordingShell(); }
};

} // namespace platform::fake
