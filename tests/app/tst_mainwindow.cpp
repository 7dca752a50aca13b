// Start-up, the window menu with its About box, and the way down: hot keys
// released, the application told to quit with code 0.
#include "app/CAboutDlg.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace quorvel::test;

namespace {

// Closes the modal dialog that opens next, with `key`, once it is up.
void closeNextModalWith(Qt::Key key, bool* seen)
{
    QTimer::singleShot(0, [key, seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        *seen = qobject_cast<CAboutDlg*>(modal) != nullptr;
        QTest::keyClick(modal, key);
    });
}

// Gives control `id` the focus as Tab would and presses `key` there.
void pressIn(CClickerDlg& dlg, int id, Qt::Key key)
{
    dlg.GetDlgItem(id)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void normalStartShowsTheFields();
    void fileArgumentKeepsTheWindowHiddenAndPostsTheStartSignal();
    void failedRegistrationIsReportedOnceAndStartGoesOn();
    void onlyTheWindowWaitsForAnswersAtStart();
    void windowMenuEndsWithAbout();
    void aboutBoxClosesWithOkAndEsc();
    void enterPressesTheFocusedButtonElseAdd();
    void postedMessagesRunAfterTheCurrentHandler();
    void destroyReleasesHotKeysAndQuits();
};

void MainWindowTest::normalStartShowsTheFields()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QVERIFY(dlg.isVisible());
    QCOMPARE(AfxGetApp()->m_pMainWnd, &dlg);
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("0"));
    QCOMPARE(dlg.GetDlgItemText(IDC_Y), QStringLiteral("0"));
    QCOMPARE(qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_CLICK_TYPE))->currentText(), QStringLiteral("Single Left Click"));
    QVERIFY(!qobject_cast<QCheckBox*>(dlg.GetDlgItem(IDC_CURSOR_BACK))->isChecked());
    QCOMPARE(dlg.GetDlgItemText(IDC_DELAY), QStringLiteral("1000"));
    QCOMPARE(dlg.GetDlgItemText(IDC_REPEAT_COUNT), QStringLiteral("0"));
    QVERIFY(qobject_cast<QCheckBox*>(dlg.GetDlgItem(IDC_SHOW_ON_HOTKEY_PRESS))->isChecked()); // stored default 1
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&tart"));
    QCOMPARE(dlg.m_list.GetItemCount(), 0);
    QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(IDC_X));
    QVERIFY(!dlg.windowIcon().isNull());
    QVERIFY(!f.app().m_trayIcon.HasIcon());
    QCOMPARE(f.platform.shell().registrations.size(), size_t(1));
    QVERIFY(f.boxes.shown.empty());
}

void MainWindowTest::fileArgumentKeepsTheWindowHiddenAndPostsTheStartSignal()
{
    DialogFixture f;
    f.start({QStringLiteral("missing.tpx")});
    CClickerDlg& dlg = f.dlg();
    QVERIFY(dlg.IsWindow());
    // No notification area here: the window comes up minimised instead of
    // hidden, so that the run can always be reached.
    QVERIFY(!f.app().m_trayIcon.IsShown());
    QVERIFY(dlg.isMinimized());
    QCOMPARE(dlg.m_bCloseWhenDone, 0); // the start signal is only posted
    processPostedEvents();
    QCOMPARE(dlg.m_bCloseWhenDone, 1);
    // Nothing to play: the start command says so, and the window stays.
    QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("Please Add or Load Mouse Clicks to continue.")});
    QVERIFY(dlg.IsWindow());
}

void MainWindowTest::failedRegistrationIsReportedOnceAndStartGoesOn()
{
    DialogFixture f;
    f.platform.shell().fail = true;
    f.start();
    QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("Failed to Register extension .tpx with Windows Explorer.")});
    QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Quorvel"));
    QVERIFY(f.dlg().isVisible());
}

// The window asks for an OK; an unattended run plays on with a note (about
// the back end, or a file type that could not be registered) and ends, with
// a box that closes by itself, when nothing can click.
void MainWindowTest::onlyTheWindowWaitsForAnswersAtStart()
{
    const QString file = QStringLiteral("missing.tpx");
    const QString note = QStringLiteral("Clicks reach only X11 windows.");
    {
        DialogFixture f;
        f.platform.shell().fail = true;
        QVERIFY(f.start({file}, note));
        QVERIFY(f.boxes.shown.empty());
        QVERIFY(f.dlg().IsWindow());
    }
    const auto refuse = [](DialogFixture& f) {
        f.platform.platform.checkResult = platform::Result::failure(0, "no virtual pointer");
    };
    {
        DialogFixture f;
        refuse(f);
        QVERIFY(!f.start({file}));
        QCOMPARE(f.boxes.shown.size(), size_t(1));
        const QString text = f.boxes.shown[0].text;
        QVERIFY2(text.contains(QStringLiteral("no virtual pointer")), qPrintable(text));
        QCOMPARE(f.boxes.shown[0].timeoutMs, CClickerApp::kUnattendedBoxTimeoutMs);
        QVERIFY(!f.dlg().IsWindow());
    }
    DialogFixture f;
    refuse(f);
    QVERIFY(f.start({}, note));
    QCOMPARE(f.boxes.shown.size(), size_t(1));
    QCOMPARE(f.boxes.shown[0].timeoutMs, 0);
    QVERIFY(f.dlg().isVisible());
}

void MainWindowTest::windowMenuEndsWithAbout()
{
    DialogFixture f;
    f.start();
    const QList<QAction*> actions = f.dlg().GetSystemMenu()->actions();
    QVERIFY(actions.size() >= 2);
    QVERIFY(actions[actions.size() - 2]->isSeparator());
    QCOMPARE(actions.back()->text(), QStringLiteral("&About Quorvel..."));
}

void MainWindowTest::aboutBoxClosesWithOkAndEsc()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    bool seen = false;
    closeNextModalWith(Qt::Key_Return, &seen); // OK is the About box's default button
    dlg.GetSystemMenu()->actions().back()->trigger();
    QVERIFY(seen);

    seen = false;
    closeNextModalWith(Qt::Key_Escape, &seen);
    dlg.SendMessage(WM_SYSCOMMAND, 0x0013, 0); // any command 0x0010..0x001F
    QVERIFY(seen);
    QVERIFY(dlg.IsWindow()); // the main window is untouched
}

void MainWindowTest::enterPressesTheFocusedButtonElseAdd()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto* add = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_ADD));
    auto* start = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_START_STOP));
    setControlText(dlg, IDC_DELAY, QStringLiteral("60000"));
    pressIn(dlg, IDC_X, Qt::Key_Return);
    QCOMPARE(dlg.m_list.GetItemCount(), 1);

    // The focused push button is the default one: Start, then Stop.
    dlg.m_modified = 0;
    pressIn(dlg, IDC_START_STOP, Qt::Key_Return);
    QVERIFY(dlg.m_bRunning && start->isDefault() && !add->isDefault());
    pressIn(dlg, IDC_START_STOP, Qt::Key_Enter);
    QVERIFY(!dlg.m_bRunning);
    QCOMPARE(dlg.m_list.GetItemCount(), 1);
    QCOMPARE(dlg.m_modified, 0);
    pressIn(dlg, IDC_DELETE, Qt::Key_Return);
    QCOMPARE(dlg.m_list.GetItemCount(), 0);

    // Elsewhere Add takes Enter and the default look back.
    pressIn(dlg, IDC_CLICK_TYPE, Qt::Key_Return);
    QVERIFY(add->isDefault() && !start->isDefault());
    QCOMPARE(dlg.m_list.GetItemCount(), 1);
    pressIn(dlg, IDC_DELETE_ALL, Qt::Key_Space);
    QCOMPARE(dlg.m_list.GetItemCount(), 0);
}

void MainWindowTest::postedMessagesRunAfterTheCurrentHandler()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 1, 0, 0, 60000));
    dlg.PostMessage(WM_HOTKEY, 2, 0);
    QVERIFY(!dlg.m_bRunning);
    processPostedEvents();
    QVERIFY(dlg.m_bRunning);
    QCOMPARE(dlg.m_bCloseWhenDone, 0); // only lParam 2 marks the unattended run
    QVERIFY(dlg.m_run);
}

void MainWindowTest::destroyReleasesHotKeysAndQuits()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    f.platform.hotKeys().log.clear();
    QTest::keyClick(dlg.GetDlgItem(IDC_X), Qt::Key_Escape); // no changes: no question
    QVERIFY(!dlg.IsWindow());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(f.platform.hotKeys().log, (std::vector<std::string>{"unregister 1", "unregister 2"}));
    QVERIFY(AfxGetApp()->m_pMainWnd == nullptr);
    // The quit is posted: the event loop ends with code 0 once it runs.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(f.boxes.shown.empty());
}

QUORVEL_TEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
