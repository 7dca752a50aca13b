// A profile that cannot be written: writes report failure, nothing is lost,
// nothing crashes. Runs as an unprivileged user (see CMakeLists.txt), since
// file permissions do not bind root.
#include "framework/CWinApp.h"
#include "hotkeys/CAppSettings.h"
#include "hotkeys/CHotKeyStore.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include <unistd.h>

using namespace quorvel::test;

namespace {

QByteArray readProfile()
{
    QFile file(profilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ReadOnlySettingsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void failedKeyWriteKeepsBothValues();
    void checkBoxOnReadOnlyProfile();
};

void ReadOnlySettingsTest::initTestCase()
{
    if (geteuid() == 0)
        QSKIP("permissions do not bind root; ctest runs this test as an unprivileged user");
    QVERIFY(writeProfile("GetMousePos%20Key=65\nGetMousePos%20Mod=7\nShowOnHotKeyPress=1\n"));
    QVERIFY(QFile::setPermissions(profilePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
}

void ReadOnlySettingsTest::failedKeyWriteKeepsBothValues()
{
    DialogFixture f;
    const QByteArray before = readProfile();
    CHotKeyStore store;
    QCOMPARE(store.StoreHotKey(QStringLiteral("GetMousePos"), 80, HOTKEYF_CONTROL), FALSE);
    QCOMPARE(readProfile(), before);
    WORD key = 0, control = 0, system = 0;
    store.LoadHotKey(QStringLiteral("GetMousePos"), key, control, system);
    QCOMPARE(key, WORD(65));
    QCOMPARE(system, WORD(7));
}

void ReadOnlySettingsTest::checkBoxOnReadOnlyProfile()
{
    DialogFixture f;
    f.start();
    QCOMPARE(CAppSettings().SetShowOnHotKeyPress(0), FALSE);
    auto* box = qobject_cast<QCheckBox*>(f.dlg().GetDlgItem(IDC_SHOW_ON_HOTKEY_PRESS));
    box->click(); // the failure is silent; the window follows the box for this run
    QCOMPARE(f.dlg().m_bShowOnHotKeyPress, 0);
    QCOMPARE(f.dlg().m_settings.GetShowOnHotKeyPress(), 0);
    QVERIFY(f.boxes.shown.empty());
    QVERIFY(readProfile().contains("ShowOnHotKeyPress=1"));
}

QUORVEL_TEST_MAIN(ReadOnlySettingsTest)
#include "tst_settings_readonly.moc"
