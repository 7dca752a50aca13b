// Which back end a Linux session gets, case by case: an X11 session, sway,
// a compositor with no virtual pointer (with and without XWayland), a
// compositor that does not answer, the desktop portal, QUORVEL_BACKEND, and
// nothing at all; and what the messages tell the user to install, desktop by
// desktop.
#include "platform/BackendChoice.h"

#include <QtTest>

using namespace platform;

namespace {

enum Expect { None, X11, Wayland, Portal };

} // namespace

class TestBackendChoice : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
    void advice_data();
    void advice();
};

void TestBackendChoice::choice_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<bool>("virtualPointer");
    QTest::addColumn<QString>("x");
    QTest::addColumn<int>("backend");
    QTest::addColumn<bool>("waylandSession");
    QTest::addColumn<QString>("qt");
    QTest::addColumn<QString>("saying"); // part of the message; empty: no message
    QTest::addColumn<bool>("portal");    // the desktop portal can move the pointer

    // requested, WAYLAND_DISPLAY, answers, virtual pointer, DISPLAY, ..., portal
    // clang-format off
    QTest::newRow("X11 session") << "" << "" << false << false << ":0" << int(X11) << false << "xcb" << "" << false;
    QTest::newRow("sway with XWayland")
        << "" << "wayland-1" << true << true << ":0" << int(Wayland) << true << "wayland;xcb" << "" << false;
    QTest::newRow("sway without XWayland")
        << "" << "wayland-1" << true << true << "" << int(Wayland) << true << "wayland" << "" << false;
    QTest::newRow("no virtual pointer: XWayland stands in")
        << "" << "wayland-0" << true << false << ":1" << int(X11) << true << "wayland;xcb" << "reach only X11 windows" << false;
    QTest::newRow("no virtual pointer and no XWayland")
        << "" << "wayland-0" << true << false << "" << int(Wayland) << true << "wayland" << "DISPLAY is not set" << false;
    QTest::newRow("a compositor that does not answer")
        << "" << "wayland-9" << false << false << ":0" << int(X11) << false << "xcb" << "" << false;
    QTest::newRow("nothing at all")
        << "" << "" << false << false << "" << int(None) << false << "" << "no X display (DISPLAY is not set)" << false;
    QTest::newRow("nothing that answers")
        << "" << "wayland-9" << false << false << "" << int(None) << false << ""
        << "no Wayland compositor answers at WAYLAND_DISPLAY=\"wayland-9\"" << false;
    QTest::newRow("x11 asked in a sway session")
        << "x11" << "wayland-1" << true << true << ":0" << int(X11) << true << "wayland;xcb" << "" << false;
    QTest::newRow("x11 asked without an X display")
        << "x11" << "wayland-1" << true << true << "" << int(None) << false << "" << "DISPLAY is not set" << false;
    QTest::newRow("wayland asked without a virtual pointer")
        << "wayland" << "wayland-0" << true << false << ":0" << int(Wayland) << true << "wayland;xcb" << "" << false;
    QTest::newRow("wayland asked in an X11 session")
        << "wayland" << "" << false << false << ":0" << int(None) << false << "" << "WAYLAND_DISPLAY is not set" << false;
    QTest::newRow("unknown back end asked")
        << "mir" << "wayland-1" << true << true << ":0" << int(None) << false << ""
        << "QUORVEL_BACKEND is \"mir\"; it takes x11, wayland or portal" << false;
    QTest::newRow("GNOME: the portal clicks")
        << "" << "wayland-0" << true << false << ":0" << int(Portal) << true << "wayland;xcb" << "" << true;
    QTest::newRow("a virtual pointer comes before the portal")
        << "" << "wayland-1" << true << true << ":0" << int(Wayland) << true << "wayland;xcb" << "" << true;
    QTest::newRow("portal asked in an X11 session")
        << "portal" << "" << false << false << ":0" << int(Portal) << false << "xcb" << "" << true;
    QTest::newRow("portal asked where there is none")
        << "portal" << "wayland-0" << true << false << ":0" << int(None) << false << "" << "none on the session bus"
        << false;
    // clang-format on
}

void TestBackendChoice::choice()
{
    QFETCH(QString, requested);
    QFETCH(QString, wayland);
    QFETCH(bool, answers);
    QFETCH(bool, virtualPointer);
    QFETCH(QString, x);
    QFETCH(int, backend);
    QFETCH(bool, waylandSession);
    QFETCH(QString, qt);
    QFETCH(QString, saying);
    QFETCH(bool, portal);

    SessionFacts facts;
    facts.requested = requested.toStdString();
    facts.waylandDisplay = wayland.toStdString();
    facts.compositorAnswers = answers;
    facts.virtualPointer = virtualPointer;
    facts.xDisplay = x.toStdString();
    facts.portalPointer = portal;
    const NativeChoice choice = chooseBackend(facts);

    const QString message = QString::fromStdString(choice.message);
    if (backend == None) {
        QVERIFY(!choice.backend);
        QVERIFY2(message.contains(saying), qPrintable(message));
        return;
    }
    QVERIFY(choice.backend);
    QCOMPARE(*choice.backend, backend == X11 ? Backend::X11 : backend == Wayland ? Backend::Wayland : Backend::Portal);
    QCOMPARE(choice.waylandSession, waylandSession);
    QCOMPARE(QString::fromStdString(choice.qtPlatform), qt);
    if (saying.isEmpty())
        QVERIFY2(message.isEmpty(), qPrintable(message));
    else
        QVERIFY2(message.contains(saying), qPrintable(message));
}

void TestBackendChoice::advice_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("desktop"); // XDG_CURRENT_DESKTOP
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("saying");
    QTest::addColumn<QString>("notSaying");

    // clang-format off
    QTest::newRow("KDE without its portal, through XWayland")
        << "" << "KDE" << ":0" << "KDE Plasma lets no program move the pointer" << "xdg-desktop-portal-gnome";
    QTest::newRow("KDE: install its portal") << "" << "KDE" << ":0" << "install xdg-desktop-portal-kde" << "sway";
    QTest::newRow("GNOME, listed after the distribution's name, no XWayland")
        << "" << "ubuntu:GNOME" << "" << "install xdg-desktop-portal-gnome" << "ubuntu";
    QTest::newRow("weston: another compositor") << "" << "weston" << ":0" << "weston lets no program" << "install xdg";
    QTest::newRow("unknown desktop: a compositor that can, and the protocols")
        << "" << "" << "" << "such as sway, or one with a desktop portal that does (the virtual pointer protocol "
                             "zwlr_virtual_pointer_manager_v1" << "install";
    QTest::newRow("portal asked on GNOME") << "portal" << "GNOME" << ":0"
        << "; on GNOME, install xdg-desktop-portal-gnome" << "sway";
    // clang-format on
}

void TestBackendChoice::advice()
{
    QFETCH(QString, requested);
    QFETCH(QString, desktop);
    QFETCH(QString, x);
    QFETCH(QString, saying);
    QFETCH(QString, notSaying);

    SessionFacts facts;
    facts.requested = requested.toStdString();
    facts.waylandDisplay = "wayland-0";
    facts.compositorAnswers = true;
    facts.xDisplay = x.toStdString();
    facts.desktop = desktop.toStdString();
    const QString message = QString::fromStdString(chooseBackend(facts).message);
    QVERIFY2(message.contains(saying), qPrintable(message));
    QVERIFY2(!message.contains(notSaying), qPrintable(message));
}

QTEST_APPLESS_MAIN(TestBackendChoice)
#include "tst_backendchoice.moc"
