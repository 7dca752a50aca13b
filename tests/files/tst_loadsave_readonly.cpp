// Files and folders the user may not write or read. Runs as an unprivileged
// user (see CMakeLists.txt), since file permissions do not bind root.
#include "SequenceFiles.h"

#include "files/SequenceFileIO.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quorvel::test;

namespace {

const QString kSaveFailed = QStringLiteral("Could not save Quorvels to the location specified.");

// Gives `path` these permissions for the lifetime of the object, and its
// own back afterwards so that the temporary folder can be removed.
class ScopedPermissions {
public:
    ScopedPermissions(const QString& path, QFile::Permissions permissions)
        : m_path(path), m_saved(QFile::permissions(path))
    {
        m_ok = QFile::setPermissions(path, permissions);
    }
    ~ScopedPermissions() { QFile::setPermissions(m_path, m_saved); }
    ScopedPermissions(const ScopedPermissions&) = delete;
    ScopedPermissions& operator=(const ScopedPermissions&) = delete;
    bool ok() const { return m_ok; }

private:
    QString m_path;
    QFile::Permissions m_saved;
    bool m_ok = false;
};

void limitFileSize(int bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

// Runs `save` in a child process, which says whether SIGXFSZ has its default
// again, then what `save` told the user. Empty when the child did not end by
// itself (the size limit's signal).
QByteArray saveInAChild(const std::function<QString()>& save)
{
    int report[2];
    if (pipe(report) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        alarm(60);
        std::signal(SIGXFSZ, SIG_DFL);
        const QByteArray told = save().toUtf8();
        const QByteArray line = (std::signal(SIGXFSZ, SIG_DFL) == SIG_DFL ? "restored:" : "ignored:") + told;
        _exit(write(report[1], line.constData(), static_cast<size_t>(line.size())) == line.size() ? 0 : 1);
    }
    ::close(report[1]);
    QByteArray line;
    char buffer[4096];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;)
        line.append(buffer, n);
    ::close(report[0]);
    int status = 0;
    const bool ended = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
    return ended && WEXITSTATUS(status) == 0 ? line : QByteArray();
}

constexpr QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions kReadOnlyFolder = kReadOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

} // namespace

class ReadOnlyFilesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void saveIntoAReadOnlyFolderWritesTheFileInPlace();
    void saveInPlacePastASizeLimitKeepsTheFile_data();
    void saveInPlacePastASizeLimitKeepsTheFile();
    void saveOverAReadOnlyFileKeepsIt();
    void unreadableFileKeepsTheList();
};

void ReadOnlyFilesTest::initTestCase()
{
    if (geteuid() == 0)
        QSKIP("permissions do not bind root; ctest runs this test as an unprivileged user");
}

void ReadOnlyFilesTest::saveIntoAReadOnlyFolderWritesTheFileInPlace()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("sub"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/plan.tpx");
    QVERIFY(writeBytes(path, numberedSequenceBytes(0, {makeEntry(1, 1)}))); // the file itself stays writable
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    dlg.InsertClickRow(-1, makeEntry(2, 2));

    ScopedPermissions readOnly(folder, kReadOnlyFolder);
    QVERIFY(readOnly.ok());
    dlg.OnSaveClicks();
    QVERIFY(f.boxes.shown.empty());
    QCOMPARE(readBytes(path), numberedSequenceBytes(0, {makeEntry(1, 1), makeEntry(2, 2)}));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"plan.tpx"});
    QCOMPARE(dlg.m_modified, 0);

    // A new file cannot be made there.
    dlg.m_filePath = folder + QStringLiteral("/new.tpx");
    dlg.m_modified = 1;
    QVERIFY(!dlg.SaveSequence());
    QCOMPARE(f.boxes.texts(), QStringList{kSaveFailed});
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"plan.tpx"});
}

void ReadOnlyFilesTest::saveInPlacePastASizeLimitKeepsTheFile_data()
{
    QTest::addColumn<int>("oldRows");
    QTest::addColumn<int>("newRows");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("duringTheSave"); // the limit comes once the save has begun
    // n rows make 8 + 26 n bytes: 200 rows 5,208.
    QTest::newRow("grows, stopped in the first record") << 30 << 200 << 12 << false;
    QTest::newRow("grows, stopped past the old end") << 30 << 200 << 1024 << false;
    QTest::newRow("grows, with room") << 30 << 200 << 5208 << false;
    QTest::newRow("shrinks, stopped halfway") << 400 << 200 << 4096 << false;
    QTest::newRow("shrinks, stopped at the last byte") << 400 << 200 << 5207 << false;
    QTest::newRow("shrinks, room for the new bytes only") << 400 << 200 << 5208 << false;
    QTest::newRow("keeps its size, stopped halfway") << 200 << 200 << 2600 << false;
    QTest::newRow("keeps its size, with room") << 200 << 200 << 5208 << false;
    QTest::newRow("grows, stopped while writing") << 30 << 200 << 500 << true;
    QTest::newRow("shrinks, stopped while writing") << 400 << 200 << 4096 << true;
}

void ReadOnlyFilesTest::saveInPlacePastASizeLimitKeepsTheFile()
{
    // In place, because the folder takes no new file, under a file size
    // limit, in a child process: wherever the limit falls, the file is
    // afterwards as it was, and the user is told why and that it is, or it
    // holds all the new clicks; the limit's signal neither ends the program
    // nor stays ignored after the save.
    QFETCH(int, oldRows);
    QFETCH(int, newRows);
    QFETCH(int, limit);
    QFETCH(bool, duringTheSave);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("sub"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/plan.tpx");
    std::vector<CClickEntry> old, now;
    for (int i = 0; i < oldRows; ++i)
        old.push_back(makeEntry(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(i)));
    for (int i = 0; i < newRows; ++i)
        now.push_back(makeEntry(static_cast<std::uint32_t>(i), 7));
    const QByteArray before = numberedSequenceBytes(0, old);
    QVERIFY(writeBytes(path, before));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    dlg.m_list.DeleteAllItems();
    for (const CClickEntry& entry : now)
        dlg.InsertClickRow(-1, entry);

    ScopedPermissions readOnly(folder, kReadOnlyFolder);
    QVERIFY(readOnly.ok());
    const QByteArray report = saveInAChild([&] {
        if (!duringTheSave) {
            limitFileSize(limit);
            dlg.SaveSequence();
            return f.boxes.texts().join(QLatin1Char('|'));
        }
        // The clicks are walked once the room is checked; the first brings
        // the limit, so that the save fails once begun.
        const auto limitAtFirst = [&](int k) {
            if (k == 0)
                limitFileSize(limit);
            return now[static_cast<std::size_t>(k)];
        };
        files::SaveProblem problem;
        files::writeSequenceFile(path, newRows, 0, limitAtFirst, &problem);
        return problem.reason + (problem.fileKept ? QStringLiteral(". The file is as it was.") : QString());
    });
    QVERIFY2(report.startsWith("restored:"), report.isEmpty() ? "the save ended the program" : report.constData());
    const QString told = QString::fromUtf8(report.mid(9));
    const bool fits = limit >= 8 + 26 * newRows;
    QCOMPARE(readBytes(path), fits ? numberedSequenceBytes(0, now) : before);
    if (!fits)
        QVERIFY2(told.contains(duringTheSave ? "File too large" : "file size limit") &&
                     told.endsWith("The file is as it was."),
                 qPrintable(told));
    QCOMPARE(told.isEmpty(), fits);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"plan.tpx"});
}

void ReadOnlyFilesTest::saveOverAReadOnlyFileKeepsIt()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.tpx"));
    const QByteArray before = numberedSequenceBytes(0, {makeEntry(1, 1)});
    QVERIFY(writeBytes(path, before));
    ScopedPermissions readOnly(path, kReadOnly);
    QVERIFY(readOnly.ok());
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    dlg.InsertClickRow(-1, makeEntry(2, 2));

    QVERIFY(!dlg.SaveSequence());
    QCOMPARE(f.boxes.texts(), QStringList{kSaveFailed});
    QCOMPARE(readBytes(path), before);
    QCOMPARE(QFile::permissions(path) & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
             QFile::Permissions());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"plan.tpx"});
    QCOMPARE(dlg.m_modified, 1);
}

void ReadOnlyFilesTest::unreadableFileKeepsTheList()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("secret.tpx"));
    QVERIFY(writeBytes(path, numberedSequenceBytes(4, {makeEntry(9, 9), makeEntry(8, 8)})));
    ScopedPermissions noAccess(path, QFile::Permissions());
    QVERIFY(noAccess.ok());
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 2));
    dlg.m_filePath = QStringLiteral("kept.tpx");
    dlg.m_modified = 0;

    QCOMPARE(dlg.LoadSequenceFile(path), 0);
    QCOMPARE(f.boxes.texts(),
             QStringList{"Could not load the clicks from \"" + QDir::toNativeSeparators(path) + "\": Permission denied."});
    QCOMPARE(dlg.m_list.GetItemCount(), 1);
    QCOMPARE(dlg.m_list.GetItemText(0, 2), QStringLiteral("1"));
    QCOMPARE(dlg.m_filePath, QStringLiteral("kept.tpx"));
    QCOMPARE(dlg.m_modified, 0);
    QCOMPARE(dlg.m_repeatCount, 0);
}

QUORVEL_TEST_MAIN(ReadOnlyFilesTest)
#include "tst_loadsave_readonly.moc"
