// The notification-area icon of an unattended run: when it is there, what
// its mouse messages do, its menu and the two commands; and the window that
// stands in for it when there is no notification area.
#include "app/CTrayIcon.h"
#include "app/TrayMenu.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QtTest>

using namespace quorvel::test;

namespace {

const QString kAddOrLoad = QStringLiteral("Please Add or Load Mouse Clicks to continue.");

// A notification area for the length of a test (Qt's offscreen platform has
// none).
class TrayAvailable {
public:
    TrayAvailable() : m_previous(CTrayIcon::SetAvailabilityCheck([] { return true; })) {}
    ~TrayAvailable() { CTrayIcon::SetAvailabilityCheck(m_previous); }

private:
    CTrayIcon::AvailabilityCheck m_previous;
};

QMenu* popupOf(const CTrayIcon& icon)
{
    return GetSubMenu(icon.Menu(), 0);
}

QAction* item(const CTrayIcon& icon, const QString& text)
{
    for (QAction* action : popupOf(icon)->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

class TrayIconTest : public QObject {
    Q_OBJECT
private slots:
    void normalStartHasNoIcon();
    void unattendedRunShowsTheIconWithItsMenu();
    void onlyTheRightButtonOpensTheMenu();
    void showBringsUpTheWindowAndKeepsTheIcon();
    void exitClosesAndTakesTheIconAway();
    void exitWithUnsavedChangesAsksFirst();
    void withoutANotificationAreaTheWindowStandsIn();
    void nothingToPlayWithTheIconKeepsTheWindowHidden();
    void tipIsCutTo63Characters();
};

void TrayIconTest::normalStartHasNoIcon()
{
    TrayAvailable tray;
    DialogFixture f;
    f.start();
    CTrayIcon& icon = f.app().m_trayIcon;
    QVERIFY(!icon.HasIcon());
    QVERIFY(!icon.IsShown());
    QVERIFY(!icon.Menu());
    icon.HandleCallback(WM_RBUTTONUP); // no menu, nothing happens
    f.dlg().DestroyWindow();           // removes nothing
    QVERIFY(!icon.HasIcon());
    QVERIFY(!icon.TrayIcon());

    CTrayIcon never;
    never.Remove();
    QVERIFY(!never.HasIcon());
}

void TrayIconTest::unattendedRunShowsTheIconWithItsMenu()
{
    TrayAvailable tray;
    DialogFixture f;
    f.start({QStringLiteral("missing.tpx")});
    CTrayIcon& icon = f.app().m_trayIcon;
    QVERIFY(icon.IsShown());
    QVERIFY(icon.HasIcon());
    QCOMPARE(icon.TrayIcon()->toolTip(), QStringLiteral("Quorvel"));
    QVERIFY(!icon.TrayIcon()->icon().isNull());
    QVERIFY(!f.dlg().isVisible());

    QCOMPARE(icon.Menu()->actions().size(), 1);
    QCOMPARE(icon.Menu()->actions()[0]->text(), QStringLiteral("__POPUP__"));
    const QList<QAction*> items = popupOf(icon)->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0]->text(), QStringLiteral("Exit"));
    QCOMPARE(items[0]->data().toInt(), int(ID_TRAY_EXIT));
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[2]->text(), QStringLiteral("Show"));
    QCOMPARE(items[2]->data().toInt(), int(ID_TRAY_SHOW));
    // No StatusNotifierItem host here: the menu is not handed to Qt, which
    // would open it as well as HandleCallback.
    QVERIFY(!icon.TrayIcon()->contextMenu());
}

void TrayIconTest::onlyTheRightButtonOpensTheMenu()
{
    TrayAvailable tray;
    DialogFixture f;
    f.start({QStringLiteral("missing.tpx")});
    CTrayIcon& icon = f.app().m_trayIcon;
    QSystemTrayIcon* qtIcon = icon.TrayIcon();
    QCursor::setPos(200, 150);

    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick}) {
        emit qtIcon->activated(reason);
        processPostedEvents();
        QVERIFY(!popupOf(icon)->isVisible());
    }
    QVERIFY(!f.dlg().isVisible());

    // The context click arrives as the right-button release of WM_TRAYNOTIFY.
    emit qtIcon->activated(QSystemTrayIcon::Context);
    QTRY_VERIFY_WITH_TIMEOUT(popupOf(icon)->isVisible(), 2000);
    QCOMPARE(popupOf(icon)->pos(), QPoint(200, 150));
    popupOf(icon)->close(); // clicking elsewhere: no command
    processPostedEvents();
    QVERIFY(!f.dlg().isVisible());
    QVERIFY(f.dlg().IsWindow());

    QCOMPARE(f.dlg().SendMessage(WM_TRAYNOTIFY, TRAY_ICON_UID, WM_LBUTTONDBLCLK), LRESULT(1));
    QVERIFY(!popupOf(icon)->isVisible());
}

void TrayIconTest::showBringsUpTheWindowAndKeepsTheIcon()
{
    TrayAvailable tray;
    DialogFixture f;
    f.start({QStringLiteral("missing.tpx")});
    processPostedEvents(); // the start signal: nothing to play
    CTrayIcon& icon = f.app().m_trayIcon;
    QSystemTrayIcon* qtIcon = icon.TrayIcon();

    item(icon, QStringLiteral("Show"))->trigger();
    QVERIFY(!f.dlg().isVisible()); // the command is posted
    processPostedEvents();
    QVERIFY(f.dlg().isVisible());
    QVERIFY(icon.IsShown());

    item(icon, QStringLiteral("Show"))->trigger();
    processPostedEvents();
    QVERIFY(f.dlg().isVisible());
    QCOMPARE(icon.TrayIcon(), qtIcon); // still the one icon

    // A minimised window is shown minimised.
    f.dlg().ShowWindow(SW_MINIMIZE);
    f.dlg().ShowWindow(SW_HIDE);
    item(icon, QStringLiteral("Show"))->trigger();
    processPostedEvents();
    QVERIFY(f.dlg().isVisible());
    QVERIFY(f.dlg().isMinimized());
}

void TrayIconTest::exitClosesAndTakesTheIconAway()
{
    TrayAvailable tray;
    DialogFixture f;
    f.start({QStringLiteral("missing.tpx")});
    processPostedEvents();
    f.boxes.clear();
    CTrayIcon& icon = f.app().m_trayIcon;
    item(icon, QStringLiteral("Exit"))->trigger();
    processPostedEvents();
    QVERIFY(!f.dlg().IsWindow());
    QVERIFY(!icon.IsShown());
    QVERIFY(!icon.HasIcon());
    QVERIFY(icon.Menu());           // kept until the object goes
    QVERIFY(f.boxes.shown.empty()); // nothing changed: no question
}

void TrayIconTest::exitWithUnsavedChangesAsksFirst()
{
    TrayAvailable tray;
    DialogFixture f;
    f.start({QStringLiteral("missing.tpx")});
    processPostedEvents();
    f.boxes.clear();
    f.dlg().InsertClickRow(-1, makeEntry(1, 2));
    QVERIFY(f.dlg().m_modified);
    CTrayIcon& icon = f.app().m_trayIcon;

    f.boxes.answerNext(IDNO);
    item(icon, QStringLiteral("Exit"))->trigger();
    processPostedEvents();
    QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("Would you like to Save the Changes Made?")});
    QVERIFY(!f.dlg().IsWindow());
    QVERIFY(!icon.IsShown());
}

void TrayIconTest::withoutANotificationAreaTheWindowStandsIn()
{
    DialogFixture f; // offscreen: no notification area
    f.start({QStringLiteral("missing.tpx")});
    CTrayIcon& icon = f.app().m_trayIcon;
    QVERIFY(!icon.IsShown());
    QVERIFY(icon.HasIcon()); // refused, but held
    QVERIFY(!icon.Menu());
    // Shown minimised, so that a run that repeats until stopped can be.
    QVERIFY(f.dlg().isVisible());
    QVERIFY(f.dlg().isMinimized());

    // Nothing to play: said, and the window comes up.
    processPostedEvents();
    QCOMPARE(f.boxes.texts(), QStringList{kAddOrLoad});
    QCOMPARE(f.dlg().m_bCloseWhenDone, 1);
    QVERIFY(f.dlg().isVisible());
    QVERIFY(!f.dlg().isMinimized());

    f.dlg().DestroyWindow();
    QVERIFY(!icon.HasIcon());
}

void TrayIconTest::nothingToPlayWithTheIconKeepsTheWindowHidden()
{
    TrayAvailable tray;
    DialogFixture f;
    f.start({QStringLiteral("missing.tpx")});
    processPostedEvents();
    QCOMPARE(f.boxes.texts(), QStringList{kAddOrLoad});
    QVERIFY(!f.dlg().isVisible());
    QVERIFY(f.app().m_trayIcon.IsShown());
}

void TrayIconTest::tipIsCutTo63Characters()
{
    TrayAvailable tray;
    CWinApp app(QString(70, QLatin1Char('Q')) + QStringLiteral("xyz"));
    CTrayIcon icon;
    QCOMPARE(icon.Add(), 1);
    QCOMPARE(icon.TrayIcon()->toolTip(), QString(63, QLatin1Char('Q')));
    icon.Remove();
}

QUORVEL_TEST_MAIN(TrayIconTest)
#include "tst_trayicon.moc"
