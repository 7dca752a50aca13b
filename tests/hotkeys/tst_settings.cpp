// The profile: names, defaults, caches, the two forms of hot-key modifiers,
// the double-click bound, and the check box that survives a restart.
#include "framework/CWinApp.h"
#include "hotkeys/CAppSettings.h"
#include "hotkeys/CHotKeyStore.h"
#include "hotkeys/CUtility.h"
#include "hotkeys/HotKeyEncoding.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QFile>
#include <QtTest>

using namespace quorvel::test;

namespace {

struct Loaded {
    WORD key = 0xAAAA, control = 0xAAAA, system = 0xAAAA;
};
Loaded load(const QString& name)
{
    Loaded l;
    CHotKeyStore().LoadHotKey(name, l.key, l.control, l.system);
    return l;
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void emptyProfileGivesDefaults();
    void modifierTableBothWays();
    void storeWritesKeyAndSystemForm();
    void loadKeepsHighBitsOnlyInSystemForm();
    void handEditedValues();
    void doubleClickDelayIsCachedAndBounded();
    void checkBoxIsStoredAndSurvivesARestart();
    void profileInTheXdgConfigFolder();
};

void SettingsTest::init()
{
    QFile::remove(profilePath());
}

void SettingsTest::emptyProfileGivesDefaults()
{
    DialogFixture f;
    CUtility utility;
    QCOMPARE(utility.GetDoubleClickDelay(), 10);
    CAppSettings settings;
    QCOMPARE(settings.GetShowOnHotKeyPress(), 1);
    for (const char* name : {"GetMousePos", "StopMouseClicks"}) {
        const Loaded l = load(QString::fromLatin1(name));
        QCOMPARE(l.key, WORD(0));
        QCOMPARE(l.control, WORD(0));
        QCOMPARE(l.system, WORD(0));
    }
    f.start();
    QVERIFY(f.platform.hotKeys().registered.empty()); // nothing to register
    QVERIFY(f.boxes.shown.empty());
    QVERIFY(!QFile::exists(profilePath())); // reading writes nothing
}

void SettingsTest::modifierTableBothWays()
{
    QCOMPARE(ControlToSystemModifiers(HOTKEYF_SHIFT), WORD(MOD_SHIFT));
    QCOMPARE(ControlToSystemModifiers(HOTKEYF_CONTROL), WORD(MOD_CONTROL));
    QCOMPARE(ControlToSystemModifiers(HOTKEYF_ALT), WORD(MOD_ALT));
    QCOMPARE(ControlToSystemModifiers(HOTKEYF_EXT), WORD(MOD_WIN));
    QCOMPARE(ControlToSystemModifiers(0xF0), WORD(0)); // bits outside the table are dropped
    for (WORD bits = 0; bits < 16; ++bits)
        QCOMPARE(SystemToControlModifiers(ControlToSystemModifiers(bits)), bits);
}

void SettingsTest::storeWritesKeyAndSystemForm()
{
    DialogFixture f;
    CHotKeyStore store;
    QVERIFY(store.StoreHotKey(QStringLiteral("GetMousePos"), 65, HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT));
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Key")).toInt(), 65);
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Mod")).toInt(), 7);
    const struct {
        WORD control;
        int system;
    } singles[] = {{HOTKEYF_SHIFT, 4}, {HOTKEYF_ALT, 1}, {HOTKEYF_CONTROL, 2}};
    for (const auto& s : singles) {
        QVERIFY(store.StoreHotKey(QStringLiteral("StopMouseClicks"), 80, s.control));
        QCOMPARE(profileValue(QStringLiteral("StopMouseClicks Mod")).toInt(), s.system);
    }
    // Clearing stores zeros; both values stay in the profile.
    QVERIFY(store.StoreHotKey(QStringLiteral("GetMousePos"), 0, 0));
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Key")), QStringLiteral("0"));
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Mod")), QStringLiteral("0"));
}

void SettingsTest::loadKeepsHighBitsOnlyInSystemForm()
{
    DialogFixture f;
    QVERIFY(writeProfile("GetMousePos%20Key=80\nGetMousePos%20Mod=1\n"
                         "StopMouseClicks%20Key=131071\nStopMouseClicks%20Mod=4119\n"));
    Loaded l = load(QStringLiteral("GetMousePos"));
    QCOMPARE(l.key, WORD(80));
    QCOMPARE(l.control, WORD(HOTKEYF_ALT));
    QCOMPARE(l.system, WORD(1));
    l = load(QStringLiteral("StopMouseClicks"));
    QCOMPARE(l.key, WORD(0xFFFF)); // cut to 16 bits
    QCOMPARE(l.system, WORD(4119)); // 0x1017: passed on unconverted
    QCOMPARE(l.control, WORD(HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT));
}

void SettingsTest::handEditedValues()
{
    DialogFixture f;
    QVERIFY(writeProfile("ShowOnHotKeyPress=yes please\nDoubleClickDelay= 25 \n"
                         "GetMousePos%20Key=4294967295\n"));
    QCOMPARE(CAppSettings().GetShowOnHotKeyPress(), 1); // not a number: the default
    QCOMPARE(CUtility().GetDoubleClickDelay(), 25);
    QCOMPARE(load(QStringLiteral("GetMousePos")).key, WORD(0xFFFF)); // 32 bits, then 16
    QCOMPARE(AfxGetApp()->GetProfileInt(QStringLiteral("Settings"), QStringLiteral("GetMousePos Key"), 0),
             4294967295u);
    QVERIFY(writeProfile("GetMousePos%20Key=4294967296\n")); // past 32 bits: the default
    QCOMPARE(AfxGetApp()->GetProfileInt(QStringLiteral("Settings"), QStringLiteral("GetMousePos Key"), 3), 3u);
}

void SettingsTest::doubleClickDelayIsCachedAndBounded()
{
    DialogFixture f;
    QVERIFY(writeProfile("DoubleClickDelay=40\n"));
    CUtility utility;
    QCOMPARE(utility.GetDoubleClickDelay(), 40);
    QVERIFY(writeProfile("DoubleClickDelay=50\n"));
    QCOMPARE(utility.GetDoubleClickDelay(), 40); // read once per process

    QVERIFY(writeProfile("DoubleClickDelay=999999\n"));
    QCOMPARE(CUtility().GetDoubleClickDelay(), 5000);
    QVERIFY(writeProfile("DoubleClickDelay=-700\n"));
    QCOMPARE(CUtility().GetDoubleClickDelay(), 0);

    // A stored -1 reads as "not read yet": it is read again at every call.
    QVERIFY(writeProfile("DoubleClickDelay=-1\n"));
    CUtility again;
    QCOMPARE(again.GetDoubleClickDelay(), 0);
    QVERIFY(writeProfile("DoubleClickDelay=300\n"));
    QCOMPARE(again.GetDoubleClickDelay(), 300);
}

void SettingsTest::checkBoxIsStoredAndSurvivesARestart()
{
    {
        DialogFixture f;
        f.start();
        auto* box = qobject_cast<QCheckBox*>(f.dlg().GetDlgItem(IDC_SHOW_ON_HOTKEY_PRESS));
        QVERIFY(box->isChecked());
        box->click();
        QCOMPARE(f.dlg().m_bShowOnHotKeyPress, 0);
        QCOMPARE(profileValue(QStringLiteral("ShowOnHotKeyPress")).toInt(), 0);
        QVERIFY(f.boxes.shown.empty());
    }
    {
        DialogFixture f; // the next start of the program
        f.start();
        QVERIFY(!qobject_cast<QCheckBox*>(f.dlg().GetDlgItem(IDC_SHOW_ON_HOTKEY_PRESS))->isChecked());
        QCOMPARE(f.dlg().m_bShowOnHotKeyPress, 0);
    }
}

void SettingsTest::profileInTheXdgConfigFolder()
{
    DialogFixture f;
    f.start();
    QCOMPARE(AfxGetApp()->ProfileFileName(), profilePath());
}

QUORVEL_TEST_MAIN(SettingsTest)
#include "tst_settings.moc"
