// The whole program for Windows, end to end: quorvel.exe (named by the first
// argument) is started as a user would start it, and what it does is seen
// from outside: its window, what it draws, the registry, and the clicks that
// reach a window of this test. With a second argument, the installer
// quorvel-setup-x64.exe: installed silently, the installed program is tried
// the same way, and the uninstaller is run silently.
#include "MessagePump.h"
#include "RegistryValues.h"
#include "TargetWindow.h"
#include "TestRunner.h"

#include "files/SequenceCodec.h"
#include "platform/win32/Win32Mouse.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace quorvel::win32test;

namespace {

const std::wstring kCaption = L"Quorvel Software Utility - by Corvane";
const std::wstring kSettingsKey = L"Software\\Corvane\\Quorvel\\Settings";

// One run of the program, ended by its handle when the test leaves it running.
class Program {
public:
    explicit Program(std::wstring commandLine)
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &m_process))
            m_process = {};
    }
    ~Program()
    {
        if (!m_process.hProcess)
            return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process.hProcess, 1);
            WaitForSingleObject(m_process.hProcess, 5000);
        }
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return m_process.hProcess != nullptr; }

    // The executable's full path as the system knows it.
    std::wstring imagePath() const
    {
        wchar_t path[MAX_PATH];
        DWORD size = MAX_PATH;
        return QueryFullProcessImageNameW(m_process.hProcess, 0, path, &size) ? std::wstring(path, size) : L"";
    }

    // Its visible top-level window with this caption, waiting at most `timeoutMs`.
    HWND waitForWindow(const std::wstring& caption, unsigned timeoutMs) const
    {
        struct Search {
            DWORD processId;
            const std::wstring* caption;
            HWND found;
        } search{m_process.dwProcessId, &caption, nullptr};
        pumpUntil(
            [&] {
                EnumWindows(
                    [](HWND window, LPARAM data) -> BOOL {
                        auto* s = reinterpret_cast<Search*>(data);
                        DWORD owner = 0;
                        GetWindowThreadProcessId(window, &owner);
                        wchar_t text[256];
                        GetWindowTextW(window, text, 256);
                        if (owner == s->processId && IsWindowVisible(window) && *s->caption == text) {
                            s->found = window;
                            return FALSE;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&search));
                return search.found != nullptr;
            },
            timeoutMs);
        return search.found;
    }

    // Its exit code once it has ended, dispatching this thread's messages
    // meanwhile; nullopt when it is still running after `timeoutMs`.
    std::optional<DWORD> waitForExit(unsigned timeoutMs) const
    {
        if (!pumpUntil([&] { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs))
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process{};
};

std::optional<DWORD> settingsValue(const wchar_t* name)
{
    DWORD value = 0;
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// A point of the main window given in dialog units: its client area is 420 x
// 315 of them, however large the font makes it.
POINT dialogPoint(HWND window, int x, int y)
{
    RECT client{};
    GetClientRect(window, &client);
    POINT point{x * client.right / 420, y * client.bottom / 315};
    ClientToScreen(window, &point);
    return point;
}

void clickAt(POINT point)
{
    platform::win32::Win32Mouse mouse;
    mouse.setCursorPos(point.x, point.y);
    mouse.button(platform::Button::Left, platform::ButtonAction::Down);
    mouse.button(platform::Button::Left, platform::ButtonAction::Up);
}

CClickEntry click(POINT at, int type)
{
    CClickEntry entry;
    entry.m_delay = 150;
    entry.m_x = static_cast<std::uint32_t>(at.x);
    entry.m_y = static_cast<std::uint32_t>(at.y);
    entry.m_clickType = type;
    return entry;
}

bool writeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}


bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The pixels of a rectangle of the window (dialog units, 3 pixels of its
// edge left out) that are not of its most common colour: the ink of what is
// drawn in an edit field; 0 for an empty one.
int inkPixels(HWND window, int x, int y, int width, int height)
{
    const POINT from = dialogPoint(window, x, y);
    const POINT to = dialogPoint(window, x + width, y + height);
    std::map<COLORREF, int> colours;
    const HDC screen = GetDC(nullptr);
    for (int py = from.y + 3; py < to.y - 3; ++py)
        for (int px = from.x + 3; px < to.x - 3; ++px)
            ++colours[GetPixel(screen, px, py)];
    ReleaseDC(nullptr, screen);
    int total = 0;
    int background = 0;
    for (const auto& [colour, count] : colours) {
        total += count;
        background = std::max(background, count);
    }
    return total - background;
}

// An unattended run of a sequence file by `exe` clicks into a window of the
// test and exits with 0.
void playsUnattended(const std::wstring& exe)
{
    TargetWindow target(560, 380, 240, 160);
    pumpFor(200);
    REQUIRE(target.isOpen());
    wchar_t folder[MAX_PATH];
    REQUIRE(GetTempPathW(MAX_PATH, folder) > 0);
    // A name the ANSI code page cannot spell.
    const std::wstring plan = std::wstring(folder) + L"quorvel-e2e-\u03A9\u03BC\u03AD\u03B3\u03B1.tpx";
    REQUIRE(writeFile(plan, files::encodeSequence(1, {click(target.toScreen(20, 30), SingleLeftClick),
                                                      click(target.toScreen(200, 120), SingleRightClick),
                                                      click(target.toScreen(60, 70), DoubleLeftClick)})));
    Program program(L"\"" + exe + L"\" \"" + plan + L"\"");
    REQUIRE(program.started());
    CHECK_EQ(program.waitForExit(60000).value_or(999), DWORD(0));
    pumpFor(100);
    CHECK_EQ(describe(target.messages()), std::string("L down (20,30), L up (20,30), R down (200,120), "
                                                      "R up (200,120), L down (60,70), L up (60,70), "
                                                      "L down (60,70), L up (60,70)"));
    DeleteFileW(plan.c_str());
}

// Started normally, `exe` draws the text of its X field (which shows 0).
void showsFieldText(const std::wstring& exe)
{
    Program program(L"\"" + exe + L"\"");
    REQUIRE(program.started());
    const HWND window = program.waitForWindow(kCaption, 60000);
    REQUIRE(window != nullptr);
    pumpFor(1500);
    const int ink = inkPixels(window, 74, 20, 40, 14);
    std::printf("    ink pixels in the X field: %d\n", ink);
    CHECK(ink > 5);
    PostMessageW(window, WM_CLOSE, 0, 0);
    CHECK_EQ(program.waitForExit(20000).value_or(999), DWORD(0));
}

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel";

std::wstring stringValue(HKEY root, const std::wstring& key, const wchar_t* name)
{
    wchar_t data[1024];
    DWORD bytes = sizeof data;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, data, &bytes) !=
        ERROR_SUCCESS)
        return {};
    return data;
}

std::wstring startMenuShortcut(HKEY root)
{
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, root == HKEY_LOCAL_MACHINE ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, nullptr,
                                0, folder)))
        return {};
    return std::wstring(folder) + L"\\Quorvel.lnk";
}

// The installer run with `options` (/S and more), the installed program when
// `tryProgram`, and the uninstaller, all silent. Wine runs programs as an
// administrator, so the installer installs for all users (HKLM) unless
// /CurrentUser keeps it to the user (HKCU).
void installerCases(TestRunner& runner, const std::wstring& setup, const std::wstring& options, bool tryProgram)
{
    // Only the installer's association, none left by the runs above.
    for (const wchar_t* key : {L"Software\\Classes\\.tpx", L"Software\\Classes\\QuorvelFile"})
        RegDeleteTreeW(HKEY_CURRENT_USER, key);
    HKEY root = nullptr;
    std::wstring folder;

    const std::string with = " with " + narrow(options);
    runner.run("the installer" + with + " installs the program, a Start-menu shortcut and an Uninstall entry", [&] {
        Program installer(L"\"" + setup + L"\" " + options);
        REQUIRE(installer.started());
        REQUIRE(installer.waitForExit(120000).value_or(999) == 0);
        root = options.find(L"/CurrentUser") == std::wstring::npos ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        folder = stringValue(root, kUninstallKey, L"InstallLocation");
        REQUIRE(!folder.empty());
        wchar_t expected[MAX_PATH];
        REQUIRE(SUCCEEDED(SHGetFolderPathW(nullptr, root == HKEY_LOCAL_MACHINE ? CSIDL_PROGRAM_FILES
                                                                                : CSIDL_LOCAL_APPDATA,
                                           nullptr, 0, expected)));
        CHECK_EQ(narrow(folder), narrow(expected) + (root == HKEY_LOCAL_MACHINE ? "\\Quorvel" : "\\Programs\\Quorvel"));
        std::printf("    installed in %s\n", narrow(folder).c_str());
        for (const wchar_t* file : {L"quorvel.exe", L"Qt6Widgets.dll", L"platforms\\qwindows.dll", L"LICENSE.txt",
                                    L"licenses\\Qt\\LGPL-3.txt", L"uninstall.exe"})
            CHECK(exists(folder + L"\\" + file));
        CHECK(exists(startMenuShortcut(root)));
        CHECK_EQ(narrow(stringValue(root, kUninstallKey, L"DisplayName")), std::string("Quorvel"));
        CHECK_EQ(narrow(stringValue(root, kUninstallKey, L"Publisher")), std::string("Corvane"));
        CHECK(!stringValue(root, kUninstallKey, L"DisplayVersion").empty());
        CHECK_EQ(narrow(stringValue(root, kUninstallKey, L"DisplayIcon")), "\"" + narrow(folder) + "\\quorvel.exe\",0");
        DWORD size = 0;
        DWORD bytes = sizeof size;
        RegGetValueW(root, kUninstallKey.c_str(), L"EstimatedSize", RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY,
                     nullptr, &size, &bytes);
        CHECK(size > 5000); // KB
    });
    const std::wstring exe = folder + L"\\quorvel.exe";

    runner.run("the installer" + with + " associated .tpx files with the installed program", [&] {
        REQUIRE(!folder.empty());
        // In the hive of the installation (Wine's HKEY_CLASSES_ROOT shows
        // only the machine's).
        CHECK_EQ(defaultValue(root, L"Software\\Classes\\.tpx"), std::string("QuorvelFile"));
        CHECK_EQ(defaultValue(root, L"Software\\Classes\\QuorvelFile\\shell\\open\\command"),
                 "\"" + narrow(exe) + "\" \"%1\"");
    });

    if (tryProgram) {
        runner.run("the installed program plays a sequence file named on its command line, then exits with 0", [&] {
            REQUIRE(!folder.empty());
            playsUnattended(exe);
        });

        runner.run("the installed program's edit fields show their text", [&] {
            REQUIRE(!folder.empty());
            showsFieldText(exe);
        });
    }

    runner.run("then the uninstaller with /S removes the files, the shortcut, the association and the Uninstall key, "
               "and keeps the settings", [&] {
        REQUIRE(!folder.empty());
        REQUIRE(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey.c_str(), L"DoubleClickDelay", REG_DWORD,
                                "\x14\0\0\0", 4) == ERROR_SUCCESS);
        Program uninstaller(L"\"" + folder + L"\\uninstall.exe\" /S");
        REQUIRE(uninstaller.started());
        CHECK_EQ(uninstaller.waitForExit(60000).value_or(999), DWORD(0));
        // It goes on from a copy of itself in the temporary folder.
        CHECK(pumpUntil([&] { return !exists(folder) && stringValue(root, kUninstallKey, L"DisplayName").empty(); },
                        60000));
        CHECK(!exists(folder));
        CHECK(!exists(startMenuShortcut(root)));
        CHECK(stringValue(root, kUninstallKey, L"DisplayName").empty());
        for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            CHECK_EQ(defaultValue(hive, L"Software\\Classes\\.tpx").rfind("<error", 0), size_t(0));
            CHECK_EQ(defaultValue(hive, L"Software\\Classes\\QuorvelFile").rfind("<error", 0), size_t(0));
        }
        CHECK_EQ(settingsValue(L"DoubleClickDelay").value_or(0), DWORD(20));
    });
}

} // namespace

int main(int argc, char** argv)
{
    TestRunner runner("win32 program");
    if (argc != 2 && argc != 3) {
        std::printf("usage: win32_program_e2e <path of quorvel.exe> [<path of quorvel-setup-x64.exe>]\n");
        return 2;
    }
    wchar_t exePath[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, argv[1], -1, exePath, MAX_PATH))
        return 2;
    const std::wstring exe = exePath;
    // A profile and file type of this run only.
    for (const wchar_t* key : {L"Software\\Corvane", L"Software\\Classes\\.tpx", L"Software\\Classes\\QuorvelFile"})
        RegDeleteTreeW(HKEY_CURRENT_USER, key);

    // As on Windows, the program sees no DISPLAY (Wine keeps its own).
    SetEnvironmentVariableW(L"DISPLAY", nullptr);
    {
        Program program(L"\"" + exe + L"\"");
        HWND window = nullptr;

        runner.run("started without a file, it shows its window with its caption", [&] {
            REQUIRE(program.started());
            window = program.waitForWindow(kCaption, 60000);
            CHECK(window != nullptr);
        });

        runner.run("at start it registered the file type for its own path under HKCU\\Software\\Classes", [&] {
            const std::string path = narrow(program.imagePath());
            REQUIRE(!path.empty());
            CHECK_EQ(classesValue(L".tpx"), std::string("QuorvelFile"));
            CHECK_EQ(classesValue(L"QuorvelFile\\shell\\open\\command"), "\"" + path + "\" \"%1\"");
            CHECK_EQ(classesValue(L"QuorvelFile\\DefaultIcon"), "\"" + path + "\",0");
        });

        runner.run("unticking Show On Hot Key Press stores 0 under HKCU\\Software\\Corvane\\Quorvel\\Settings", [&] {
            REQUIRE(window != nullptr);
            CHECK(!settingsValue(L"ShowOnHotKeyPress"));
            clickAt(dialogPoint(window, 321, 273));
            pumpUntil([] { return settingsValue(L"ShowOnHotKeyPress").has_value(); }, 10000);
            CHECK_EQ(settingsValue(L"ShowOnHotKeyPress").value_or(99), DWORD(0));
        });

        runner.run("closing the window ends it with exit code 0", [&] {
            REQUIRE(window != nullptr);
            PostMessageW(window, WM_CLOSE, 0, 0);
            CHECK_EQ(program.waitForExit(20000).value_or(999), DWORD(0));
        });
    }

    runner.run("an unattended run of a sequence file clicks into another window, then exits with 0",
               [&] { playsUnattended(exe); });

    runner.run("its edit fields show their text", [&] { showsFieldText(exe); });

    if (argc == 3) {
        wchar_t setupPath[MAX_PATH];
        if (!MultiByteToWideChar(CP_ACP, 0, argv[2], -1, setupPath, MAX_PATH))
            return 2;
        installerCases(runner, setupPath, L"/S", true);
        installerCases(runner, setupPath, L"/S /CurrentUser", false);
    }

    return runner.finish();
}
