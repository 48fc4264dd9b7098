// What a user's mouse and keys do to a shown table, as the window system delivers them.
#ifndef QETO_TEST_TABLE_GESTURES_H
#define QETO_TEST_TABLE_GESTURES_H

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include "utils/signal_interface.h"

namespace qeto::test {

// Press, release, then the double click and its release, on the cell's centre.
inline void doubleClickCell(QTableWidget *grid, int row, int column) {
    grid->scrollToItem(grid->item(row, column));
    const QPoint centre = grid->visualItemRect(grid->item(row, column)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

// Selects whole rows, focuses the table and presses Ctrl+C.
inline void copyRows(QTableWidget *grid, const QList<int> &rows) {
    grid->clearSelection();
    for (int row : rows)
        grid->selectionModel()->select(grid->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(grid));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
}

// The text a spreadsheet takes: the titles, then one line per row, cells between tabs.
inline QString tabText(const QStringList &titles, const QList<QStringList> &rows) {
    QString text = titles.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const QStringList &row : rows) text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

// "double-click" on rows.first() at column, or "copy" of rows, on a shown table; then
// signal_clicketOrder went out once with `ordered` (not at all when it is empty) and the
// clipboard holds `copied` (what it held before when that is empty).
inline void checkRowGesture(QTableWidget *grid, const QString &action, const QList<int> &rows, int column,
                            const QString &ordered, const QString &copied) {
    QApplication::clipboard()->setText(QStringLiteral("before"));
    QSignalSpy orders(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    if (action == QLatin1String("double-click"))
        doubleClickCell(grid, rows.first(), column);
    else
        copyRows(grid, rows);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(orders.size(), ordered.isEmpty() ? 0 : 1);
    if (!ordered.isEmpty()) QCOMPARE(orders.first().first().toString(), ordered);
    QCOMPARE(QApplication::clipboard()->text(), copied.isEmpty() ? QStringLiteral("before") : copied);
}

}  // namespace qeto::test

#endif  // QETO_TEST_TABLE_GESTURES_H
