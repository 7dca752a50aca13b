#include "app/CommandLine.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>
#endif

QStringList ProgramArguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv)
{
    QStringList arguments;
#ifdef _WIN32
    // argv holds the arguments in the ANSI code page, which cannot spell
    // every file name; the wide command line holds them as they were given.
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            arguments << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
    }
#else
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
#endif
    return arguments;
}
