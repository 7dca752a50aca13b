// The command line: `quorvel` starts normally, `quorvel FILE` plays FILE
// unattended; --toggle and --capture hand a command to the instance already
// running; --help and --version print and exit; `--` ends the options.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What `quorvel --toggle` and `quorvel --capture` ask of the running
// instance: exactly what the start/stop and the capture-position hot keys do.
enum class ControlCommand {
    Toggle,  // hot key 2, start or stop playback
    Capture, // hot key 1, the pointer's position into X and Y
};

struct CommandLine {
    enum class Action {
        Start,   // normal start, or auto-run when `file` was given
        Control, // send `command` to the running instance and exit
        Help,    // print usage, exit 0
        Version, // print the version, exit 0
        Error,   // print `error` and the usage to stderr, exit 2
    };
    Action action = Action::Start;
    bool autoRun = false; // a file was named
    QString file;
    ControlCommand command = ControlCommand::Toggle;
    QString error;
};

// The arguments after the program name, from main's argc and argv (on
// Windows from the system's wide command line, which keeps every character).
QStringList ProgramArguments(int argc, char** argv);

// Parses the arguments after the program name.
CommandLine ParseCommandLine(const QStringList& arguments);

QString UsageText();
QString VersionText();

// "--toggle" or "--capture".
QString ControlOptionName(ControlCommand command);
// A command as it travels over the control socket: one word and a newline.
QByteArray ControlCommandLine(ControlCommand command);
// The command one line received on the control socket names (without its
// newline); nothing for anything but the two words.
std::optional<ControlCommand> ParseControlCommand(const QByteArray& line);
// The hot key a command stands for: 1 capture, 2 start/stop.
int HotKeyOf(ControlCommand command);
