// The command line, Linux style: one optional file, --help, --version,
// --toggle or --capture alone, and `--` before a file whose name starts with
// '-'; and the commands of the control socket.
#include "app/CommandLine.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void controlCommands();
    void manualPageNamesTheOptionsOfHelp();
};

namespace {

// The options a text names: -h, --word and a lone --.
QSet<QString> optionsIn(const QString& text)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])(-h|--[a-z]+|--)(?![\\w-])"));
    QSet<QString> found;
    for (auto it = option.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured(1));
    return found;
}

} // namespace

void CommandLineTest::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("autoRun");
    QTest::addColumn<QString>("file");

    const int start = static_cast<int>(CommandLine::Action::Start);
    const int help = static_cast<int>(CommandLine::Action::Help);
    const int version = static_cast<int>(CommandLine::Action::Version);
    const int error = static_cast<int>(CommandLine::Action::Error);
    const int control = static_cast<int>(CommandLine::Action::Control);
    QTest::newRow("nothing: normal start") << QStringList{} << start << false << QString();
    QTest::newRow("a file: auto-run") << QStringList{"plan.tpx"} << start << true << "plan.tpx";
    QTest::newRow("absolute path is a file") << QStringList{"/home/a.tpx"} << start << true << "/home/a.tpx";
    QTest::newRow("slash option of Windows is a file") << QStringList{"/p"} << start << true << "/p";
    QTest::newRow("empty name still auto-runs") << QStringList{""} << start << true << "";
    QTest::newRow("help") << QStringList{"--help"} << help << false << QString();
    QTest::newRow("short help wins over a file") << QStringList{"plan.tpx", "-h"} << help << false << QString();
    QTest::newRow("version") << QStringList{"--version"} << version << false << QString();
    QTest::newRow("double dash ends options") << QStringList{"--", "-odd.tpx"} << start << true << "-odd.tpx";
    QTest::newRow("help after double dash is a file") << QStringList{"--", "--help"} << start << true << "--help";
    QTest::newRow("lone dash is a file") << QStringList{"-"} << start << true << "-";
    QTest::newRow("unknown option") << QStringList{"-p"} << error << false << QString();
    QTest::newRow("unknown long option") << QStringList{"--play", "a.tpx"} << error << false << QString();
    QTest::newRow("two files") << QStringList{"a.tpx", "b.tpx"} << error << false << QString();
    QTest::newRow("toggle") << QStringList{"--toggle"} << control << false << QString();
    QTest::newRow("capture") << QStringList{"--capture"} << control << false << QString();
    QTest::newRow("help wins over toggle") << QStringList{"--toggle", "--help"} << help << false << QString();
    QTest::newRow("toggle after double dash is a file") << QStringList{"--", "--toggle"} << start << true << "--toggle";
    QTest::newRow("toggle and capture") << QStringList{"--toggle", "--capture"} << error << false << QString();
    QTest::newRow("toggle twice") << QStringList{"--toggle", "--toggle"} << error << false << QString();
    QTest::newRow("toggle with a file") << QStringList{"a.tpx", "--toggle"} << error << false << QString();
    QTest::newRow("capture with a dashed file") << QStringList{"--capture", "--", "-a"} << error << false << QString();
}

void CommandLineTest::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(bool, autoRun);
    QFETCH(QString, file);
    const CommandLine c = ParseCommandLine(arguments);
    QCOMPARE(static_cast<int>(c.action), action);
    QCOMPARE(c.autoRun, autoRun);
    QCOMPARE(c.file, file);
    QCOMPARE(c.error.isEmpty(), c.action != CommandLine::Action::Error);
}

void CommandLineTest::controlCommands()
{
    for (const ControlCommand command : {ControlCommand::Toggle, ControlCommand::Capture}) {
        const QString option = ControlOptionName(command);
        QCOMPARE(ParseCommandLine({option}).command, command);
        QVERIFY(UsageText().contains(option));
        // What the sending end writes is what the socket's end reads.
        const QByteArray line = ControlCommandLine(command);
        QVERIFY(line.endsWith('\n'));
        QCOMPARE(ParseControlCommand(line.chopped(1)), std::optional<ControlCommand>(command));
    }
    QCOMPARE(HotKeyOf(ControlCommand::Capture), 1);
    QCOMPARE(HotKeyOf(ControlCommand::Toggle), 2);
    for (const QByteArray& other : {QByteArray(), QByteArray("Toggle"), QByteArray("toggle "), QByteArray("--toggle"),
                                    QByteArray("capture\n"), QByteArray("toggle\0", 7), QByteArray("start")})
        QVERIFY2(!ParseControlCommand(other), other.constData());
}

// The manual page is written by hand beside UsageText(): an option added to
// one and not the other is caught here.
void CommandLineTest::manualPageNamesTheOptionsOfHelp()
{
    QFile page(qEnvironmentVariable("QUORVEL_SOURCE_DIR") + "/src/app/quorvel.1.in");
    QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(page.fileName()));
    // roff writes a minus sign as \-.
    const QString roff = QString::fromUtf8(page.readAll()).replace(QLatin1String("\\-"), QLatin1String("-"));
    const QSet<QString> help = optionsIn(UsageText());
    QCOMPARE(help, (QSet<QString>{"-h", "--help", "--version", "--toggle", "--capture", "--"}));
    QCOMPARE(optionsIn(roff), help);
}

QUORVEL_TEST_MAIN_CORE(CommandLineTest)
#include "tst_commandline.moc"
