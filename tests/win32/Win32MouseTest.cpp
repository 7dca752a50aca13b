// The Win32 pointer and buttons against a real window: the pointer is put
// on a window of the test's own, the back end injects the button events, and
// the window's messages show which events arrived, where and in which order.
#include "MessagePump.h"
#include "TargetWindow.h"
#include "TestRunner.h"

#include "platform/Platform.h"

#include <windows.h>

#include <string>

using namespace quorvel::win32test;
using platform::Button;
using platform::ButtonAction;
using platform::Point;

namespace {

// The target's client area on the screen.
constexpr int kLeft = 100;
constexpr int kTop = 80;
constexpr int kWidth = 240;
constexpr int kHeight = 160;

// Waits (bounded) until the target has `count` messages, then a little
// longer so that a stray extra message would show too.
std::string messagesAfter(TargetWindow& target, std::size_t count)
{
    pumpUntil([&] { return target.messages().size() >= count; }, 3000);
    pumpFor(100);
    return describe(target.messages());
}

void pointAt(platform::Mouse& mouse, const TargetWindow& target, int clientX, int clientY)
{
    const POINT screen = target.toScreen(clientX, clientY);
    mouse.setCursorPos(screen.x, screen.y);
}

void click(platform::Mouse& mouse, Button button)
{
    mouse.button(button, ButtonAction::Down);
    mouse.button(button, ButtonAction::Up);
}

} // namespace

int main()
{
    TestRunner runner("win32 mouse");
    const std::unique_ptr<platform::Platform> native = platform::createNative();
    platform::Mouse& mouse = native->mouse();
    TargetWindow target(kLeft, kTop, kWidth, kHeight);
    pumpFor(200); // let the window appear before the first event

    runner.run("the native platform passes its start-up check", [&] {
        const platform::Result result = native->check();
        CHECK(result.ok);
        CHECK_EQ(result.message, std::string());
    });

    runner.run("the target window covers the expected screen rectangle", [&] {
        REQUIRE(target.isOpen());
        const POINT origin = target.toScreen(0, 0);
        CHECK_EQ(origin.x, kLeft);
        CHECK_EQ(origin.y, kTop);
    });

    runner.run("cursorPos reads back what setCursorPos set", [&] {
        const int right = GetSystemMetrics(SM_CXSCREEN) - 1;
        const int bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
        for (const Point wanted : {Point{0, 0}, Point{123, 45}, Point{right, bottom}, Point{7, bottom}}) {
            mouse.setCursorPos(wanted.x, wanted.y);
            CHECK_EQ(mouse.cursorPos(), wanted);
        }
    });

    runner.run("positions off the screen are clamped to its edge", [&] {
        const int right = GetSystemMetrics(SM_CXSCREEN) - 1;
        const int bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
        mouse.setCursorPos(-40, -30);
        CHECK_EQ(mouse.cursorPos(), (Point{0, 0}));
        mouse.setCursorPos(right + 500, bottom + 500);
        CHECK_EQ(mouse.cursorPos(), (Point{right, bottom}));
    });

    runner.run("a left click lands at the pointer as left down then left up", [&] {
        REQUIRE(target.isOpen());
        target.clear();
        pointAt(mouse, target, 20, 30);
        click(mouse, Button::Left);
        CHECK_EQ(messagesAfter(target, 2), std::string("L down (20,30), L up (20,30)"));
    });

    runner.run("a right click lands at the pointer as right down then right up", [&] {
        REQUIRE(target.isOpen());
        target.clear();
        pointAt(mouse, target, 200, 120);
        click(mouse, Button::Right);
        CHECK_EQ(messagesAfter(target, 2), std::string("R down (200,120), R up (200,120)"));
    });

    runner.run("button events neither move the pointer nor carry a position of their own", [&] {
        REQUIRE(target.isOpen());
        target.clear();
        pointAt(mouse, target, 10, 12);
        mouse.button(Button::Left, ButtonAction::Down);
        pointAt(mouse, target, 150, 100);
        mouse.button(Button::Left, ButtonAction::Up);
        CHECK_EQ(messagesAfter(target, 2), std::string("L down (10,12), L up (150,100)"));
        const POINT expected = target.toScreen(150, 100);
        CHECK_EQ(mouse.cursorPos(), (Point{expected.x, expected.y}));
    });

    runner.run("a double click is two complete clicks with the pause between them", [&] {
        REQUIRE(target.isOpen());
        for (const Button button : {Button::Left, Button::Right}) {
            target.clear();
            pointAt(mouse, target, 60, 70);
            click(mouse, button);
            const ULONGLONG before = GetTickCount64();
            mouse.pause(80);
            const ULONGLONG slept = GetTickCount64() - before;
            click(mouse, button);
            const std::string expected = button == Button::Left
                                             ? "L down (60,70), L up (60,70), L down (60,70), L up (60,70)"
                                             : "R down (60,70), R up (60,70), R down (60,70), R up (60,70)";
            CHECK_EQ(messagesAfter(target, 4), expected);
            // Sleep may end up to one timer tick early on Windows.
            CHECK(slept >= 64 && slept < 1000);
        }
    });

    runner.run("a click beside the window does not reach it", [&] {
        REQUIRE(target.isOpen());
        target.clear();
        mouse.setCursorPos(kLeft + kWidth + 30, kTop + 10);
        click(mouse, Button::Left);
        pumpFor(300);
        CHECK_EQ(describe(target.messages()), std::string());
    });

    return runner.finish();
}
