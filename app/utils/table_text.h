// The selected rows of a table as tab-separated text, the way spreadsheets take a paste.
#ifndef QETO_TABLE_TEXT_H
#define QETO_TABLE_TEXT_H

#include <QString>
#include <QStringList>

class QTableWidget;

namespace TableText {

// First line the column titles, then one line per row with a selected cell, in row order;
// fields separated by tabs, lines ended by a line feed. Columns whose title is in
// skippedTitles are left out; tabs and line breaks inside a cell become spaces. Empty when
// no row is selected.
QString selectedRows(const QTableWidget *table, const QStringList &skippedTitles);

// selectedRows(table, skippedTitles) onto the clipboard; nothing when no row is selected.
void copySelectedRows(const QTableWidget *table, const QStringList &skippedTitles);

}  // namespace TableText

#endif  // QETO_TABLE_TEXT_H
