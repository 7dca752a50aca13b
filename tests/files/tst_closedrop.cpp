// Unsaved changes: the question on close and before a load replaces them,
// dropped files, and a drop while the player runs.
#include "FileDialogAnswers.h"
#include "SequenceFiles.h"

#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvel::test;

namespace {

const QString kQuestion = QStringLiteral("Would you like to Save the Changes Made?");
const QString kSaveFailed = QStringLiteral("Could not save Quorvels to the location specified.");

const std::vector<CClickEntry> kOld = {makeEntry(1, 1), makeEntry(2, 2)};
const std::vector<CClickEntry> kNew = {makeEntry(300, 400, SingleLeftClick), makeEntry(500, 600, SingleRightClick)};

void addRows(CClickerDlg& dlg, const std::vector<CClickEntry>& entries)
{
    for (const CClickEntry& e : entries)
        dlg.InsertClickRow(-1, e);
}

QStringList xs(CClickerDlg& dlg)
{
    QStringList out;
    for (int r = 0; r < dlg.m_list.GetItemCount(); ++r)
        out << dlg.m_list.GetItemText(r, 2);
    return out;
}

} // namespace

class CloseDropTest : public QObject {
    Q_OBJECT
private slots:
    void closeWithoutChangesAsksNothing_data();
    void closeWithoutChangesAsksNothing();
    void closeAfterChangesAnsweredNo();
    void closeAfterChangesAnsweredYesSavesToTheCurrentFile();
    void closeStaysOpenWhenTheSaveDoesNotHappen_data();
    void closeStaysOpenWhenTheSaveDoesNotHappen();
    void escAfterChangesAsksLikeTheCloseBox();
    void loadOverUnsavedChangesAsksFirst();
    void failedOrCancelledSaveCallsOffTheLoad();
    void droppingTheCurrentFileAfterSavingShowsWhatWasSaved();
    void dropLoadsOnlyTheFirstSequenceFile();
    void dropOfOtherFilesChangesNothing();
    void dropWhilePlayingKeepsThePlayerGoing();
};

void CloseDropTest::closeWithoutChangesAsksNothing_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("fresh window") << "nothing";
    QTest::newRow("right after a load") << "load";
    QTest::newRow("right after a save") << "save";
}

void CloseDropTest::closeWithoutChangesAsksNothing()
{
    QFETCH(QString, before);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.tpx"));
    QVERIFY(writeBytes(path, sequenceBytes(0, kOld)));
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    if (before == QLatin1String("load")) {
        QCOMPARE(dlg.LoadSequenceFile(path), 1);
    } else if (before == QLatin1String("save")) {
        addRows(dlg, kNew);
        dialogs.answerNext(dir.filePath(QStringLiteral("other")));
        QVERIFY(dlg.SaveSequence());
    }
    dlg.OnClose();
    QVERIFY(!dlg.IsWindow());
    QVERIFY(f.boxes.shown.empty());
}

void CloseDropTest::closeAfterChangesAnsweredNo()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.tpx"));
    const QByteArray before = sequenceBytes(0, kOld);
    QVERIFY(writeBytes(path, before));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.show();
    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    addRows(dlg, kNew);

    f.boxes.answerNext(IDNO);
    dlg.close(); // the close box
    QCOMPARE(f.boxes.texts(), QStringList{kQuestion});
    QCOMPARE(f.boxes.shown[0].type, UINT(MB_YESNO | MB_ICONQUESTION));
    QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Quorvel"));
    QCOMPARE(f.boxes.shown[0].owner, static_cast<QWidget*>(&dlg));
    QVERIFY(!dlg.IsWindow());
    QCOMPARE(readBytes(path), before);
}

void CloseDropTest::closeAfterChangesAnsweredYesSavesToTheCurrentFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.tpx"));
    QVERIFY(writeBytes(path, sequenceBytes(0, kOld)));
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    addRows(dlg, kNew);
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("9")); // typed but never taken over

    dlg.OnClose();
    QCOMPARE(f.boxes.texts(), QStringList{kQuestion});
    QVERIFY(dialogs.requests.empty());
    QVERIFY(!dlg.IsWindow());
    std::vector<CClickEntry> all = kOld;
    all.insert(all.end(), kNew.begin(), kNew.end());
    QCOMPARE(readBytes(path), numberedSequenceBytes(0, all));
}

void CloseDropTest::closeStaysOpenWhenTheSaveDoesNotHappen_data()
{
    QTest::addColumn<bool>("dialogCancelled");
    QTest::newRow("Save dialog cancelled") << true;
    QTest::newRow("file cannot be written") << false;
}

void CloseDropTest::closeStaysOpenWhenTheSaveDoesNotHappen()
{
    QFETCH(bool, dialogCancelled);
    QTemporaryDir dir;
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kNew);
    QStringList expected{kQuestion};
    if (!dialogCancelled) {
        // A folder stands where the file should go.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("plan.tpx")));
        dialogs.answerNext(dir.filePath(QStringLiteral("plan.tpx")));
        expected << kSaveFailed;
    }

    dlg.OnClose();
    QCOMPARE(dialogs.requests.size(), size_t(1));
    QCOMPARE(f.boxes.texts(), expected);
    QVERIFY(dlg.IsWindow());
    QCOMPARE(dlg.m_modified, 1);
    QCOMPARE(dlg.m_list.GetItemCount(), 2);
}

void CloseDropTest::escAfterChangesAsksLikeTheCloseBox()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kNew);

    {
        // The real question (Yes, No): Esc twice leaves it up. It is then
        // closed without an answer.
        const MessageBoxHandler recorder = setMessageBoxHandler({});
        bool upAfterEsc = false;
        QTimer::singleShot(0, [&upAfterEsc] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QTest::keyClick(box, Qt::Key_Escape);
                QTest::keyClick(box, Qt::Key_Escape);
                upAfterEsc = box->isVisible() && box->text() == kQuestion;
                box->reject();
            }
        });
        QTest::keyClick(dlg.GetDlgItem(IDC_X), Qt::Key_Escape);
        setMessageBoxHandler(recorder);
        QVERIFY(upAfterEsc);
    }
    QVERIFY(dlg.IsWindow());
    QCOMPARE(dlg.m_modified, 1);
    QCOMPARE(dlg.m_list.GetItemCount(), 2);

    f.boxes.answerNext(IDNO);
    QTest::keyClick(dlg.GetDlgItem(IDC_X), Qt::Key_Escape);
    QCOMPARE(f.boxes.texts(), QStringList{kQuestion});
    QVERIFY(!dlg.IsWindow());
}

void CloseDropTest::loadOverUnsavedChangesAsksFirst()
{
    QTemporaryDir dir;
    const QString current = dir.filePath(QStringLiteral("current.tpx"));
    const QString other = dir.filePath(QStringLiteral("other.tpx"));
    QVERIFY(writeBytes(current, sequenceBytes(0, kOld)));
    QVERIFY(writeBytes(other, sequenceBytes(0, kNew)));
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();

    // No changes: no question.
    dlg.OnDropFiles({current});
    QVERIFY(f.boxes.shown.empty());
    QCOMPARE(xs(dlg), (QStringList{"1", "2"}));

    // No: the changes are dropped with the old list.
    dlg.InsertClickRow(-1, makeEntry(77, 77));
    f.boxes.answerNext(IDNO);
    dialogs.answerNext(other);
    dlg.OnLoadClicks();
    QCOMPARE(f.boxes.texts(), QStringList{kQuestion});
    QCOMPARE(xs(dlg), (QStringList{"300", "500"}));
    QCOMPARE(readBytes(current), sequenceBytes(0, kOld));

    // Yes: the changes go to the current file (now "other") before the
    // dropped one is loaded.
    QCOMPARE(dlg.m_filePath, other);
    dlg.InsertClickRow(-1, makeEntry(88, 88));
    f.boxes.clear();
    f.boxes.answerNext(IDYES);
    dlg.OnDropFiles({current});
    QCOMPARE(f.boxes.texts(), QStringList{kQuestion});
    QCOMPARE(dlg.m_filePath, current);
    QCOMPARE(xs(dlg), (QStringList{"1", "2"}));
    QCOMPARE(dlg.m_modified, 0);
    std::vector<CClickEntry> saved = kNew;
    saved.push_back(makeEntry(88, 88));
    QCOMPARE(readBytes(other), numberedSequenceBytes(0, saved));
    QCOMPARE(dialogs.requests.size(), size_t(1)); // the Open dialog only
}

void CloseDropTest::failedOrCancelledSaveCallsOffTheLoad()
{
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.tpx"));
    QVERIFY(writeBytes(other, sequenceBytes(0, kNew)));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.tpx")));
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kOld);

    // No current file and the Save dialog cancelled.
    dlg.OnDropFiles({other});
    QCOMPARE(f.boxes.texts(), QStringList{kQuestion});
    QCOMPARE(dialogs.requests.size(), size_t(1));

    // The save fails.
    dialogs.answerNext(dir.filePath(QStringLiteral("folder.tpx")));
    dlg.OnDropFiles({other});
    QCOMPARE(f.boxes.texts(), (QStringList{kQuestion, kQuestion, kSaveFailed}));

    QCOMPARE(xs(dlg), (QStringList{"1", "2"}));
    QCOMPARE(dlg.m_modified, 1);
    QVERIFY(dlg.m_filePath.isEmpty());
}

// The file is read after the question, so a Yes that saves into the very
// file being loaded shows the list as saved, not the file's older content.
void CloseDropTest::droppingTheCurrentFileAfterSavingShowsWhatWasSaved()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.tpx"));
    QVERIFY(writeBytes(path, sequenceBytes(0, kOld)));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    dlg.InsertClickRow(-1, makeEntry(99, 99));
    dlg.OnDropFiles({path}); // answered Yes
    QCOMPARE(xs(dlg), (QStringList{"1", "2", "99"}));
    QCOMPARE(dlg.m_modified, 0);
}

void CloseDropTest::dropLoadsOnlyTheFirstSequenceFile()
{
    QTemporaryDir dir;
    const QStringList names = {"notes.txt", "FIRST.TPX", "second.tpx"};
    for (int i = 0; i < names.size(); ++i)
        QVERIFY(writeBytes(dir.filePath(names[i]), sequenceBytes(i, {makeEntry(10 * (i + 1), 0)})));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QStringList paths;
    for (const QString& name : names)
        paths << dir.filePath(name);
    dlg.OnDropFiles(paths);
    QCOMPARE(xs(dlg), QStringList{"20"});
    QCOMPARE(dlg.m_filePath, dir.filePath(QStringLiteral("FIRST.TPX")));
    QCOMPARE(dlg.m_repeatCount, 1);
}

void CloseDropTest::dropOfOtherFilesChangesNothing()
{
    QTemporaryDir dir;
    QStringList paths;
    for (const QString& name : {QStringLiteral("a.txt"), QStringLiteral("b.tpx.bak"), QStringLiteral("c")}) {
        QVERIFY(writeBytes(dir.filePath(name), sequenceBytes(0, kNew)));
        paths << dir.filePath(name);
    }
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kOld);
    dlg.m_filePath = QStringLiteral("kept.tpx");
    dlg.OnDropFiles(paths);
    dlg.OnDropFiles({});
    QCOMPARE(xs(dlg), (QStringList{"1", "2"}));
    QCOMPARE(dlg.m_filePath, QStringLiteral("kept.tpx"));
    QCOMPARE(dlg.m_modified, 1);
    QVERIFY(f.boxes.shown.empty());
}

// A drop does not look at the player: it goes on with the new list.
void CloseDropTest::dropWhilePlayingKeepsThePlayerGoing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.tpx"));
    QVERIFY(writeBytes(path, sequenceBytes(0, kNew)));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, {makeEntry(1, 1, SingleLeftClick, 0, 1500), makeEntry(2, 2, SingleLeftClick, 0, 600000)});
    dlg.OnStartStop();
    QCOMPARE(dlg.m_bRunning, 1);

    f.boxes.answerNext(IDNO);
    dlg.OnDropFiles({path});
    QCOMPARE(xs(dlg), (QStringList{"300", "500"}));
    QCOMPARE(dlg.m_bRunning, 1);

    // The first step, due 1.5 s after the start, plays the new list's first
    // row, and the run goes on.
    QTRY_COMPARE_WITH_TIMEOUT(f.platform.mouse().clicks(platform::Button::Left), 1, 5000);
    QCOMPARE(f.platform.mouse().position.x, 300);
    QCOMPARE(f.platform.mouse().position.y, 400);
    QTest::qWait(50);
    QCOMPARE(dlg.m_bRunning, 1);
    QCOMPARE(f.platform.mouse().clicks(platform::Button::Right), 0); // the next row waits its 1000 ms
    dlg.OnStartStop();
    QCOMPARE(dlg.m_bRunning, 0);
}

QUORVEL_TEST_MAIN(CloseDropTest)
#include "tst_closedrop.moc"
