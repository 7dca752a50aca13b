// The Win32 file-type registration against the real registry of the Wine
// prefix (a fresh one per run): the values are read back with RegGetValue and
// with the reg tool, and failures must be reported, not swallowed.
#include "RegistryValues.h"
#include "TestRunner.h"

#include "files/RegisterFileType.h"
#include "platform/win32/RegistryShell.h"

#include <windows.h>
// after windows.h, which it needs
#include <sddl.h>

#include <string>

using namespace quorvel::win32test;
using platform::FileTypeRegistration;
using platform::Result;
using platform::win32::RegistryShell;

namespace {

FileTypeRegistration registration(const std::string& typeName, const std::string& program)
{
    FileTypeRegistration r;
    r.extension = ".tpx";
    r.typeName = typeName;
    r.description = "Quorvel File";
    r.openCommand = program + " \"%1\"";
    r.iconValue = program + ",0";
    r.executablePath = program;
    r.iconName = "quorvel";
    return r;
}

// Creates HKCU\Software\Classes\<subKey> with the given options and, when
// `sddl` is given, that security descriptor; true on success.
bool prepareKey(const std::wstring& subKey, DWORD options, const wchar_t* sddl = nullptr)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + subKey).c_str(), 0, nullptr, options,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    if (sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ok = ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr) &&
             RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
        LocalFree(descriptor);
    }
    RegCloseKey(key);
    return ok;
}

bool keyExists(const std::wstring& subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Runs a command line with its output captured, bounded in time; returns the
// output, or "<...>" when the program could not be run or did not finish.
std::string runCaptured(std::wstring commandLine)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return "<no pipe>";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return "<cannot start: error " + std::to_string(GetLastError()) + ">";
    }
    // The pipe ends when the program ends; the output is small, so reading
    // to the end before waiting cannot block the writer.
    std::string output;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        output.append(buffer, got);
    const bool finished = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!finished)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    return finished ? output : "<timed out>";
}

// The default value of HKCU\Software\Classes\<subKey> as `reg query ... /ve`
// prints it: a line "    (Default)    REG_SZ    <value>".
std::string regQueryDefault(const std::wstring& subKey)
{
    const std::string output = runCaptured(L"reg.exe query \"HKCU\\Software\\Classes\\" + subKey + L"\" /ve");
    const std::string marker = "REG_SZ";
    std::size_t at = output.find(marker);
    if (at == std::string::npos)
        return "<no REG_SZ in: " + output + ">";
    at = output.find_first_not_of(" \t", at + marker.size());
    const std::size_t end = output.find_first_of("\r\n", at);
    return at == std::string::npos ? std::string() : output.substr(at, end - at);
}

} // namespace

int main()
{
    TestRunner runner("win32 registry");
    RegistryShell shell;
    // A fresh Wine prefix has none of these keys; removing them first keeps
    // a rerun in the same prefix meaningful too.
    for (const std::wstring& key : std::initializer_list<std::wstring>{
             L".tpx", L"QuorvelFile", L".t", L"QuorvelBadA", L"QuorvelBadB", L".qbc", L"QuorvelBadC", L".qlong",
             L".qlocked", L"QuorvelLocked", L".qvol", L"QuorvelVolatile", std::wstring(300, L'Q')})
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + key).c_str());
    const std::string program = "C:\\Tools\\quorvel.exe";

    runner.run("the three default values are written under HKEY_CURRENT_USER\\Software\\Classes", [&] {
        const Result result = shell.registerFileType(registration("QuorvelFile", program));
        REQUIRE(result.ok);
        CHECK_EQ(classesValue(L".tpx"), std::string("QuorvelFile"));
        CHECK_EQ(classesValue(L"QuorvelFile\\shell\\open\\command"), std::string("C:\\Tools\\quorvel.exe \"%1\""));
        CHECK_EQ(classesValue(L"QuorvelFile\\DefaultIcon"), std::string("C:\\Tools\\quorvel.exe,0"));
    });

    runner.run("reg query reads the same three values", [&] {
        CHECK_EQ(regQueryDefault(L".tpx"), std::string("QuorvelFile"));
        CHECK_EQ(regQueryDefault(L"QuorvelFile\\shell\\open\\command"), std::string("C:\\Tools\\quorvel.exe \"%1\""));
        CHECK_EQ(regQueryDefault(L"QuorvelFile\\DefaultIcon"), std::string("C:\\Tools\\quorvel.exe,0"));
    });

    runner.run("the type key itself and the shell and open keys get no value", [&] {
        for (const wchar_t* key : {L"QuorvelFile", L"QuorvelFile\\shell", L"QuorvelFile\\shell\\open"}) {
            CHECK(keyExists(key));
            CHECK_EQ(classesValue(key), "<error " + std::to_string(ERROR_FILE_NOT_FOUND) + ">");
        }
    });

    runner.run("the program's own Windows path becomes a quoted open command and icon value", [&] {
        // The way the program registers at start, from the path Qt reports.
        REQUIRE(files::registerFileType(shell, "tpx", "Quorvel File", "C:/Program Files/Quorvel/quorvel.exe", {}) == 1);
        CHECK_EQ(classesValue(L".tpx"), std::string("QuorvelFile"));
        CHECK_EQ(classesValue(L"QuorvelFile\\shell\\open\\command"),
                 std::string(R"("C:\Program Files\Quorvel\quorvel.exe" "%1")"));
        CHECK_EQ(classesValue(L"QuorvelFile\\DefaultIcon"), std::string(R"("C:\Program Files\Quorvel\quorvel.exe",0)"));
    });

    runner.run("a later registration rewrites the values for the program's new place", [&] {
        REQUIRE(shell.registerFileType(registration("QuorvelFile", "D:\\Moved\\quorvel.exe")).ok);
        CHECK_EQ(classesValue(L".tpx"), std::string("QuorvelFile"));
        CHECK_EQ(classesValue(L"QuorvelFile\\shell\\open\\command"), std::string("D:\\Moved\\quorvel.exe \"%1\""));
        CHECK_EQ(classesValue(L"QuorvelFile\\DefaultIcon"), std::string("D:\\Moved\\quorvel.exe,0"));
    });

    runner.run("a program path outside ASCII is stored as the same characters", [&] {
        const std::string path = "C:\\Programme\\Klick-\xC3\x9C"
                                 "ber\\quorvel.exe"; // "Über" in UTF-8
        REQUIRE(shell.registerFileType(registration("QuorvelFile", path)).ok);
        wchar_t data[256];
        DWORD bytes = sizeof data;
        REQUIRE(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Classes\\QuorvelFile\\DefaultIcon", nullptr, RRF_RT_REG_SZ,
                             nullptr, data, &bytes) == ERROR_SUCCESS);
        CHECK(std::wstring(data) == L"C:\\Programme\\Klick-\u00DCber\\quorvel.exe,0");
    });

    runner.run("names that cannot be a registry key are refused before anything is written", [&] {
        const std::string classesBefore = defaultValue(HKEY_CURRENT_USER, L"Software\\Classes");
        FileTypeRegistration noExtension = registration("QuorvelBadA", program);
        noExtension.extension.clear();
        FileTypeRegistration noType = registration("", program);
        FileTypeRegistration nested = registration("QuorvelBadB", program);
        nested.extension = ".t\\px";
        for (const FileTypeRegistration& bad : {noExtension, noType, nested}) {
            const Result result = shell.registerFileType(bad);
            CHECK(!result.ok);
            CHECK_EQ(result.error, static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
            CHECK(!result.message.empty());
        }
        CHECK(!keyExists(L"QuorvelBadA"));
        CHECK(!keyExists(L"QuorvelBadB"));
        CHECK(!keyExists(L".t"));
        CHECK_EQ(defaultValue(HKEY_CURRENT_USER, L"Software\\Classes"), classesBefore);
    });

    runner.run("text that is not UTF-8 is refused before anything is written", [&] {
        FileTypeRegistration broken = registration("QuorvelBadC", program);
        broken.extension = ".qbc";
        broken.iconValue = "C:\\\xFF\xFE.exe,0";
        const Result result = shell.registerFileType(broken);
        CHECK(!result.ok);
        CHECK_EQ(result.error, static_cast<std::uint32_t>(ERROR_NO_UNICODE_TRANSLATION));
        CHECK(!keyExists(L".qbc"));
        CHECK(!keyExists(L"QuorvelBadC"));
    });

    runner.run("a key the registry refuses to create makes the registration fail with its error", [&] {
        // Key names are limited to 255 characters.
        FileTypeRegistration tooLong = registration(std::string(300, 'Q'), program);
        tooLong.extension = ".qlong";
        const Result result = shell.registerFileType(tooLong);
        CHECK(!result.ok);
        CHECK_EQ(result.error, static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
        CHECK(result.message.find("QQQ\\shell\\open\\command") != std::string::npos);
    });

    runner.run("an extension key that denies writing makes the registration fail with access denied", [&] {
        // Everyone may read the key, nobody may set its values.
        REQUIRE(prepareKey(L".qlocked", REG_OPTION_NON_VOLATILE, L"D:P(D;;KW;;;WD)(A;;KR;;;WD)"));
        FileTypeRegistration locked = registration("QuorvelLocked", program);
        locked.extension = ".qlocked";
        const Result result = shell.registerFileType(locked);
        CHECK(!result.ok);
        CHECK_EQ(result.error, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
        CHECK(result.message.find(".qlocked") != std::string::npos);
        CHECK(!keyExists(L"QuorvelLocked\\shell"));
    });

    runner.run("a volatile type key, which cannot hold lasting subkeys, makes the registration fail", [&] {
        REQUIRE(prepareKey(L"QuorvelVolatile", REG_OPTION_VOLATILE));
        FileTypeRegistration volatileType = registration("QuorvelVolatile", program);
        volatileType.extension = ".qvol";
        const Result result = shell.registerFileType(volatileType);
        CHECK(!result.ok);
        CHECK_EQ(result.error, static_cast<std::uint32_t>(ERROR_CHILD_MUST_BE_VOLATILE));
        CHECK(result.message.find("QuorvelVolatile\\shell\\open\\command") != std::string::npos);
    });

    return runner.finish();
}
