// The Save and Load paths of the main window with real files in a temporary
// folder: names from the Save dialog, the current file, the bytes written,
// the rows and fields a load leaves, and files that are short or odd.
#include "FileDialogAnswers.h"
#include "SequenceFiles.h"

#include "files/ByteWriter.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace quorvel::test;

namespace {

// Three clicks with values at the edges of what a row holds.
const std::vector<CClickEntry> kThree = {
    makeEntry(100, 200, DoubleLeftClick, 1, 1000, 40),
    makeEntry(4294967295u, 0, DoubleRightClick, 0, 0, 40),
    makeEntry(5, 6, SingleRightClick, 5, 4294967295u, 40),
};

// The example file: repeat count 5, one click (cursor back, 1000 ms, X 100,
// Y 200, double left click, serial 1).
const QByteArray kExample = QByteArray::fromHex("01000000"
                                                "05000000"
                                                "01000000"
                                                "e8030000"
                                                "64000000"
                                                "c8000000"
                                                "c8000000"
                                                "02000000"
                                                "0100");

// Written by hand: repeat count 3 and two clicks, the first with a
// cursor-back value of 7, two different Y values and serial 0x1234, the
// second with every byte of its delay different; three bytes after them.
const QByteArray kHandWritten = QByteArray::fromHex("02000000 03000000"
                                                    "07000000 fa000000 0a000000 0b000000 0c000000 01000000 3412"
                                                    "00000000 04030201 ffffffff 05000000 05000000 03000000 0900"
                                                    "aabbcc");
// What the program saves after loading it: cursor back as 1, the second Y
// in both places, the rows numbered from 1, nothing after the records.
const QByteArray kHandWrittenSaved = QByteArray::fromHex("02000000 03000000"
                                                         "01000000 fa000000 0a000000 0c000000 0c000000 01000000 0100"
                                                         "00000000 04030201 ffffffff 05000000 05000000 03000000 0200");

void addRows(CClickerDlg& dlg, const std::vector<CClickEntry>& entries)
{
    for (const CClickEntry& e : entries)
        dlg.InsertClickRow(-1, e);
}

// Every cell of every row, and the item data.
QStringList listContents(CClickerDlg& dlg)
{
    QStringList out;
    for (int r = 0; r < dlg.m_list.GetItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 6; ++c)
            cells << dlg.m_list.GetItemText(r, c);
        cells << QString::number(dlg.m_list.GetItemData(r));
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QByteArray header(std::int32_t count, std::int32_t repeat)
{
    files::ByteWriter w;
    w.appendI32(count);
    w.appendI32(repeat);
    const std::vector<std::uint8_t> bytes = w.take();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// The 26 bytes of one record.
QByteArray record(const CClickEntry& e)
{
    return sequenceBytes(0, {e}).mid(8);
}

} // namespace

class LoadSaveTest : public QObject {
    Q_OBJECT
private slots:
    void saveWithoutCurrentFileAsksForAName_data();
    void saveWithoutCurrentFileAsksForAName();
    void cancelledSaveDialogWritesNothing();
    void appendedExtensionDoesNotReplaceAFileUnasked();
    void missingNameBecomesTheCurrentFile();
    void saveAfterLoadWritesWithoutAsking();
    void loadFillsTheListNumberedFromOne();
    void handWrittenFileLoadsAndSavesByteForByte();
    void loadOfShortAndOddFiles_data();
    void loadOfShortAndOddFiles();
    void otherNamesAreNotLoaded();
    void loadButtonUsesTheOpenDialog();
    void commandLineFileIsLoadedWithoutQuestions();
    void unattendedRunWithNothingToPlayEnds();
    void realDialogsAreSetUpForSequenceFiles();
};

void LoadSaveTest::saveWithoutCurrentFileAsksForAName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "plan" << "plan.tpx";
    QTest::newRow("another extension") << "plan.txt" << "plan.txt.tpx";
    QTest::newRow("upper case") << "PLAN.TPX" << "PLAN.TPX";
    QTest::newRow("mixed case") << "plan.tPx" << "plan.tPx";
}

void LoadSaveTest::saveWithoutCurrentFileAsksForAName()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QTemporaryDir dir;
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kThree);
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("7")); // Save takes the fields first

    dialogs.answerNext(dir.filePath(typed));
    dlg.OnSaveClicks();
    QCOMPARE(dialogs.requests.size(), size_t(1));
    const files::FileDialogRequest& request = dialogs.requests[0];
    QCOMPARE(request.owner, static_cast<QWidget*>(&dlg));
    QVERIFY(!request.open);
    QCOMPARE(request.filter, QStringLiteral("Quorvel files (*.tpx)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("tpx"));
    QVERIFY(request.confirmOverwrite);

    QCOMPARE(readBytes(dir.filePath(saved)), numberedSequenceBytes(7, kThree));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{saved}); // no temporary file left
    QCOMPARE(dlg.m_modified, 0);
    QVERIFY(dlg.m_filePath.isEmpty());
    QVERIFY(f.boxes.shown.empty());

    // The name was not kept: the next Save asks again.
    dlg.InsertClickRow(-1, makeEntry(1, 1));
    dlg.OnSaveClicks();
    QCOMPARE(dialogs.requests.size(), size_t(2));
    QCOMPARE(dlg.m_modified, 1); // cancelled
}

void LoadSaveTest::cancelledSaveDialogWritesNothing()
{
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kThree);
    QVERIFY(!dlg.SaveSequence());
    QCOMPARE(dialogs.requests.size(), size_t(1));
    QCOMPARE(dlg.m_modified, 1);
    QVERIFY(f.boxes.shown.empty());
}

// "plan.txt" is saved as "plan.txt.tpx", a name the dialog's own overwrite
// question never covered.
void LoadSaveTest::appendedExtensionDoesNotReplaceAFileUnasked()
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("plan.txt.tpx"));
    const QByteArray before = sequenceBytes(3, {makeEntry(9, 9)});
    QVERIFY(writeBytes(existing, before));
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kThree);

    dialogs.answerNext(dir.filePath(QStringLiteral("plan.txt")));
    f.boxes.answerNext(IDNO);
    QVERIFY(!dlg.SaveSequence());
    QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("plan.txt.tpx already exists.\nDo you want to replace it?")});
    QCOMPARE(readBytes(existing), before);
    QCOMPARE(dlg.m_modified, 1);

    dialogs.answerNext(dir.filePath(QStringLiteral("plan.txt")));
    f.boxes.answerNext(IDYES);
    QVERIFY(dlg.SaveSequence());
    QCOMPARE(readBytes(existing), numberedSequenceBytes(0, kThree));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("plan.txt"))));
}

// A name that does not exist (here from the command line's path) empties the
// list quietly and becomes the file that the next Save creates.
void LoadSaveTest::missingNameBecomesTheCurrentFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.tpx"));
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kThree);

    QCOMPARE(dlg.LoadSequenceFile(path), 0);
    QCOMPARE(dlg.m_list.GetItemCount(), 0);
    QCOMPARE(dlg.m_filePath, path);
    QCOMPARE(dlg.m_modified, 0);
    QVERIFY(!QFile::exists(path));
    QVERIFY(f.boxes.shown.empty());

    dlg.InsertClickRow(-1, makeEntry(100, 200, DoubleLeftClick, 1, 1000));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("5"));
    dlg.OnSaveClicks();
    QVERIFY(dialogs.requests.empty());
    QCOMPARE(readBytes(path), kExample);
    QCOMPARE(dlg.m_modified, 0);
    QCOMPARE(dlg.m_filePath, path);
}

void LoadSaveTest::saveAfterLoadWritesWithoutAsking()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.tpx"));
    QVERIFY(writeBytes(path, sequenceBytes(4, kThree)));
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    dlg.InsertClickRow(-1, makeEntry(7, 8));

    dlg.OnSaveClicks();
    QVERIFY(dialogs.requests.empty());
    std::vector<CClickEntry> expected = kThree;
    expected.push_back(makeEntry(7, 8));
    QCOMPARE(readBytes(path), numberedSequenceBytes(4, expected));
    QCOMPARE(dlg.m_modified, 0);
}

void LoadSaveTest::loadFillsTheListNumberedFromOne()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.tpx"));
    std::vector<CClickEntry> stored = kThree;
    stored.push_back(makeEntry(1, 2, 7, 0, 3, 65535)); // a click type no combo entry names
    QVERIFY(writeBytes(path, sequenceBytes(12, stored)));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, {makeEntry(1, 1), makeEntry(2, 2)});
    setControlText(dlg, IDC_X, QStringLiteral("555")); // typed, not yet taken over

    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    QCOMPARE(listContents(dlg), (QStringList{
                                    "1|Double Left Click|100|200|Yes|1000|2",
                                    "2|Double Right Click|4294967295|0|No|0|3",
                                    "3|Single Right Click|5|6|Yes|4294967295|1",
                                    "4|No Click (7)|1|2|No|3|7",
                                }));
    QCOMPARE(dlg.m_repeatCount, 12);
    QCOMPARE(dlg.GetDlgItemText(IDC_REPEAT_COUNT), QStringLiteral("12"));
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("0")); // the fields were shown again
    QCOMPARE(dlg.m_filePath, path);
    QCOMPARE(dlg.m_modified, 0);
    QVERIFY(f.boxes.shown.empty());
}

void LoadSaveTest::handWrittenFileLoadsAndSavesByteForByte()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hand.tpx"));
    QVERIFY(writeBytes(path, kHandWritten));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.LoadSequenceFile(path), 1);
    QCOMPARE(listContents(dlg), (QStringList{
                                    "1|Single Right Click|10|12|Yes|250|1",
                                    "2|Double Right Click|4294967295|5|No|16909060|3",
                                }));
    QCOMPARE(dlg.m_repeatCount, 3);

    dlg.OnSaveClicks();
    QCOMPARE(readBytes(path), kHandWrittenSaved);
    QVERIFY(f.boxes.shown.empty());
}

void LoadSaveTest::loadOfShortAndOddFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("repeatCount"); // -1: left as it was
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message"); // what the message box says after the file's name; empty: none

    const QByteArray one = record(kThree[0]);
    const QString cut = QStringLiteral(" ends before its header is complete: no clicks could be read.");
    QTest::newRow("count 0") << header(0, 42) << 0 << 42 << 0 << QString();
    QTest::newRow("negative count") << header(-3, 9) + one << 0 << 9 << 0 << QString();
    QTest::newRow("bytes after the records") << header(1, 3) + one + "junk" << 1 << 3 << 1 << QString();
    QTest::newRow("empty file") << QByteArray() << 0 << -1 << 0 << cut;
    QTest::newRow("3 bytes") << QByteArray(3, '\1') << 0 << -1 << 0 << cut;
    QTest::newRow("count only") << header(2, 0).left(4) << 0 << -1 << 0 << cut;
    QTest::newRow("7 bytes") << header(2, 6).left(7) << 0 << -1 << 0 << cut;
    QTest::newRow("ends inside the first record")
        << header(1, 4) + one.left(20) << 0 << 4 << 0 << QStringLiteral(" ends early: 0 of the 1 clicks it lists could be read.");
    QTest::newRow("ends inside the third record")
        << header(3, 4) + one + one + one.left(25) << 2 << 4 << 1
        << QStringLiteral(" ends early: 2 of the 3 clicks it lists could be read.");
    QTest::newRow("states more than it holds")
        << header(2000000000, 4) + one << 1 << 4 << 1
        << QStringLiteral(" ends early: 1 of the 2000000000 clicks it lists could be read.");
}

void LoadSaveTest::loadOfShortAndOddFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    QFETCH(int, repeatCount);
    QFETCH(int, result);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("odd.TPX"));
    QVERIFY(writeBytes(path, bytes));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kThree);
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("77"));
    dlg.UpdateData(TRUE);
    setControlText(dlg, IDC_X, QStringLiteral("555"));

    QCOMPARE(dlg.LoadSequenceFile(path), result);
    QCOMPARE(dlg.m_list.GetItemCount(), rows);
    if (repeatCount < 0) {
        // The repeat count was never read: fields and edit texts as they were.
        QCOMPARE(dlg.m_repeatCount, 77);
        QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("555"));
    } else {
        QCOMPARE(dlg.m_repeatCount, repeatCount);
        QCOMPARE(dlg.GetDlgItemText(IDC_REPEAT_COUNT), QString::number(repeatCount));
    }
    QCOMPARE(dlg.m_filePath, path);
    QCOMPARE(dlg.m_modified, 0);
    if (message.isEmpty()) {
        QVERIFY(f.boxes.shown.empty());
    } else {
        QCOMPARE(f.boxes.texts(), QStringList{"\"" + QDir::toNativeSeparators(path) + "\"" + message});
        QCOMPARE(f.boxes.shown[0].type, UINT(MB_OK | MB_ICONEXCLAMATION));
    }
}

void LoadSaveTest::otherNamesAreNotLoaded()
{
    QTemporaryDir dir;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, kThree);
    dlg.m_filePath = QStringLiteral("current.tpx");
    for (const QString& name : {QStringLiteral("plan.txt"), QStringLiteral("plan.tpx.bak"), QStringLiteral("tpx")}) {
        const QString path = dir.filePath(name);
        QVERIFY(writeBytes(path, sequenceBytes(1, {makeEntry(1, 1)})));
        QCOMPARE(dlg.LoadSequenceFile(path), 0);
    }
    QCOMPARE(dlg.m_list.GetItemCount(), 3);
    QCOMPARE(dlg.m_filePath, QStringLiteral("current.tpx"));
    QCOMPARE(dlg.m_modified, 1);
    QVERIFY(f.boxes.shown.empty());
}

void LoadSaveTest::loadButtonUsesTheOpenDialog()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.tpx"));
    QVERIFY(writeBytes(path, sequenceBytes(3, kThree)));
    FileDialogAnswers dialogs;
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();

    dlg.OnLoadClicks(); // cancelled: nothing changes
    QCOMPARE(dialogs.requests.size(), size_t(1));
    const files::FileDialogRequest request = dialogs.requests[0];
    QCOMPARE(request.owner, static_cast<QWidget*>(&dlg));
    QVERIFY(request.open);
    QCOMPARE(request.filter, QStringLiteral("Quorvel files (*.tpx)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("tpx"));
    QCOMPARE(dlg.m_list.GetItemCount(), 0);
    QVERIFY(dlg.m_filePath.isEmpty());

    dialogs.answerNext(path);
    dlg.OnLoadClicks();
    QCOMPARE(dlg.m_list.GetItemCount(), 3);
    QCOMPARE(dlg.m_filePath, path);
    QCOMPARE(dlg.GetDlgItemText(IDC_REPEAT_COUNT), QStringLiteral("3"));
    QVERIFY(f.boxes.shown.empty());
    QVERIFY(QApplication::overrideCursor() == nullptr); // the wait cursor is off again
}

void LoadSaveTest::commandLineFileIsLoadedWithoutQuestions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.tpx"));
    QVERIFY(writeBytes(path, sequenceBytes(2, kThree)));
    DialogFixture f;
    f.start({path});
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.m_list.GetItemCount(), 3);
    QCOMPARE(dlg.m_repeatCount, 2);
    QCOMPARE(dlg.m_filePath, path);
    QCOMPARE(dlg.m_modified, 0);
    QVERIFY(f.boxes.shown.empty());
}

void LoadSaveTest::unattendedRunWithNothingToPlayEnds()
{
    // The header is whole, the one record it states is not.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.tpx"));
    QVERIFY(writeBytes(path, header(1, 1) + record(kThree[0]).left(25)));
    DialogFixture f;
    QVERIFY(!f.start({path}));
    QCOMPARE(f.boxes.texts(), QStringList{"\"" + QDir::toNativeSeparators(path) +
                                          "\" ends early: 0 of the 1 clicks it lists could be read.\nNothing is played."});
    QCOMPARE(f.boxes.shown[0].timeoutMs, CClickerApp::kUnattendedBoxTimeoutMs);
    QVERIFY(!f.dlg().IsWindow());
}

// Without a test's answers the real QFileDialog comes up; a timer plays the
// user: it notes how the dialog is set up, types a name and accepts.
void LoadSaveTest::realDialogsAreSetUpForSequenceFiles()
{
    QTemporaryDir dir;
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("PLAN.TPX")), sequenceBytes(0, kThree)));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();

    struct Seen {
        bool shown = false;
        QWidget* parent = nullptr;
        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
        QStringList filters;
        QString suffix;
        bool confirmOverwrite = false;
        bool anyCase = false; // "*.tpx" also matches PLAN.TPX
    };
    const auto runDialog = [&](bool open, const QString& typed, Seen& seen) {
        QTimer user;
        int ticks = 0;
        QObject::connect(&user, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (++ticks > 40 || (modal && !dialog)) {
                // Nothing else may come up, and a dialog that does not
                // close on its own is closed after two seconds.
                if (modal)
                    modal->close();
                return;
            }
            if (!dialog || seen.shown)
                return;
            seen.shown = true;
            seen.parent = dialog->parentWidget();
            seen.mode = dialog->acceptMode();
            seen.fileMode = dialog->fileMode();
            seen.filters = dialog->nameFilters();
            seen.suffix = dialog->defaultSuffix();
            seen.confirmOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            seen.anyCase = !(dialog->filter() & QDir::CaseSensitive);
            // Typed into the name field, as a user would.
            dialog->setDirectory(dir.path());
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(typed);
            QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
        });
        user.start(50);
        CUtility utility;
        return utility.ShowFileDialog(&dlg, files::kSequenceFileFilter, open);
    };

    Seen save;
    QCOMPARE(runDialog(false, QStringLiteral("plan"), save), dir.filePath(QStringLiteral("plan.tpx")));
    QVERIFY(save.shown);
    QCOMPARE(save.parent, static_cast<QWidget*>(&dlg));
    QCOMPARE(save.mode, QFileDialog::AcceptSave);
    QCOMPARE(save.filters, QStringList{"Quorvel files (*.tpx)"});
    QCOMPARE(save.suffix, QStringLiteral("tpx"));
    QVERIFY(save.confirmOverwrite);
    QVERIFY(save.anyCase);

    Seen open;
    QCOMPARE(runDialog(true, QStringLiteral("PLAN.TPX"), open), dir.filePath(QStringLiteral("PLAN.TPX")));
    QCOMPARE(open.mode, QFileDialog::AcceptOpen);
    QCOMPARE(open.fileMode, QFileDialog::ExistingFile);
    QCOMPARE(open.filters, QStringList{"Quorvel files (*.tpx)"});
}

QUORVEL_TEST_MAIN(LoadSaveTest)
#include "tst_loadsave.moc"
