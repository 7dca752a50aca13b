// The four mouse actions of a run: button events at the pointer's current
// position, and the one pause inside a double click. Each says whether it
// was played whole; after a stop it plays no more, but releases what it
// pressed.
#include "playback/PlaybackRun.h"

using platform::Button;
using platform::ButtonAction;

bool PlaybackRun::click(Button button)
{
    if (!m_mouse->button(button, ButtonAction::Down))
        return false;
    // A press is always released, also when the stop came while it was held.
    m_mouse->button(button, ButtonAction::Up);
    return true;
}

bool PlaybackRun::ClickLeft()
{
    return click(Button::Left);
}

bool PlaybackRun::ClickRight()
{
    return click(Button::Right);
}

bool PlaybackRun::DoubleClickLeft()
{
    return ClickLeft() && m_mouse->pause(m_doubleClickDelay) && ClickLeft();
}

bool PlaybackRun::DoubleClickRight()
{
    return ClickRight() && m_mouse->pause(m_doubleClickDelay) && ClickRight();
}
