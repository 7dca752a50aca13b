// Files and folders the user may not write or read. Runs as an unprivileged
// user (see CMakeLists.txt), since file permissions do not bind root.
#include "SequenceFiles.h"

#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
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

constexpr QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions kReadOnlyFolder = kReadOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

} // namespace

class ReadOnlyFilesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void saveIntoAReadOnlyFolderWritesTheFileInPlace();
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

void ReadOnlyFilesTest::saveInPlacePastASizeLimitKeepsTheFile()
{
    // In place, because the folder takes no new file, under a file size
    // limit that the new bytes pass: neither the limit's signal nor a file cut
    // short, but a refusal that says why, and the old clicks all there.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("sub"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/plan.tpx");
    std::vector<CClickEntry> old;
    for (std::uint32_t i = 0; i < 30; ++i)
        old.push_back(makeEntry(i, i));
    const QByteArray before = numberedSequenceBytes(0, old);
    QVERIFY(writeBytes(path, before));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    for (std::uint32_t i = 0; i < 200; ++i)
        dlg.InsertClickRow(-1, makeEntry(i, 7));

    ScopedPermissions readOnly(folder, kReadOnlyFolder);
    QVERIFY(readOnly.ok());
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limit = saved;
    limit.rlim_cur = 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool written = dlg.SaveSequence();
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(!written);
    QCOMPARE(readBytes(path), before);
    QCOMPARE(f.boxes.texts().size(), 1);
    QVERIFY2(f.boxes.texts()[0].contains(QStringLiteral("size limit")), qPrintable(f.boxes.texts()[0]));
    QCOMPARE(dlg.m_modified, 1);
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
