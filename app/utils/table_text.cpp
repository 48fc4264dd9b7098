#include "utils/table_text.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QSet>
#include <QTableWidget>
#include <algorithm>

namespace {

QString fieldText(QString text) {
    for (QChar &c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) c = QLatin1Char(' ');
    return text;
}

}  // namespace

QString TableText::selectedRows(const QTableWidget *table, const QStringList &skippedTitles) {
    QSet<int> rowSet;
    for (const QModelIndex &index : table->selectionModel()->selectedIndexes()) rowSet.insert(index.row());
    if (rowSet.isEmpty()) return QString();
    QList<int> rows = rowSet.values();
    std::sort(rows.begin(), rows.end());

    QList<int> columns;
    QStringList titles;
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem *header = table->horizontalHeaderItem(column);
        const QString title = header ? header->text() : QString();
        if (skippedTitles.contains(title)) continue;
        columns.append(column);
        titles.append(fieldText(title));
    }

    QString text = titles.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const int row : rows) {
        for (int i = 0; i < columns.size(); ++i) {
            if (i > 0) text += QLatin1Char('\t');
            if (const QTableWidgetItem *item = table->item(row, columns.at(i))) text += fieldText(item->text());
        }
        text += QLatin1Char('\n');
    }
    return text;
}

void TableText::copySelectedRows(const QTableWidget *table, const QStringList &skippedTitles) {
    const QString text = selectedRows(table, skippedTitles);
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}
