// Files and folders the user may not write or read. Runs as an unprivileged
// user (see CMakeLists.txt), since file permissions do not bind root.
#include "SequenceFiles.h"

#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

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
