// Table with the house look, the base of every query and quote table.
#ifndef QETO_BASE_TABLE_WIDGET_H
#define QETO_BASE_TABLE_WIDGET_H

#include <QString>
#include <QStringList>
#include <QTableWidget>

class BaseTableWidget : public QTableWidget {
public:
    explicit BaseTableWidget(QWidget *parent = nullptr);

    // Read-only table with these column titles and the compact header.
    void initTable(int columnCount, QStringList labels);

    static QString tableStyle();
};

#endif  // QETO_BASE_TABLE_WIDGET_H
