// The command line: `quorvel` starts normally, `quorvel FILE` plays FILE
// unattended; --help and --version print and exit; `--` ends the options.
#pragma once

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action {
        Start,   // normal start, or auto-run when `file` was given
        Help,    // print usage, exit 0
        Version, // print the version, exit 0
        Error,   // print `error` and the usage to stderr, exit 2
    };
    Action action = Action::Start;
    bool autoRun = false; // a file was named
    QString file;
    QString error;
};

// The arguments after the program name, from main's argc and argv (on
// Windows from the system's wide command line, which keeps every character).
QStringList ProgramArguments(int argc, char** argv);

// Parses the arguments after the program name.
CommandLine ParseCommandLine(const QStringList& arguments);

QString UsageText();
QString VersionText();
