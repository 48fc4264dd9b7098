// What a user's mouse and keys do to a shown table, as the window system delivers them.
#ifndef QETO_TEST_TABLE_GESTURES_H
#define QETO_TEST_TABLE_GESTURES_H

#include <QApplication>
#include <QTableWidget>
#include <QtTest>

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

}  // namespace qeto::test

#endif  // QETO_TEST_TABLE_GESTURES_H
