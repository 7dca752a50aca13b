#include "app/CommandLine.h"

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine result;
    bool optionsEnded = false;
    QStringList files;
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
            result.action = CommandLine::Action::Error;
            result.error = QStringLiteral("unknown option '%1'").arg(argument);
            return result;
        }
        files << argument;
    }
    if (files.size() > 1) {
        result.action = CommandLine::Action::Error;
        result.error = QStringLiteral("only one sequence file can be played, %1 were given").arg(files.size());
        return result;
    }
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
        "Build, save and replay sequences of mouse clicks.\n"
        "\n"
        "With no FILE, the main window opens. With FILE (a .tpx sequence), the\n"
        "sequence plays unattended, with only a tray icon, and the program exits\n"
        "when it is done.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the version and exit\n"
        "      --         end of options (for a FILE that starts with '-')\n");
}

QString VersionText()
{
    return QStringLiteral("quorvel " QUORVEL_VERSION "\n");
}
