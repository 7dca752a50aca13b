// The two global hot keys on the recording platform: what Assign and Clear
// store and register, the messages for a hot key that cannot be stored or
// registered, and what a press does (capture the pointer; start and stop,
// the start waiting for the modifier keys to be let go).
#include "hotkeys/CHotKeyStore.h"
#include "hotkeys/ModifierReleaseWait.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>

using namespace quorvel::test;
using Log = std::vector<std::string>;

namespace {

const QString kGetMousePosLoad =
    QStringLiteral("Failed to Load HotKey for getting Mouse Cursor Position, Last Error 1409.\n"
                   "Please do try another key or contact application support team with the error.");
const QString kStartStopLoad =
    QStringLiteral("Failed to Load HotKey to Start / Stop Mouse Clicks, Last Error 1409.\n"
                   "Please do try another key or contact application support team with the error.");
const QString kGetMousePosStore =
    QStringLiteral("Failed to Store HotKey for getting Mouse Cursor Position, Last Error 5.\n"
                   "Please do try another key or contact application support team with the error.");
const QString kStartStopStore =
    QStringLiteral("Failed to Store HotKey to Start / Stop Mouse Clicks, Last Error 5.\n"
                   "Please do try another key or contact application support team with the error.");
const QString kAddOrLoad = QStringLiteral("Please Add or Load Mouse Clicks to continue.");

constexpr std::uint32_t kCtrlAlt = MOD_CONTROL | MOD_ALT;

QString companyFolder()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Corvane");
}

// Presses a combination in a hot-key field, as the user would.
void typeHotKey(CClickerDlg& dlg, int field, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(dlg.GetDlgItem(field), key, modifiers);
}

void clickButton(CClickerDlg& dlg, int id)
{
    auto* button = qobject_cast<QAbstractButton*>(dlg.GetDlgItem(id));
    QVERIFY(button);
    button->click();
}

// Rows to play; their delay keeps the first click far away.
void addRows(CClickerDlg& dlg, int count)
{
    for (int i = 0; i < count; ++i)
        dlg.InsertClickRow(-1, makeEntry(10 + i, 20, 0, 0, 60000));
    dlg.m_modified = 0; // so that a close asks nothing
}

// Starts the program with Ctrl+Alt+S as the start/stop hot key and one row
// to play.
bool startReadyToPlay(DialogFixture& f)
{
    if (!writeProfile("StopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"))
        return false;
    f.start();
    addRows(f.dlg(), 1);
    return true;
}

} // namespace

class HotKeysTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void assignStoresAndRegistersBothFromTheProfile();
    void clearStoresZerosAndReleasesOnlyItsHotKey();
    void storeFailureIsReportedAndNothingIsRegistered();
    void heldCombinationAtStartIsReportedBeforeTheWindowShows_data();
    void heldCombinationAtStartIsReportedBeforeTheWindowShows();
    void assignOfAHeldCombinationIsReported();
    void captureFillsXAndYAndTakesTheOtherFields();
    void captureWithoutAPositionKeepsXAndYAndSaysSoOnce();
    void desktopWithoutGlobalKeysSaysHowAtAssignOnly();
    void captureShowsTheWindowOnlyWhenAsked_data();
    void captureShowsTheWindowOnlyWhenAsked();
    void startSignalMarksTheRunAPressDoesNot();
    void pressWithNothingToPlaySaysSo();
    void startWaitsForTheModifiersToBeLetGo();
    void startWaitIsBounded();
    void secondPressTakesBackAWaitingStart();
    void startButtonDuringTheWaitIsNotUndone();
};

void HotKeysTest::init()
{
    QDir(companyFolder()).removeRecursively();
    QFile::remove(companyFolder());
}

void HotKeysTest::cleanup()
{
    init();
}

void HotKeysTest::assignStoresAndRegistersBothFromTheProfile()
{
    QVERIFY(writeProfile("StopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.GetDlgItem(IDC_HOTKEY_START_STOP)->property("text").toString(), QStringLiteral("Ctrl + Alt + S"));
    auto& hotKeys = f.platform.hotKeys();
    hotKeys.log.clear();

    typeHotKey(dlg, IDC_HOTKEY_GET_MOUSE_POS, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    clickButton(dlg, IDC_ASSIGN_GET_MOUSE_POS);
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Key")), QStringLiteral("80"));
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Mod")), QStringLiteral("3"));
    QCOMPARE(hotKeys.log, (Log{"unregister 1", "register 1 3 80", "unregister 2", "register 2 3 83"}));
    QVERIFY(f.boxes.shown.empty());

    // The other hot key comes from the profile, not from its field.
    QVERIFY(writeProfile("StopMouseClicks%20Key=68\nStopMouseClicks%20Mod=3\nGetMousePos%20Key=80\nGetMousePos%20Mod=3\n"));
    typeHotKey(dlg, IDC_HOTKEY_START_STOP, Qt::Key_Q, Qt::ControlModifier);
    typeHotKey(dlg, IDC_HOTKEY_GET_MOUSE_POS, Qt::Key_F7, Qt::ShiftModifier);
    clickButton(dlg, IDC_ASSIGN_GET_MOUSE_POS);
    QCOMPARE(hotKeys.registered[1], std::make_pair(std::uint32_t(MOD_SHIFT), std::uint32_t(0x76)));
    QCOMPARE(hotKeys.registered[2], std::make_pair(kCtrlAlt, std::uint32_t(68)));

    // A press reaches the window as the hot-key message.
    f.platform.mouse().position = {5, 6};
    QVERIFY(hotKeys.press(1));
    processPostedEvents();
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("5"));
}

void HotKeysTest::clearStoresZerosAndReleasesOnlyItsHotKey()
{
    QVERIFY(writeProfile("GetMousePos%20Key=80\nGetMousePos%20Mod=3\nStopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    auto& hotKeys = f.platform.hotKeys();
    QVERIFY(hotKeys.isRegistered(1));
    hotKeys.log.clear();

    clickButton(dlg, IDC_CLEAR_GET_MOUSE_POS);
    QCOMPARE(dlg.GetDlgItem(IDC_HOTKEY_GET_MOUSE_POS)->property("text").toString(), QStringLiteral("None"));
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Key")), QStringLiteral("0"));
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Mod")), QStringLiteral("0"));
    QCOMPARE(hotKeys.log, (Log{"unregister 1", "unregister 2", "register 2 3 83"}));
    QVERIFY(!hotKeys.press(1));
    QVERIFY(hotKeys.isRegistered(2));

    clickButton(dlg, IDC_CLEAR_START_STOP);
    QVERIFY(hotKeys.registered.empty());
    QCOMPARE(profileValue(QStringLiteral("StopMouseClicks Key")), QStringLiteral("0"));
    QVERIFY(f.boxes.shown.empty());
}

void HotKeysTest::storeFailureIsReportedAndNothingIsRegistered()
{
    QVERIFY(writeProfile("StopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    auto& hotKeys = f.platform.hotKeys();

    // The profile's folder is a file now: no one can write the profile,
    // root included.
    QVERIFY(QDir(companyFolder()).removeRecursively());
    {
        QFile blocker(companyFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    hotKeys.log.clear();

    typeHotKey(dlg, IDC_HOTKEY_GET_MOUSE_POS, Qt::Key_P, Qt::ControlModifier);
    clickButton(dlg, IDC_ASSIGN_GET_MOUSE_POS);
    QCOMPARE(f.boxes.texts(), QStringList{kGetMousePosStore});
    QCOMPARE(f.boxes.shown[0].type, UINT(MB_ICONHAND));
    QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Quorvel"));
    QVERIFY(hotKeys.log.empty());

    f.boxes.clear();
    clickButton(dlg, IDC_CLEAR_START_STOP);
    QCOMPARE(f.boxes.texts(), QStringList{kStartStopStore});
    QVERIFY(hotKeys.log.empty());
    QVERIFY(hotKeys.isRegistered(2)); // stays as it was
}

void HotKeysTest::heldCombinationAtStartIsReportedBeforeTheWindowShows_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("heldId");
    QTest::newRow("start/stop, normal start") << QStringList{} << 2;
    QTest::newRow("start/stop, unattended run") << QStringList{QStringLiteral("missing.tpx")} << 2;
    QTest::newRow("capture, normal start") << QStringList{} << 1;
}

void HotKeysTest::heldCombinationAtStartIsReportedBeforeTheWindowShows()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, heldId);
    QVERIFY(writeProfile("GetMousePos%20Key=80\nGetMousePos%20Mod=3\nStopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    DialogFixture f;
    f.platform.hotKeys().holdElsewhere(kCtrlAlt, heldId == 1 ? 80 : 83);
    struct Shown {
        QString text;
        UINT type;
        bool windowVisible;
    };
    std::vector<Shown> shown;
    const MessageBoxHandler previous = setMessageBoxHandler([&](const MessageBoxRequest& r) {
        shown.push_back({r.text, r.type, f.dlg().isVisible()});
        return int(IDOK);
    });
    f.start(arguments);
    setMessageBoxHandler(previous);

    QCOMPARE(shown.size(), std::size_t(1));
    QCOMPARE(shown[0].text, heldId == 1 ? kGetMousePosLoad : kStartStopLoad);
    QCOMPARE(shown[0].type, UINT(MB_ICONHAND));
    QVERIFY(!shown[0].windowVisible);
    // Start-up goes on: the other hot key is registered, the field still
    // shows the stored combination.
    QCOMPARE(f.platform.hotKeys().isRegistered(heldId), false);
    QCOMPARE(f.platform.hotKeys().isRegistered(3 - heldId), true);
    const int field = heldId == 1 ? IDC_HOTKEY_GET_MOUSE_POS : IDC_HOTKEY_START_STOP;
    QCOMPARE(f.dlg().GetDlgItem(field)->property("text").toString(),
             heldId == 1 ? QStringLiteral("Ctrl + Alt + P") : QStringLiteral("Ctrl + Alt + S"));
    processPostedEvents();
    QVERIFY(f.dlg().IsWindow());
}

void HotKeysTest::assignOfAHeldCombinationIsReported()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    auto& hotKeys = f.platform.hotKeys();
    hotKeys.holdElsewhere(kCtrlAlt, 'P');

    typeHotKey(dlg, IDC_HOTKEY_GET_MOUSE_POS, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    clickButton(dlg, IDC_ASSIGN_GET_MOUSE_POS);
    QCOMPARE(f.boxes.texts(), QStringList{kGetMousePosLoad});
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Key")), QStringLiteral("80")); // stored all the same
    QVERIFY(!hotKeys.isRegistered(1));

    // The same combination for both: hot key 1 has it, hot key 2 is refused.
    f.boxes.clear();
    typeHotKey(dlg, IDC_HOTKEY_GET_MOUSE_POS, Qt::Key_G, Qt::ControlModifier | Qt::AltModifier);
    clickButton(dlg, IDC_ASSIGN_GET_MOUSE_POS);
    QVERIFY(f.boxes.shown.empty());
    typeHotKey(dlg, IDC_HOTKEY_START_STOP, Qt::Key_G, Qt::ControlModifier | Qt::AltModifier);
    clickButton(dlg, IDC_ASSIGN_START_STOP);
    QCOMPARE(f.boxes.texts(), QStringList{kStartStopLoad});
    QCOMPARE(hotKeys.registered[1], std::make_pair(kCtrlAlt, std::uint32_t('G')));
    QVERIFY(!hotKeys.isRegistered(2));

    // Assign and Clear of hot key 1 say nothing of hot key 2, still refused.
    f.boxes.clear();
    hotKeys.holdElsewhere(kCtrlAlt, 'G');
    typeHotKey(dlg, IDC_HOTKEY_GET_MOUSE_POS, Qt::Key_H, Qt::ControlModifier | Qt::AltModifier);
    clickButton(dlg, IDC_ASSIGN_GET_MOUSE_POS);
    clickButton(dlg, IDC_CLEAR_GET_MOUSE_POS);
    QVERIFY(f.boxes.shown.empty());
    QVERIFY(!hotKeys.isRegistered(2));
}

void HotKeysTest::captureFillsXAndYAndTakesTheOtherFields()
{
    QVERIFY(writeProfile("GetMousePos%20Key=80\nGetMousePos%20Mod=3\n"));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("7"));
    setControlText(dlg, IDC_DELAY, QStringLiteral("250"));
    f.platform.mouse().position = {123, 45};
    QVERIFY(f.platform.hotKeys().press(1));
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("0")); // the press is a posted message
    processPostedEvents();
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("123"));
    QCOMPARE(dlg.GetDlgItemText(IDC_Y), QStringLiteral("45"));
    QCOMPARE(dlg.GetDlgItemText(IDC_DELAY), QStringLiteral("250"));
    QCOMPARE(dlg.m_repeatCount, 7);
    QCOMPARE(dlg.m_list.GetItemCount(), 0); // nothing is added
    QCOMPARE(dlg.m_modified, 0);

    // During playback too, and the repeat count edited meanwhile is taken.
    addRows(dlg, 1);
    clickButton(dlg, IDC_START_STOP);
    QVERIFY(dlg.m_bRunning);
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("3"));
    f.platform.mouse().position = {600, 700};
    QVERIFY(f.platform.hotKeys().press(1));
    processPostedEvents();
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("600"));
    QCOMPARE(dlg.m_repeatCount, 3);
    QVERIFY(dlg.m_bRunning);
}

void HotKeysTest::captureWithoutAPositionKeepsXAndYAndSaysSoOnce()
{
    QVERIFY(writeProfile("GetMousePos%20Key=80\nGetMousePos%20Mod=3\n"));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    setControlText(dlg, IDC_X, QStringLiteral("17"));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("4"));
    f.platform.mouse().positionKnown = false;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(f.platform.hotKeys().press(1));
        processPostedEvents();
    }
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("17"));
    QCOMPARE(dlg.GetDlgItemText(IDC_Y), QStringLiteral("0"));
    QCOMPARE(dlg.m_repeatCount, 4); // the other fields are still taken over
    QCOMPARE(f.boxes.texts().size(), 1);
    QVERIFY2(f.boxes.texts().front().contains("cannot be read"), qPrintable(f.boxes.texts().front()));
}

void HotKeysTest::desktopWithoutGlobalKeysSaysHowAtAssignOnly()
{
    // A stored hot key at start: nothing said then.
    QVERIFY(writeProfile("GetMousePos%20Key=80\nGetMousePos%20Mod=3\n"));
    DialogFixture f;
    const platform::Result refusal =
        platform::Result::failure(platform::kErrorHotKeysOnlyInDesktopSettings, "bind quorvel --toggle there");
    f.platform.hotKeys().refuseAll = refusal;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QVERIFY(f.boxes.shown.empty());

    typeHotKey(dlg, IDC_HOTKEY_START_STOP, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    clickButton(dlg, IDC_ASSIGN_START_STOP);
    QCOMPARE(profileValue(QStringLiteral("StopMouseClicks Key")), QStringLiteral("83"));
    QVERIFY(!f.boxes.shown.empty());
    for (const MessageBoxRequest& box : f.boxes.shown) {
        QCOMPARE(box.text, QStringLiteral("bind quorvel --toggle there"));
        QCOMPARE(box.type & MB_ICONMASK, UINT(MB_ICONINFORMATION));
    }
}

void HotKeysTest::captureShowsTheWindowOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("showOnPress");
    QTest::addColumn<int>("before"); // SW_HIDE or SW_MINIMIZE
    QTest::newRow("hidden, shown") << true << int(SW_HIDE);
    QTest::newRow("minimised, restored") << true << int(SW_MINIMIZE);
    QTest::newRow("hidden, box cleared") << false << int(SW_HIDE);
    QTest::newRow("minimised, box cleared") << false << int(SW_MINIMIZE);
}

void HotKeysTest::captureShowsTheWindowOnlyWhenAsked()
{
    QFETCH(bool, showOnPress);
    QFETCH(int, before);
    QVERIFY(writeProfile("GetMousePos%20Key=80\nGetMousePos%20Mod=3\n"));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    if (!showOnPress)
        clickButton(dlg, IDC_SHOW_ON_HOTKEY_PRESS);
    QCOMPARE(bool(dlg.m_bShowOnHotKeyPress), showOnPress);
    dlg.ShowWindow(before);
    f.platform.mouse().position = {3, 4};
    QVERIFY(f.platform.hotKeys().press(1));
    processPostedEvents();
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("3"));
    if (showOnPress) {
        QVERIFY(dlg.isVisible());
        QVERIFY(!dlg.isMinimized());
    } else if (before == SW_HIDE) {
        QVERIFY(!dlg.isVisible());
    } else {
        QVERIFY(dlg.isMinimized());
    }
}

void HotKeysTest::startSignalMarksTheRunAPressDoesNot()
{
    QVERIFY(writeProfile("StopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, 2);

    QVERIFY(f.platform.hotKeys().press(2));
    processPostedEvents();
    QVERIFY(dlg.m_bRunning);
    QVERIFY(f.platform.hotKeys().press(2));
    processPostedEvents();
    QVERIFY(!dlg.m_bRunning);
    QCOMPARE(dlg.m_bCloseWhenDone, 0);
    QVERIFY(dlg.IsWindow()); // no close after the stop

    dlg.PostMessage(WM_HOTKEY, 2, 2);
    processPostedEvents();
    QVERIFY(dlg.m_bRunning);
    QCOMPARE(dlg.m_bCloseWhenDone, 1);
    QVERIFY(f.platform.hotKeys().press(2)); // the hot key stops a marked run: it closes
    processPostedEvents();
    processPostedEvents();
    QVERIFY(!dlg.IsWindow());
    QVERIFY(f.boxes.shown.empty());
}

void HotKeysTest::pressWithNothingToPlaySaysSo()
{
    QVERIFY(writeProfile("StopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    DialogFixture f;
    f.start();
    QVERIFY(f.platform.hotKeys().press(2));
    processPostedEvents();
    QCOMPARE(f.boxes.texts(), QStringList{kAddOrLoad});
    QVERIFY(!f.dlg().m_bRunning);
    QCOMPARE(f.dlg().GetDlgItemText(IDC_START_STOP), QStringLiteral("S&tart"));
}

void HotKeysTest::startWaitsForTheModifiersToBeLetGo()
{
    DialogFixture f;
    QVERIFY(startReadyToPlay(f));
    CClickerDlg& dlg = f.dlg();
    auto& hotKeys = f.platform.hotKeys();

    hotKeys.held = kCtrlAlt;
    QVERIFY(hotKeys.press(2));
    processPostedEvents();
    QVERIFY(!dlg.m_bRunning);
    // The keyboard is asked again and again from the event loop meanwhile.
    QTRY_VERIFY_WITH_TIMEOUT(hotKeys.heldQueries >= 3, 800);
    QVERIFY(!dlg.m_bRunning);
    hotKeys.held = 0;
    QTRY_VERIFY_WITH_TIMEOUT(dlg.m_bRunning, 500);

    // A stop does not wait, and neither does the start signal.
    hotKeys.held = kCtrlAlt;
    QVERIFY(hotKeys.press(2));
    processPostedEvents();
    QVERIFY(!dlg.m_bRunning);
    dlg.PostMessage(WM_HOTKEY, 2, 2);
    processPostedEvents();
    QVERIFY(dlg.m_bRunning);
}

void HotKeysTest::startWaitIsBounded()
{
    DialogFixture f;
    QVERIFY(startReadyToPlay(f));
    CClickerDlg& dlg = f.dlg();
    f.platform.hotKeys().held = MOD_SHIFT; // stuck
    QElapsedTimer clock;
    clock.start();
    QVERIFY(f.platform.hotKeys().press(2));
    QTRY_VERIFY_WITH_TIMEOUT(dlg.m_bRunning, 3000);
    QVERIFY2(clock.elapsed() >= ModifierReleaseWait::kLongestWaitMs - 50, qPrintable(QString::number(clock.elapsed())));
}

void HotKeysTest::secondPressTakesBackAWaitingStart()
{
    DialogFixture f;
    QVERIFY(startReadyToPlay(f));
    CClickerDlg& dlg = f.dlg();
    auto& hotKeys = f.platform.hotKeys();
    hotKeys.held = MOD_CONTROL;
    QVERIFY(hotKeys.press(2));
    processPostedEvents();
    QVERIFY(hotKeys.press(2));
    processPostedEvents();
    hotKeys.held = 0;
    const int queries = hotKeys.heldQueries;
    QTest::qWait(150);
    QVERIFY(!dlg.m_bRunning);
    QCOMPARE(hotKeys.heldQueries, queries); // the wait is over
}

void HotKeysTest::startButtonDuringTheWaitIsNotUndone()
{
    DialogFixture f;
    QVERIFY(startReadyToPlay(f));
    CClickerDlg& dlg = f.dlg();
    auto& hotKeys = f.platform.hotKeys();
    hotKeys.held = MOD_CONTROL;
    QVERIFY(hotKeys.press(2));
    processPostedEvents();
    clickButton(dlg, IDC_START_STOP);
    QVERIFY(dlg.m_bRunning);
    hotKeys.held = 0;
    QTest::qWait(100);
    QVERIFY(dlg.m_bRunning);
}

QUORVEL_TEST_MAIN(HotKeysTest)
#include "tst_hotkeys.moc"
