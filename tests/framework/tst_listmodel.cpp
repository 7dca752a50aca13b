// The list model under a real view: rows appended by a handler reach the
// view once, later, and every other change keeps the model, the view and
// Qt's own model checker in agreement.
#include "framework/CListCtrl.h"
#include "framework/ListView.h"
#include "support/TestEnvironment.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

class ListModelTest : public QObject {
    Q_OBJECT
private slots:
    void appendsAreAnnouncedOnceAfterTheHandler();
    void randomEditsKeepModelAndViewInStep();
    void followingShowsOncePerFrameAndKeepsOrder();
};

void ListModelTest::appendsAreAnnouncedOnceAfterTheHandler()
{
    ListView view;
    view.show();
    CListCtrl list;
    list.Attach(&view);
    list.InsertColumn(0, QStringLiteral("A"), 0, 40);
    list.InsertColumn(1, QStringLiteral("B"), 0, 40);
    QSignalSpy inserted(view.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(view.model(), &QAbstractItemModel::dataChanged);
    for (int i = 0; i < 50; ++i) {
        QCOMPARE(list.InsertItem(i + 1, QString::number(i)), i); // past the end appends
        list.SetItemText(i, 1, QStringLiteral("b"));
    }
    QCOMPARE(list.GetItemCount(), 50); // the control knows every row at once
    QCOMPARE(list.GetItemText(49, 1), QStringLiteral("b"));
    QCOMPARE(inserted.count(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(view.model()->rowCount(), 50);
    QCOMPARE(changed.count(), 0); // the new rows came with their cells

    // Selecting a row that was just appended announces it first.
    QCOMPARE(list.InsertItem(50, QStringLiteral("new")), 50);
    QVERIFY(list.SetItemState(50, LVIS_SELECTED, LVIS_SELECTED));
    QCOMPARE(list.GetNextItem(-1, LVNI_SELECTED), 50);
    QCOMPARE(view.model()->rowCount(), 51);
}

void ListModelTest::randomEditsKeepModelAndViewInStep()
{
    ListView view;
    view.resize(300, 200);
    view.show();
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    CListCtrl list;
    list.Attach(&view);
    list.InsertColumn(0, QStringLiteral("A"), 0, 40);
    list.InsertColumn(1, QStringLiteral("B"), 0, 40);
    QStringList reference;
    QRandomGenerator random(77);
    for (int step = 0; step < 3000; ++step) {
        const int rows = list.GetItemCount();
        const int op = static_cast<int>(random.bounded(12));
        if (op < 5 || rows == 0) {
            const int at = op < 3 ? rows : static_cast<int>(random.bounded(rows + 1));
            const QString text = QString::number(step);
            QCOMPARE(list.InsertItem(at, text), at);
            reference.insert(at, text);
        } else if (op < 8) {
            const int at = static_cast<int>(random.bounded(rows));
            QVERIFY(list.DeleteItem(at));
            reference.removeAt(at);
        } else if (op == 8 && random.bounded(20) == 0) {
            list.DeleteAllItems();
            reference.clear();
        } else if (op == 9) {
            list.SetItemState(static_cast<int>(random.bounded(rows)), LVIS_SELECTED, LVIS_SELECTED);
        } else {
            const int at = static_cast<int>(random.bounded(rows));
            const QString text = QStringLiteral("t%1").arg(step);
            QVERIFY(list.SetItemText(at, 0, text));
            reference[at] = text;
        }
        if (random.bounded(4) == 0)
            QCoreApplication::processEvents();
        QCOMPARE(list.GetItemCount(), static_cast<int>(reference.size()));
        const int shown = view.model()->rowCount();
        QVERIFY(shown <= list.GetItemCount());
        QCOMPARE(view.verticalHeader()->count(), shown);
    }
    QCoreApplication::processEvents();
    QCOMPARE(view.model()->rowCount(), static_cast<int>(reference.size()));
    for (int r = 0; r < reference.size(); ++r) {
        QCOMPARE(list.GetItemText(r, 0), reference[r]);
        QCOMPARE(view.model()->index(r, 0).data().toString(), reference[r]);
    }
}

// Playback moves the highlight at every click; the view is told at most once
// a frame, and what it is told is what an immediate selection would give.
void ListModelTest::followingShowsOncePerFrameAndKeepsOrder()
{
    ListView view;
    view.resize(200, 120);
    view.show();
    CListCtrl list;
    list.Attach(&view);
    list.InsertColumn(0, QStringLiteral("A"), 0, 40);
    for (int i = 0; i < 100; ++i)
        list.InsertItem(i, QString::number(i));
    QCoreApplication::processEvents();
    QSignalSpy selected(view.selectionModel(), &QItemSelectionModel::selectionChanged);
    for (int i = 0; i < 60; ++i)
        QVERIFY(list.FollowItem(i));
    QVERIFY2(selected.count() < 10, qPrintable(QString::number(selected.count())));
    QCOMPARE(list.GetNextItem(-1, LVNI_SELECTED), 59); // a reader sees the last one at once
    const QModelIndex last = view.model()->index(59, 0);
    QTRY_VERIFY(view.viewport()->rect().contains(view.visualRect(last))); // and it is scrolled to

    // A move still held back when a row above it goes is applied first.
    list.FollowItem(5);
    list.FollowItem(10);
    QVERIFY(list.DeleteItem(0));
    QCOMPARE(list.GetNextItem(-1, LVNI_SELECTED), 9);
    // A list emptied drops it; rows that come later are not selected.
    list.FollowItem(20);
    list.FollowItem(30);
    list.DeleteAllItems();
    for (int i = 0; i < 40; ++i)
        list.InsertItem(i, QString::number(i));
    QTest::qWait(50);
    QCOMPARE(list.GetNextItem(-1, LVNI_SELECTED), -1);
    QVERIFY(!list.FollowItem(40)); // no such row
}

QUORVEL_TEST_MAIN(ListModelTest)
#include "tst_listmodel.moc"
