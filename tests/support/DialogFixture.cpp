#include "support/DialogFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

namespace quorvel::test {

MessageBoxRecorder::MessageBoxRecorder()
{
    m_previous = setMessageBoxHandler([this](const MessageBoxRequest& request) {
        shown.push_back(request);
        if (!m_answers.empty()) {
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        switch (request.type & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return static_cast<int>(IDYES);
        default:
            return static_cast<int>(IDOK);
        }
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    setMessageBoxHandler(std::move(m_previous));
}

QStringList MessageBoxRecorder::texts() const
{
    QStringList out;
    for (const MessageBoxRequest& r : shown)
        out << r.text;
    return out;
}

DialogFixture::DialogFixture() : m_app(std::make_unique<CClickerApp>())
{
    // Start-up sets the same key; tests that do not start the program use
    // the program's profile all the same.
    m_app->SetRegistryKey(QStringLiteral("Corvane"));
}

DialogFixture::~DialogFixture()
{
    if (m_app->m_dlg.IsWindow())
        m_app->m_dlg.DestroyWindow();
    // The quit that destroying the main window posts must not leak into the
    // next test.
    QCoreApplication::removePostedEvents(nullptr);
    m_app.reset();
}

bool DialogFixture::start(const QStringList& arguments, const QString& backendNote)
{
    return m_app->InitInstance(ParseCommandLine(arguments), backendNote) != FALSE;
}

void processPostedEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void setControlText(CDialog& dialog, int id, const QString& text)
{
    QWidget* w = dialog.GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setCurrentIndex(combo->findText(text));
}

CClickEntry makeEntry(std::uint32_t x, std::uint32_t y, int clickType, int cursorBack, std::uint32_t delay,
                      std::uint16_t serial)
{
    CClickEntry e;
    e.m_x = x;
    e.m_y = y;
    e.m_clickType = clickType;
    e.m_cursorBack = cursorBack;
    e.m_delay = delay;
    e.m_serial = serial;
    return e;
}

} // namespace quorvel::test
