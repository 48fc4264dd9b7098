#include "basicControl/base_table_widget.h"

#include <QFont>
#include <QHeaderView>

BaseTableWidget::BaseTableWidget(QWidget *parent) : QTableWidget(parent) { setStyleSheet(tableStyle()); }

QString BaseTableWidget::tableStyle() {
    return QStringLiteral(
        "QTableWidget{background-color:#FFFAFA;border-top-left-radius:15px;border-top-right-radius:5px;}"
        "QTableWidget::item{color:#242424;background-color:#FFFAFA;text-align:center;}"
        "QTableWidget::item:hover{background-color:#87CEEB;}"
        "QTableWidget::item:selected{background-color:#87CEEB;}"
        "QHeaderView::section,QTableCornerButton::section{text-align:center;padding:3px;margin:0px;color:#242424;"
        "border-radius:3px;border:1px solid #8B8682;border-left-width:0.5px;border-right-width:0.5px;"
        "border-top-width:0.5px;border-bottom-width:0.5px;}"
        "QHeaderView::section:selected{border:1px solid white;}"
        "QScrollBar:vertical{width:8px;background:#FFFAFA;border:none;border-radius:4px;margin:0px;}"
        "QScrollBar:horizontal{height:8px;background:#FFFAFA;border:none;border-radius:4px;margin:0px;}"
        "QScrollBar::handle:vertical{background:rgba(190, 190, 190,0.50);border-radius:4px;min-height:91px;}"
        "QScrollBar::handle:horizontal{background:rgba(190, 190, 190,0.50);border-radius:4px;min-width:91px;}"
        "QScrollBar::handle:vertical:hover,QScrollBar::handle:vertical:pressed,"
        "QScrollBar::handle:horizontal:hover,QScrollBar::handle:horizontal:pressed"
        "{background:rgba(190, 190, 190,0.90);}"
        "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical,"
        "QScrollBar::add-page:horizontal,QScrollBar::sub-page:horizontal{background:#FFFAFA;}"
        "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical,"
        "QScrollBar::add-line:horizontal,QScrollBar::sub-line:horizontal{background:#FFFAFA;}");
}

void BaseTableWidget::initTable(int columnCount, QStringList labels) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setColumnCount(columnCount);
    setHorizontalHeaderLabels(labels);
    QHeaderView *header = horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setFixedHeight(23);
    QFont font = header->font();
    font.setPixelSize(12);
    header->setFont(font);
}
