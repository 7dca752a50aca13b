// A message box opened by a busy handler shows the normal pointer; the wait
// cursor comes back when it closes, and goes when the handler is done. A box
// given a time limit closes by itself with its default answer. Esc answers
// Cancel, or the only button, and nothing else.
#include "framework/CWinApp.h"
#include "framework/MessageBox.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <QtTest>

class ModalCursorTest : public QObject {
    Q_OBJECT
private slots:
    void arrowOverAModalBoxOfABusyHandler();
    void boxWithATimeLimitClosesByItself();
    void escAnswersCancelOrTheOnlyButton();
};

void ModalCursorTest::arrowOverAModalBoxOfABusyHandler()
{
    CWinApp app(QStringLiteral("Quorvel"));
    app.BeginWaitCursor();
    Qt::CursorShape duringBox = Qt::BlankCursor;
    QTimer::singleShot(0, [&duringBox] {
        if (const QCursor* cursor = QApplication::overrideCursor())
            duringBox = cursor->shape();
        if (QWidget* box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(ShowMessageBox(nullptr, QStringLiteral("Busy"), QString(), MB_OK), int(IDOK));
    QCOMPARE(duringBox, Qt::ArrowCursor);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    app.EndWaitCursor();
    QVERIFY(!QApplication::overrideCursor());
}

void ModalCursorTest::boxWithATimeLimitClosesByItself()
{
    // Should the limit not work, No is pressed a while later instead.
    QTimer::singleShot(5000, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_N);
    });
    QCOMPARE(ShowMessageBox(nullptr, QStringLiteral("Nobody answers"), QString(), MB_YESNO, 100), int(IDYES));
}

void ModalCursorTest::escAnswersCancelOrTheOnlyButton()
{
    for (const UINT type : {MB_YESNOCANCEL, MB_OKCANCEL, MB_OK}) {
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Escape);
        });
        // (A box that ignored Esc would close by itself with Yes or OK.)
        QCOMPARE(ShowMessageBox(nullptr, QStringLiteral("Esc"), QString(), type, 2000),
                 type == MB_OK ? int(IDOK) : int(IDCANCEL));
    }
}

QUORVEL_TEST_MAIN(ModalCursorTest)
#include "tst_modalcursor.moc"
