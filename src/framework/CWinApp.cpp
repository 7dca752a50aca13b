#include "framework/CWinApp.h"

#include <QApplication>
#include <QCursor>
#include <QSettings>

#include <limits>

namespace {
CWinApp* g_app = nullptr;

QString valueKey(const QString& section, const QString& entry)
{
    return section + QLatin1Char('/') + entry;
}
} // namespace

CWinApp* AfxGetApp()
{
    return g_app;
}

CWinApp::CWinApp(const QString& appName) : m_pszAppName(appName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    while (m_waitCursorCount > 0)
        EndWaitCursor();
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::SetRegistryKey(const QString& company)
{
    m_pszRegistryKey = company;
}

// A fresh QSettings per call: every read sees the file as it is now, and
// every write is flushed and checked at once.
UINT CWinApp::GetProfileInt(const QString& section, const QString& entry, int defaultValue) const
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_pszRegistryKey, m_pszAppName);
    const QVariant stored = settings.value(valueKey(section, entry));
    if (!stored.isValid())
        return static_cast<UINT>(defaultValue);
    bool ok = false;
    const qlonglong value = stored.toString().trimmed().toLongLong(&ok);
    // A registry DWORD holds 32 bits: accept the signed and the unsigned
    // spelling of one, and treat anything else a person typed as absent.
    if (!ok || value < std::numeric_limits<std::int32_t>::min() ||
        value > static_cast<qlonglong>(std::numeric_limits<std::uint32_t>::max()))
        return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(value);
}

BOOL CWinApp::WriteProfileInt(const QString& section, const QString& entry, int value)
{
    return writeProfileValue(section, entry, value);
}

QString CWinApp::GetProfileString(const QString& section, const QString& entry, const QString& defaultValue) const
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_pszRegistryKey, m_pszAppName);
    return settings.value(valueKey(section, entry), defaultValue).toString();
}

BOOL CWinApp::WriteProfileString(const QString& section, const QString& entry, const QString& value)
{
    return writeProfileValue(section, entry, value);
}

BOOL CWinApp::writeProfileValue(const QString& section, const QString& entry, const QVariant& value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_pszRegistryKey, m_pszAppName);
    if (!settings.isWritable())
        return FALSE;
    settings.setValue(valueKey(section, entry), value);
    settings.sync();
    return settings.status() == QSettings::NoError ? TRUE : FALSE;
}

QString CWinApp::ProfileFileName() const
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_pszRegistryKey, m_pszAppName);
    return settings.fileName();
}

void CWinApp::BeginWaitCursor()
{
    ++m_waitCursorCount;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void CWinApp::EndWaitCursor()
{
    if (m_waitCursorCount == 0)
        return;
    --m_waitCursorCount;
    QApplication::restoreOverrideCursor();
}

ModalCursor::ModalCursor() : m_pushed(QApplication::overrideCursor() != nullptr)
{
    if (m_pushed)
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
}

ModalCursor::~ModalCursor()
{
    if (m_pushed)
        QApplication::restoreOverrideCursor();
}
