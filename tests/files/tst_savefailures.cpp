// Saves and loads that fail, in ways that fail for root as well: the file
// the user already has must come through unchanged, and the user is told.
#include "FileDialogAnswers.h"
#include "SequenceFiles.h"

#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quorvel::test;

namespace {

const QString kSaveFailed = QStringLiteral("Could not save Quorvels to the location specified.");

// Files this process writes may not grow past `bytes` while it lives: a write
// beyond is cut short and the next one fails, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_ok = getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_ok = false;
};

std::vector<CClickEntry> manyEntries(int n)
{
    std::vector<CClickEntry> entries;
    for (int i = 0; i < n; ++i)
        entries.push_back(makeEntry(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(2 * i), i % 4, i % 2,
                                    static_cast<std::uint32_t>(i % 5000)));
    return entries;
}

} // namespace

class SaveFailuresTest : public QObject {
    Q_OBJECT
private slots:
    void saveWhereNoFileCanBeCreated_data();
    void saveWhereNoFileCanBeCreated();
    void saveFailingHalfWayKeepsThePreviousFile_data();
    void saveFailingHalfWayKeepsThePreviousFile();
    void unreadableNameKeepsTheList_data();
    void unreadableNameKeepsTheList();
};

void SaveFailuresTest::saveWhereNoFileCanBeCreated_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("a folder in its place") << "plan.tpx";
    QTest::newRow("a path under a regular file") << "notes.txt/plan.tpx";
}

void SaveFailuresTest::saveWhereNoFileCanBeCreated()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("plan.tpx")));
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("plan.tpx/inside.tpx")), "kept"));
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("notes.txt")), "notes"));
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 2));

    dialogs.answerNext(dir.filePath(name));
    QVERIFY(!dlg.SaveSequence());
    QCOMPARE(f.boxes.texts(), QStringList{kSaveFailed});
    QCOMPARE(f.boxes.shown[0].type, UINT(MB_OK | MB_ICONEXCLAMATION));
    QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Quorvel"));
    QCOMPARE(dlg.m_modified, 1);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("plan.tpx"))).isDir());
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("plan.tpx/inside.tpx"))), QByteArray("kept"));
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("notes.txt"))), QByteArray("notes"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"notes.txt", "plan.tpx"}));
}

void SaveFailuresTest::saveFailingHalfWayKeepsThePreviousFile_data()
{
    QTest::addColumn<int>("limit");
    // 60000 clicks make 1,560,008 bytes, written in two pieces.
    QTest::newRow("inside the first piece") << 300000;
    QTest::newRow("inside the last piece") << 1200000;
}

void SaveFailuresTest::saveFailingHalfWayKeepsThePreviousFile()
{
    QFETCH(int, limit);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.tpx"));
    std::vector<CClickEntry> entries = manyEntries(60000);
    const QByteArray before = numberedSequenceBytes(3, {makeEntry(5, 5)});
    QVERIFY(writeBytes(path, before));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    // The list grows far past the old file; the file must not follow it.
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("big.tpx")), sequenceBytes(3, entries)));
    QCOMPARE(dlg.LoadSequenceFile(dir.filePath(QStringLiteral("big.tpx"))), 1);
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("big.tpx"))));
    dlg.m_filePath = path;
    dlg.InsertClickRow(-1, makeEntry(7, 7));
    entries.push_back(makeEntry(7, 7));

    {
        FileSizeLimit fileSizeLimit(static_cast<rlim_t>(limit));
        QVERIFY(fileSizeLimit.ok());
        QVERIFY(!dlg.SaveSequence());
    }
    QCOMPARE(f.boxes.texts(), QStringList{kSaveFailed});
    QCOMPARE(readBytes(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"plan.tpx"}); // nothing left behind
    QCOMPARE(dlg.m_modified, 1);

    // With room again the same save goes through.
    QVERIFY(dlg.SaveSequence());
    QCOMPARE(readBytes(path), numberedSequenceBytes(3, entries));
    QCOMPARE(dlg.m_modified, 0);
}

void SaveFailuresTest::unreadableNameKeepsTheList_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder") << "folder" << "it is a folder";
    QTest::newRow("named pipe") << "fifo" << "it is not a regular file";
}

void SaveFailuresTest::unreadableNameKeepsTheList()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("odd.tpx"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("odd.tpx")));
    else
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0); // opening it to read would block
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 2));
    dlg.m_filePath = QStringLiteral("kept.tpx");

    f.boxes.answerNext(IDNO); // the question about the unsaved row
    dlg.OnDropFiles({path});
    QCOMPARE(f.boxes.texts(),
             (QStringList{QStringLiteral("Would you like to Save the Changes Made?"),
                          "Could not load the clicks from \"" + QDir::toNativeSeparators(path) + "\": " + reason + "."}));
    QCOMPARE(dlg.m_list.GetItemCount(), 1);
    QCOMPARE(dlg.m_filePath, QStringLiteral("kept.tpx"));
    QCOMPARE(dlg.m_modified, 1);
}

QUORVEL_TEST_MAIN(SaveFailuresTest)
#include "tst_savefailures.moc"
