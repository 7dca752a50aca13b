// The four mouse actions: button events at the pointer's current position,
// and the one pause inside a double click.
#include "hotkeys/CUtility.h"
#include "platform/Platform.h"

using platform::Button;
using platform::ButtonAction;

void CUtility::ClickLeft()
{
    platform::Mouse& mouse = platform::current().mouse();
    mouse.button(Button::Left, ButtonAction::Down);
    mouse.button(Button::Left, ButtonAction::Up);
}

void CUtility::ClickRight()
{
    platform::Mouse& mouse = platform::current().mouse();
    mouse.button(Button::Right, ButtonAction::Down);
    mouse.button(Button::Right, ButtonAction::Up);
}

void CUtility::DoubleClickLeft()
{
    ClickLeft();
    platform::current().mouse().pause(static_cast<std::uint32_t>(GetDoubleClickDelay()));
    ClickLeft();
}

void CUtility::DoubleClickRight()
{
    ClickRight();
    platform::current().mouse().pause(static_cast<std::uint32_t>(GetDoubleClickDelay()));
    ClickRight();
}
