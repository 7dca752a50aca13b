#include "platform/fake/RecordingPlatform.h"

#include "platform/WindowThread.h"

#include <utility>

namespace platform::fake {

// A run records into its mouse's list from the run's thread.
class RecordingRun final : public MouseRun {
public:
    RecordingRun(RecordingMouse& mouse, RunWait& wait) : MouseRun(wait), m_mouse(mouse) {}

    std::optional<Point> cursorPos() override
    {
        const std::optional<Point> position = m_mouse.query();
        if (!m_mouse.positionOnWindowThread)
            return position;
        return readOnWindowThread([position] { return position; }, m_wait);
    }
    void setCursorPos(int x, int y) override
    {
        m_moved = true;
        m_mouse.setCursorPos(x, y);
    }
    bool button(Button button, ButtonAction action) override
    {
        const bool moved = std::exchange(m_moved, false);
        if (moved && m_mouse.motionSettleMs > 0 && !settle(m_mouse.motionSettleMs) && action == ButtonAction::Down)
            return false;
        if (action == ButtonAction::Up && m_mouse.pressHoldMs > 0)
            settle(m_mouse.pressHoldMs);
        m_mouse.button(button, action);
        return true;
    }
    void flush() override
    {
        const std::lock_guard<std::mutex> hold(m_mouse.m_lock);
        ++m_mouse.flushes;
    }
    bool pause(std::uint32_t ms) override
    {
        flush();
        Event e{Event::Kind::Pause};
        e.ms = ms;
        m_mouse.record(e);
        // The world acts at the pause's start; the pause counts from then.
        if (m_mouse.duringPause) {
            const std::function<void()>& act = m_mouse.duringPause;
            readOnWindowThread(
                [&act] {
                    act();
                    return std::optional<Point>();
                },
                m_wait);
        }
        return m_wait.sleep(std::chrono::milliseconds(ms));
    }
    Result status() override
    {
        const std::lock_guard<std::mutex> hold(m_mouse.m_lock);
        if (m_mouse.takenAfterFlushes >= 0 && m_mouse.flushes >= m_mouse.takenAfterFlushes)
            return Result::failure(1223, "the desktop ended the control of the pointer");
        return Result::success();
    }

private:
    bool settle(std::uint32_t ms) { return m_wait.sleep(std::chrono::milliseconds(ms)); }

    RecordingMouse& m_mouse;
    bool m_moved = false;
};

void RecordingMouse::record(Event e)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    if (e.kind == Event::Kind::Button || e.kind == Event::Kind::QueryPos) {
        e.x = position.x;
        e.y = position.y;
    }
    e.time = std::chrono::steady_clock::now();
    events.push_back(e);
}

std::optional<Point> RecordingMouse::query()
{
    record({Event::Kind::QueryPos});
    const std::lock_guard<std::mutex> hold(m_lock);
    if (!positionKnown)
        return std::nullopt;
    return position;
}

std::optional<Point> RecordingMouse::cursorPos()
{
    return query();
}

void RecordingMouse::setCursorPos(int x, int y)
{
    record({Event::Kind::Move, x, y});
    const std::lock_guard<std::mutex> hold(m_lock);
    position = {x, y};
}

void RecordingMouse::button(Button b, ButtonAction action)
{
    Event e{Event::Kind::Button};
    e.button = b;
    e.action = action;
    record(e);
}

void RecordingMouse::pause(std::uint32_t ms)
{
    Event e{Event::Kind::Pause};
    e.ms = ms;
    record(e);
    if (duringPause)
        duringPause();
}

std::unique_ptr<MouseRun> RecordingMouse::openRun(RunWait& wait)
{
    return std::make_unique<RecordingRun>(*this, wait);
}

void RecordingMouse::clear()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    events.clear();
}

std::vector<Event> RecordingMouse::eventsNow() const
{
    const std::lock_guard<std::mutex> hold(m_lock);
    return events;
}

std::vector<Event> RecordingMouse::buttonEvents() const
{
    std::vector<Event> out;
    for (const Event& e : eventsNow())
        if (e.kind == Event::Kind::Button)
            out.push_back(e);
    return out;
}

int RecordingMouse::clicks(Button b) const
{
    int count = 0;
    bool down = false;
    for (const Event& e : eventsNow()) {
        if (e.isDown(b))
            down = true;
        else if (e.isUp(b) && down) {
            ++count;
            down = false;
        }
    }
    return count;
}

Result RecordingHotKeys::registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey)
{
    log.push_back("register " + std::to_string(id) + " " + std::to_string(modifiers) + " " +
                  std::to_string(virtualKey));
    if (refuseAll)
        return *refuseAll;
    if (registered.count(id))
        return Result::failure(kErrorHotKeyAlreadyRegistered, "identifier already registered");
    const auto combination = std::make_pair(modifiers, virtualKey);
    if (heldElsewhere.count(combination))
        return Result::failure(kErrorHotKeyAlreadyRegistered, "combination held by another program");
    for (const auto& [otherId, other] : registered)
        if (other == combination)
            return Result::failure(kErrorHotKeyAlreadyRegistered, "combination already registered");
    registered[id] = combination;
    return Result::success();
}

Result RecordingHotKeys::unregisterHotKey(int id)
{
    log.push_back("unregister " + std::to_string(id));
    if (registered.erase(id) == 0)
        return Result::failure(1419, "hot key is not registered"); // ERROR_HOTKEY_NOT_REGISTERED
    return Result::success();
}

void RecordingHotKeys::setPressHandler(PressHandler h)
{
    handler = std::move(h);
}

void RecordingHotKeys::holdElsewhere(std::uint32_t modifiers, std::uint32_t virtualKey)
{
    heldElsewhere.insert({modifiers, virtualKey});
}

bool RecordingHotKeys::press(int id)
{
    const auto it = registered.find(id);
    if (it == registered.end() || !handler)
        return false;
    handler(id, it->second.first, it->second.second);
    return true;
}

Result RecordingShell::registerFileType(const FileTypeRegistration& registration)
{
    registrations.push_back(registration);
    if (fail)
        return Result::failure(5, "access denied"); // ERROR_ACCESS_DENIED
    return Result::success();
}

} // namespace platform::fake
