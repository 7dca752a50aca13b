#include "framework/CDialog.h"

#include "framework/CWinApp.h"
#include "framework/DataExchange.h"
#include "framework/HotKeyEdit.h"
#include "framework/ListView.h"
#include "res/Resources.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>

namespace {

// A message posted to a dialog.
class PostedMessageEvent final : public QEvent {
public:
    static QEvent::Type type()
    {
        static const QEvent::Type t = static_cast<QEvent::Type>(QEvent::registerEventType());
        return t;
    }
    PostedMessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(type()), m_message(message), m_wParam(wParam), m_lParam(lParam)
    {
    }
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
};

} // namespace

CDialog::CDialog(int templateId, QWidget* parent) : QDialog(parent), m_templateId(templateId)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

CDialog::~CDialog() = default;

BOOL CDialog::Create(int templateId, QWidget* parent)
{
    if (m_created)
        return FALSE;
    if (templateId != 0)
        m_templateId = templateId;
    if (parent)
        setParent(parent, windowFlags());
    const DialogTemplate* t = res::dialogTemplate(m_templateId);
    if (!t)
        return FALSE;

    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t->style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t->style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    // A main window without an owner gets a taskbar button of its own.
    if ((t->exStyle & WS_EX_APPWINDOW) && !parentWidget())
        flags = (flags & ~Qt::Dialog) | Qt::Window;
    setWindowFlags(flags);
    setWindowTitle(QString::fromUtf8(t->caption));
    setAcceptDrops((t->exStyle & WS_EX_ACCEPTFILES) != 0);

    m_controls = buildControls(this, *t);
    for (const BuiltControl& c : m_controls) {
        wireControl(c);
        c.widget->installEventFilter(this);
    }
    m_created = true;
    m_destroyed = false;
    OnInitDialog();
    return TRUE;
}

void CDialog::wireControl(const BuiltControl& control)
{
    const int id = control.source->id;
    if (id == -1)
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(control.widget)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, id] { SendMessage(WM_COMMAND, static_cast<WPARAM>(id) | (BN_CLICKED << 16), 0); });
    } else if (auto* list = qobject_cast<ListView*>(control.widget)) {
        connect(list, &ListView::clickNotify, this, [this, id] { OnNotify(id, NM_CLICK); });
    }
}

int CDialog::DoModal()
{
    if (!m_created && !Create())
        return -1;
    m_modal = true;
    CenterWindow();
    const int result = exec();
    m_modal = false;
    return result;
}

void CDialog::EndDialog(int result)
{
    done(result);
}

BOOL CDialog::DestroyWindow()
{
    if (!IsWindow() || m_destroying)
        return FALSE;
    // The window still exists while its WM_DESTROY handler runs.
    m_destroying = true;
    OnDestroy();
    m_destroyed = true;
    m_destroying = false;
    if (m_modal)
        QDialog::done(IDCANCEL);
    hide();
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        // The quit message: the loop ends once this handler has returned.
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }
    return TRUE;
}

QWidget* CDialog::GetDlgItem(int id) const
{
    if (id == -1)
        return nullptr;
    for (const BuiltControl& c : m_controls)
        if (c.source->id == id)
            return c.widget;
    return nullptr;
}

QString CDialog::GetDlgItemText(int id) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return QString();
}

void CDialog::SetDlgItemText(int id, const QString& text)
{
    QWidget* w = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

BOOL CDialog::ShowWindow(int command)
{
    const BOOL wasVisible = isVisible() ? TRUE : FALSE;
    if (!IsWindow())
        return wasVisible;
    switch (command) {
    case SW_HIDE:
        hide();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        showMinimized();
        break;
    case SW_RESTORE:
        if (isMinimized())
            showNormal();
        else
            show();
        break;
    default:
        show();
        break;
    }
    return wasVisible;
}

void CDialog::CenterWindow()
{
    QWidget* owner = parentWidget();
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    else
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    QCoreApplication::postEvent(this, new PostedMessageEvent(message, wParam, lParam));
}

LRESULT CDialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return WindowProc(message, wParam, lParam);
}

QMenu* CDialog::GetSystemMenu()
{
    if (!m_systemMenu) {
        m_systemMenu = new QMenu(this);
        m_systemMenu->addAction(QStringLiteral("Mi&nimize"), this, [this] { SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0); });
        m_systemMenu->addAction(QStringLiteral("&Close"), this, [this] { SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0); });
    }
    return m_systemMenu;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog()
{
    if (const DialogTemplate* t = res::dialogTemplate(m_templateId))
        runInitData(m_controls, *t);
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnClose()
{
    // A modal dialog closes as Cancel; a modeless one is destroyed.
    if (m_modal)
        OnCancel();
    else
        DestroyWindow();
}

void CDialog::OnSysCommand(UINT id, LPARAM)
{
    defaultSysCommand(id);
}

void CDialog::defaultSysCommand(UINT id)
{
    switch (id & 0xFFF0) {
    case SC_MINIMIZE:
        showMinimized();
        break;
    case SC_RESTORE:
        showNormal();
        break;
    case SC_CLOSE:
        SendMessage(WM_CLOSE);
        break;
    default:
        break;
    }
}

BOOL CDialog::OnCommand(UINT id, UINT)
{
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

void CDialog::OnNotify(int, UINT) {}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam)))
            return 0;
        break;
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    default:
        break;
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

MnemonicTarget CDialog::mnemonicTarget(const QKeyEvent& key) const
{
    const Qt::KeyboardModifiers mods = key.modifiers();
    if (!(mods & Qt::AltModifier) || (mods & (Qt::ControlModifier | Qt::MetaModifier)))
        return {};
    QChar letter;
    if (key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
        letter = QChar(u'a' + (key.key() - Qt::Key_A));
    else if (key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9)
        letter = QChar(u'0' + (key.key() - Qt::Key_0));
    else
        return {};

    std::vector<MnemonicControl> controls;
    controls.reserve(m_controls.size());
    int focused = -1;
    const QWidget* focus = focusWidget();
    for (const BuiltControl& c : m_controls) {
        // The template's kind and tab stop; the text as it is now (Start
        // becomes Stop).
        MnemonicControl m = mnemonicControl(*c.source);
        if (auto* button = qobject_cast<QAbstractButton*>(c.widget))
            m.letter = mnemonicLetter(button->text());
        else if (auto* label = qobject_cast<QLabel*>(c.widget); label && !m.letter.isNull())
            m.letter = mnemonicLetter(label->text());
        m.available = c.widget->isEnabled() && !c.widget->isHidden();
        if (focus && (c.widget == focus || c.widget->isAncestorOf(focus)))
            focused = static_cast<int>(controls.size());
        controls.push_back(m);
    }
    return findMnemonicTarget(controls, focused, letter);
}

bool CDialog::handleMnemonicKey(QEvent* e)
{
    if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress)
        return false;
    // A hot-key field takes every combination as its own.
    if (qobject_cast<HotKeyEdit*>(focusWidget()))
        return false;
    const MnemonicTarget target = mnemonicTarget(*static_cast<QKeyEvent*>(e));
    if (target.action == MnemonicTarget::Action::None)
        return false;
    e->accept();
    if (e->type() == QEvent::ShortcutOverride)
        return true;

    QWidget* w = m_controls[static_cast<size_t>(target.index)].widget;
    if (w->focusPolicy() != Qt::NoFocus)
        w->setFocus(Qt::ShortcutFocusReason);
    if (target.action == MnemonicTarget::Action::Press) {
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->click();
    } else if (auto* edit = qobject_cast<QLineEdit*>(w); edit && target.viaLabel) {
        edit->selectAll();
    }
    return true;
}

bool CDialog::eventFilter(QObject* watched, QEvent* e)
{
    if (handleMnemonicKey(e))
        return true;
    return QDialog::eventFilter(watched, e);
}

bool CDialog::event(QEvent* e)
{
    if (handleMnemonicKey(e))
        return true;
    if (e->type() == PostedMessageEvent::type()) {
        const auto* posted = static_cast<PostedMessageEvent*>(e);
        if (IsWindow())
            WindowProc(posted->m_message, posted->m_wParam, posted->m_lParam);
        return true;
    }
    return QDialog::event(e);
}

void CDialog::closeEvent(QCloseEvent* e)
{
    // The close box, Alt+F4 and the window manager's Close arrive here; the
    // dialog decides in its WM_CLOSE handler.
    e->ignore();
    if (IsWindow())
        SendMessage(WM_CLOSE);
}

void CDialog::contextMenuEvent(QContextMenuEvent* e)
{
    QWidget* target = childAt(e->pos());
    if (target && !qobject_cast<QGroupBox*>(target) && !qobject_cast<QLabel*>(target))
        return;
    GetSystemMenu()->popup(e->globalPos());
    e->accept();
}

void CDialog::reject()
{
    // Esc, as the IDCANCEL command.
    SendMessage(WM_COMMAND, IDCANCEL, 0);
}

void CDialog::accept()
{
    SendMessage(WM_COMMAND, IDOK, 0);
}
