// The rules that turn the registration arguments into the values the shell
// stores, and registerFileType's use of them with a recording shell.
#include "files/FileTypeRules.h"
#include "files/RegisterFileType.h"
#include "platform/fake/RecordingPlatform.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QTest>

using files::registerFileType;

class FileTypeRulesTest : public QObject {
    Q_OBJECT

private slots:
    void extensionIsNormalised_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored");
        QTest::newRow("bare") << "tpx"
                              << ".tpx";
        QTest::newRow("dotted") << ".tpx"
                                << ".tpx";
        QTest::newRow("with a space") << ".t px"
                                      << ".tpx";
        QTest::newRow("two dots") << "..tpx"
                                  << ".tpx";
        QTest::newRow("dots inside") << "t.p.x"
                                     << ".tpx";
        QTest::newRow("spaces around") << "  tpx "
                                       << ".tpx";
        QTest::newRow("dots only") << ".."
                                   << ".";
        QTest::newRow("a dot among spaces") << " . "
                                            << ".";
    }
    void extensionIsNormalised()
    {
        QFETCH(QString, given);
        QFETCH(QString, stored);
        const auto extension = files::normalisedExtension(given.toStdString());
        QVERIFY(extension.has_value());
        QCOMPARE(QString::fromStdString(*extension), stored);
    }

    void emptyArgumentsHaveNoValue()
    {
        QVERIFY(!files::normalisedExtension(""));
        QVERIFY(!files::normalisedExtension("   "));
        QVERIFY(!files::typeNameFor(""));
        QVERIFY(!files::typeNameFor("  "));
        QCOMPARE(*files::typeNameFor("Quorvel File"), std::string("QuorvelFile"));
        QCOMPARE(*files::typeNameFor(" Quorvel  File "), std::string("QuorvelFile"));
        // Only spaces go: a tab is kept.
        QCOMPARE(*files::typeNameFor("a\tb"), std::string("a\tb"));
    }

    void execArgumentsAreQuotedOnlyWhereNeeded_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain path") << "/usr/bin/quorvel"
                                    << "/usr/bin/quorvel";
        QTest::newRow("space") << "/opt/My Tools/quorvel"
                               << "\"/opt/My Tools/quorvel\"";
        QTest::newRow("single quote") << "/home/o'neil/quorvel"
                                      << "\"/home/o'neil/quorvel\"";
        QTest::newRow("escaped inside quotes") << "/a b/\"$`\\"
                                               << "\"/a b/\\\"\\$\\`\\\\\"";
        QTest::newRow("tilde") << "/tmp/~x"
                               << "\"/tmp/~x\"";
        QTest::newRow("semicolon") << "/tmp/a;b"
                                   << "\"/tmp/a;b\"";
        QTest::newRow("parentheses") << "/tmp/x (1)/q"
                                     << "\"/tmp/x (1)/q\"";
        QTest::newRow("percent unquoted") << "/tmp/100%/q"
                                          << "/tmp/100%%/q";
        QTest::newRow("percent quoted") << "/tmp/100 %/q"
                                        << "\"/tmp/100 %%/q\"";
        QTest::newRow("empty") << ""
                               << "\"\"";
    }
    void execArgumentsAreQuotedOnlyWhereNeeded()
    {
        QFETCH(QString, argument);
        QFETCH(QString, quoted);
        QCOMPARE(QString::fromStdString(files::quotedExecArgument(argument.toStdString())), quoted);
    }

    void openCommandComesFromTheExecutablePath()
    {
        QCOMPARE(*files::openCommandFor("/usr/bin/quorvel"), std::string("/usr/bin/quorvel %f"));
        QCOMPARE(*files::openCommandFor("/opt/My Tools/quorvel"), std::string("\"/opt/My Tools/quorvel\" %f"));
        // Paths no Exec line can start.
        QVERIFY(!files::openCommandFor(""));
        QVERIFY(!files::openCommandFor("quorvel"));
        QVERIFY(!files::openCommandFor("./build/quorvel"));
        QVERIFY(!files::openCommandFor("/opt/a=b/quorvel"));
    }

    void windowsOpenCommandQuotesTheNativePath()
    {
        QCOMPARE(*files::windowsOpenCommandFor("C:/Program Files/Quorvel/quorvel.exe"),
                 std::string(R"("C:\Program Files\Quorvel\quorvel.exe" "%1")"));
        QCOMPARE(*files::windowsOpenCommandFor(R"(\\server\tools\quorvel.exe)"),
                 std::string(R"("\\server\tools\quorvel.exe" "%1")"));
        // Relative, rooted without a drive, or unquotable.
        for (const char* path : {"", "quorvel.exe", "C:quorvel.exe", "/quorvel.exe", "C:/a\"b/quorvel.exe"})
            QVERIFY2(!files::windowsOpenCommandFor(path), path);
    }

    void iconValueReplacesTheFileArgument_data()
    {
        QTest::addColumn<QString>("openCommand");
        QTest::addColumn<QString>("iconValue");
        QTest::newRow("program only") << R"(C:\Tools\clicker.exe "%1")"
                                      << R"(C:\Tools\clicker.exe,0)";
        QTest::newRow("two spaces") << R"(C:\Tools\clicker.exe  "%1")"
                                    << R"(C:\Tools\clicker.exe ,0)";
        QTest::newRow("no colon") << R"(clicker.exe work.tpx "%1")"
                                  << R"(clicker.exe work.tpx,0)";
        QTest::newRow("every occurrence") << R"(a "%1" "%1")"
                                          << "a,0,0";
        QTest::newRow("no space before") << R"(a"%1")"
                                         << R"(a"%1")";
        QTest::newRow("quoted program") << R"("C:\Program Files\q.exe" "%1")"
                                        << R"("C:\Program Files\q.exe",0)";
        QTest::newRow("desktop form") << "/usr/bin/quorvel %f"
                                      << "/usr/bin/quorvel %f";
    }
    void iconValueReplacesTheFileArgument()
    {
        QFETCH(QString, openCommand);
        QFETCH(QString, iconValue);
        QCOMPARE(QString::fromStdString(files::iconValueFor(openCommand.toStdString())), iconValue);
    }

    void registrationCarriesTheRuledValues()
    {
        platform::fake::RecordingShell shell;
        const std::vector<platform::IconImage> icons = {{"32x32", "png", "PNGDATA"}, {"scalable", "svg", "<svg/>"}};
        QCOMPARE(registerFileType(shell, "..t px", "Quorvel File", "/opt/My Tools/quorvel", icons), 1);
        QCOMPARE(shell.registrations.size(), std::size_t(1));
        const platform::FileTypeRegistration& r = shell.registrations.front();
        QCOMPARE(r.extension, std::string(".tpx"));
        QCOMPARE(r.typeName, std::string("QuorvelFile"));
        QCOMPARE(r.description, std::string("Quorvel File"));
        QCOMPARE(r.openCommand, std::string("\"/opt/My Tools/quorvel\" %f"));
        QCOMPARE(r.iconValue, r.openCommand);
        QCOMPARE(r.executablePath, std::string("/opt/My Tools/quorvel"));
        QCOMPARE(r.iconName, std::string("quorvel"));
        QCOMPARE(r.icons.size(), std::size_t(2));
        QCOMPARE(r.icons[1].data, std::string("<svg/>"));
    }

    void nothingIsRegisteredForUnusableArguments_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("executable");
        QTest::newRow("empty extension") << ""
                                         << "Quorvel File"
                                         << "/usr/bin/quorvel";
        QTest::newRow("spaces-only extension") << "   "
                                               << "Quorvel File"
                                               << "/usr/bin/quorvel";
        QTest::newRow("spaces-only description") << "tpx"
                                                 << "  "
                                                 << "/usr/bin/quorvel";
        QTest::newRow("relative program") << "tpx"
                                          << "Quorvel File"
                                          << "quorvel";
        QTest::newRow("program path with =") << "tpx"
                                             << "Quorvel File"
                                             << "/x=y/quorvel";
    }
    void nothingIsRegisteredForUnusableArguments()
    {
        QFETCH(QString, extension);
        QFETCH(QString, description);
        QFETCH(QString, executable);
        platform::fake::RecordingShell shell;
        platform::Result outcome;
        QCOMPARE(registerFileType(shell, extension.toStdString(), description.toStdString(), executable.toStdString(),
                                  {}, &outcome),
                 0);
        QVERIFY(shell.registrations.empty());
        QVERIFY(!outcome.ok);
        QVERIFY(!outcome.message.empty());
    }

    void aFailingShellGivesZeroWithItsReason()
    {
        platform::fake::RecordingShell shell;
        shell.fail = true;
        platform::Result outcome;
        QCOMPARE(registerFileType(shell, "tpx", "Quorvel File", "/usr/bin/quorvel", {}, &outcome), 0);
        QCOMPARE(shell.registrations.size(), std::size_t(1));
        QCOMPARE(outcome.error, 5u);
    }
};

QUORVEL_TEST_MAIN_CORE(FileTypeRulesTest)
#include "FileTypeRulesTest.moc"
