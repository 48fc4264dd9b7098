#include "basicControl/my_click_label.h"

#include <QtDebug>

#include "basicControl/my_label.h"

MyClickLabel::MyClickLabel(QWidget *parent) : QLabel(parent) {}

MyClickLabel::MyClickLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {
    setStyleSheet(restingStyle());
}

// The selector names MyLabel, so at rest this label draws no frame.
QString MyClickLabel::restingStyle() { return MyLabel::defaultStyle(); }

QString MyClickLabel::hoverStyle() { return QStringLiteral("border:1px solid;border-color:#CD2626;"); }

QString MyClickLabel::pressedStyle() { return QStringLiteral("border:1px solid;border-color:#87CEFA;"); }

void MyClickLabel::mousePressEvent(QMouseEvent *event) {
    Q_UNUSED(event)
    setStyleSheet(pressedStyle());
    const QString price = text();
    qInfo().noquote() << QStringLiteral("price is : ") + price;
    if (!price.isEmpty()) emit signal_sendPrice(price);
}

void MyClickLabel::mouseReleaseEvent(QMouseEvent *event) {
    Q_UNUSED(event)
    setStyleSheet(hoverStyle());
}

void MyClickLabel::enterEvent(QEvent *event) {
    Q_UNUSED(event)
    setStyleSheet(hoverStyle());
}

void MyClickLabel::leaveEvent(QEvent *event) {
    Q_UNUSED(event)
    setStyleSheet(restingStyle());
}
