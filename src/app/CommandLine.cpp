#include "app/CommandLine.h"

namespace {

struct ControlOption {
    const char* option; // on the command line
    const char* word;   // on the control socket
    ControlCommand command;
    int hotKey;
};

const ControlOption kControlOptions[] = {
    {"--toggle", "toggle", ControlCommand::Toggle, 2},
    {"--capture", "capture", ControlCommand::Capture, 1},
};

const ControlOption& controlOption(ControlCommand command)
{
    return command == ControlCommand::Toggle ? kControlOptions[0] : kControlOptions[1];
}

CommandLine failure(const QString& error)
{
    CommandLine result;
    result.action = CommandLine::Action::Error;
    result.error = error;
    return result;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine result;
    bool optionsEnded = false;
    QStringList files;
    QStringList controls;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
                result.action = CommandLine::Action::Help;
                return result;
            }
            if (argument == QLatin1String("--version")) {
                result.action = CommandLine::Action::Version;
                return result;
            }
            bool known = false;
            for (const ControlOption& control : kControlOptions) {
                if (argument == QLatin1String(control.option)) {
                    result.command = control.command;
                    controls << argument;
                    known = true;
                }
            }
            if (!known)
                return failure(QStringLiteral("unknown option '%1'").arg(argument));
            continue;
        }
        files << argument;
    }
    if (controls.size() > 1)
        return failure(QStringLiteral("give one of --toggle and --capture at a time"));
    if (!controls.isEmpty() && !files.isEmpty())
        return failure(QStringLiteral("%1 takes no file").arg(controls.front()));
    if (files.size() > 1)
        return failure(QStringLiteral("only one sequence file can be played, %1 were given").arg(files.size()));
    if (!controls.isEmpty())
        result.action = CommandLine::Action::Control;
    if (files.size() == 1) {
        result.autoRun = true;
        result.file = files.front();
    }
    return result;
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: quorvel [FILE]\n"
        "       quorvel --toggle | --capture\n"
        "Build, save and replay sequences of mouse clicks.\n"
        "\n"
        "With no FILE, the main window opens. With FILE (a .tpx sequence), the\n"
        "sequence plays unattended, with only a tray icon, and the program exits\n"
        "when it is done.\n"
        "\n"
        "      --toggle   make the running instance start or stop playback, as its\n"
        "                 start/stop hot key does\n"
        "      --capture  make the running instance take the pointer's position\n"
        "                 into X and Y, as its capture hot key does\n"
        "                 (both exit with 1 when no instance runs; bind them to keys\n"
        "                 in the desktop's own shortcut settings)\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the version and exit\n"
        "      --         end of options (for a FILE that starts with '-')\n");
}

QString VersionText()
{
    return QStringLiteral("quorvel " QUORVEL_VERSION "\n"
                          "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n");
}

QString ControlOptionName(ControlCommand command)
{
    return QString::fromLatin1(controlOption(command).option);
}

QByteArray ControlCommandLine(ControlCommand command)
{
    return QByteArray(controlOption(command).word) + '\n';
}

std::optional<ControlCommand> ParseControlCommand(const QByteArray& line)
{
    for (const ControlOption& control : kControlOptions)
        if (line == control.word)
            return control.command;
    return std::nullopt;
}

int HotKeyOf(ControlCommand command)
{
    return controlOption(command).hotKey;
}
