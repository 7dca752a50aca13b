#include "platform/fake/RecordingPlatform.h"

namespace platform::fake {

void RecordingMouse::record(Event e)
{
    e.inClick = m_inClick;
    events.push_back(e);
}

std::optional<Point> RecordingMouse::cursorPos()
{
    record({Event::Kind::QueryPos, position.x, position.y});
    if (!positionKnown)
        return std::nullopt;
    return position;
}

void RecordingMouse::setCursorPos(int x, int y)
{
    position = {x, y};
    record({Event::Kind::Move, x, y});
}

void RecordingMouse::button(Button b, ButtonAction action)
{
    Event e{Event::Kind::Button, position.x, position.y};
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

std::vector<Event> RecordingMouse::buttonEvents() const
{
    std::vector<Event> out;
    for (const Event& e : events)
        if (e.kind == Event::Kind::Button)
            out.push_back(e);
    return out;
}

int RecordingMouse::clicks(Button b) const
{
    int count = 0;
    bool down = false;
    for (const Event& e : events) {
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
