#include "basicControl/my_label.h"

MyLabel::MyLabel(QWidget *parent) : QLabel(parent) { setStyleSheet(defaultStyle()); }

MyLabel::MyLabel(const QString &text, QWidget *parent) : QLabel(text, parent) { setStyleSheet(defaultStyle()); }

QString MyLabel::defaultStyle() {
    return QStringLiteral("MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 13px;color:#000000;}");
}

QString MyLabel::redStyle() {
    return QStringLiteral("MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 16px;color:#CD2626;}");
}

void MyLabel::setRedStyle() { setStyleSheet(redStyle()); }

void MyLabel::mousePressEvent(QMouseEvent *event) {
    emit signalClicked();
    QLabel::mousePressEvent(event);
}
