#include "framework/MessageBox.h"

#include "framework/CDialog.h"
#include "framework/CWinApp.h"
#include "res/Resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

MessageBoxHandler& handler()
{
    static MessageBoxHandler h;
    return h;
}

QMessageBox::Icon iconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// A box without a Cancel button takes no Esc and no close box, as on
// Windows: only one of its buttons answers it. (QMessageBox would make No
// the escape button of a Yes/No box, so an Esc meant to close the box behind
// it would answer No.)
class EscapeIgnored final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->matches(QKeySequence::Cancel))
            return true;
        if (e->type() == QEvent::Close) {
            e->ignore();
            return true;
        }
        return false;
    }
};

struct Choice {
    QMessageBox::StandardButton button;
    int answer;
};
constexpr Choice kOk[] = {{QMessageBox::Ok, IDOK}};
constexpr Choice kOkCancel[] = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
constexpr Choice kYesNo[] = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
constexpr Choice kYesNoCancel[] = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};

template <size_t N>
int ask(QMessageBox& box, const Choice (&choices)[N], int timeoutMs)
{
    for (const Choice& c : choices)
        box.addButton(c.button);
    box.setDefaultButton(choices[0].button);
    bool hasCancel = false;
    for (const Choice& c : choices)
        hasCancel = hasCancel || c.answer == IDCANCEL;
    EscapeIgnored escapeIgnored;
    if (N > 1 && !hasCancel)
        box.installEventFilter(&escapeIgnored);
    if (timeoutMs > 0)
        QTimer::singleShot(timeoutMs, &box, [&box] { box.defaultButton()->click(); });
    const ModalCursor cursor;
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const Choice& c : choices)
        if (clicked == box.button(c.button))
            return c.answer;
    // Closed without a button: Windows answers Cancel, or the only button.
    return N == 1 ? choices[0].answer : IDCANCEL;
}

int showReal(const MessageBoxRequest& request)
{
    QMessageBox box(iconFor(request.type), request.caption, request.text, QMessageBox::NoButton, request.owner);
    switch (request.type & MB_TYPEMASK) {
    case MB_YESNO:
        return ask(box, kYesNo, request.timeoutMs);
    case MB_YESNOCANCEL:
        return ask(box, kYesNoCancel, request.timeoutMs);
    case MB_OKCANCEL:
        return ask(box, kOkCancel, request.timeoutMs);
    default:
        return ask(box, kOk, request.timeoutMs);
    }
}

} // namespace

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler h)
{
    MessageBoxHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, UINT type, int timeoutMs)
{
    MessageBoxRequest request;
    request.owner = owner;
    request.text = text;
    request.caption = caption.isEmpty() ? res::loadString(IDS_APP_TITLE) : caption;
    request.type = type;
    request.timeoutMs = timeoutMs;
    if (handler())
        return handler()(request);
    return showReal(request);
}

int AfxMessageBox(const QString& text, UINT type)
{
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    QWidget* owner = nullptr;
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd && app->m_pMainWnd->isVisible())
        owner = app->m_pMainWnd;
    return ShowMessageBox(owner, text, QString(), type);
}

int AfxMessageBox(UINT stringId, UINT type)
{
    return AfxMessageBox(res::loadString(stringId), type);
}
