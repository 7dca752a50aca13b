#include "framework/DataExchange.h"

#include "framework/CDialog.h"
#include "framework/CHotKeyCtrl.h"
#include "framework/CListCtrl.h"
#include "framework/HotKeyEdit.h"
#include "framework/ListView.h"
#include "framework/MessageBox.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <limits>

namespace {

bool parseInteger(const QString& text, bool allowSign, qint64 minValue, qint64 maxValue, qint64& value)
{
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (allowSign && i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= t.size())
        return false;
    qint64 v = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
        if (v > maxValue + 1) // past any 32-bit value; stop before overflow
            return false;
    }
    if (negative)
        v = -v;
    if (v < minValue || v > maxValue)
        return false;
    value = v;
    return true;
}

} // namespace

bool ParseDword(const QString& text, DWORD& value)
{
    qint64 v = 0;
    if (!parseInteger(text, false, 0, std::numeric_limits<DWORD>::max(), v))
        return false;
    value = static_cast<DWORD>(v);
    return true;
}

bool ParseInt(const QString& text, int& value)
{
    qint64 v = 0;
    if (!parseInteger(text, true, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), v))
        return false;
    value = static_cast<int>(v);
    return true;
}

QWidget* CDataExchange::PrepareCtrl(int id)
{
    m_lastControl = m_pDlgWnd->GetDlgItem(id);
    m_lastIsEdit = false;
    return m_lastControl;
}

QWidget* CDataExchange::PrepareEditCtrl(int id)
{
    QWidget* w = PrepareCtrl(id);
    m_lastIsEdit = true;
    return w;
}

void CDataExchange::Fail(const QString& message)
{
    m_failed = true;
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    if (!m_lastControl)
        return;
    m_lastControl->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(m_lastControl); edit && m_lastIsEdit)
        edit->selectAll();
}

namespace {

// An edit field's text as a number of type T: shown in decimal, taken back
// through `parse`, refused with `failure`.
template <typename T>
void exchangeNumber(CDataExchange* pDX, int id, T& value, bool (*parse)(const QString&, T&), const QString& failure)
{
    if (pDX->Failed())
        return;
    auto* edit = qobject_cast<QLineEdit*>(pDX->PrepareEditCtrl(id));
    if (!edit)
        return;
    if (!pDX->m_bSaveAndValidate) {
        edit->setText(QString::number(value));
        return;
    }
    T parsed{};
    if (!parse(edit->text(), parsed)) {
        pDX->Fail(failure);
        return;
    }
    value = parsed;
}

} // namespace

void DDX_Text(CDataExchange* pDX, int id, DWORD& value)
{
    exchangeNumber<DWORD>(pDX, id, value, ParseDword, QStringLiteral("Please enter a whole number from 0 to 4294967295."));
}

void DDX_Text(CDataExchange* pDX, int id, int& value)
{
    exchangeNumber<int>(pDX, id, value, ParseInt, QStringLiteral("Please enter an integer."));
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    if (pDX->Failed())
        return;
    auto* box = qobject_cast<QAbstractButton*>(pDX->PrepareCtrl(id));
    if (!box)
        return;
    if (pDX->m_bSaveAndValidate)
        value = box->isChecked() ? 1 : 0;
    else
        box->setChecked(value != 0);
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& index)
{
    if (pDX->Failed())
        return;
    auto* combo = qobject_cast<QComboBox*>(pDX->PrepareCtrl(id));
    if (!combo)
        return;
    if (pDX->m_bSaveAndValidate)
        index = combo->currentIndex();
    else
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void DDX_Control(CDataExchange* pDX, int id, CListCtrl& control)
{
    if (pDX->Failed() || control.IsAttached())
        return;
    control.Attach(qobject_cast<ListView*>(pDX->PrepareCtrl(id)));
}

void DDX_Control(CDataExchange* pDX, int id, CHotKeyCtrl& control)
{
    if (pDX->Failed() || control.IsAttached())
        return;
    control.Attach(qobject_cast<HotKeyEdit*>(pDX->PrepareCtrl(id)));
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue)
{
    if (pDX->Failed() || !pDX->m_bSaveAndValidate)
        return;
    if (value < minValue || value > maxValue)
        pDX->Fail(QStringLiteral("Please enter an integer between %1 and %2.").arg(minValue).arg(maxValue));
}
