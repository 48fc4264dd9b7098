#include "basicControl/my_double_spin_box.h"

namespace {
const char kStyleTemplate[] =
    "QDoubleSpinBox {border: 1px solid %1;border-radius: 3px;padding: 1px 18px 1px 3px;color: rgb(192, 191, 191);"
    "font: normal normal 15px \"Microsoft YaHei\";background: transparent;}";
}

MyDoubleSpinBox::MyDoubleSpinBox(QWidget *parent) : QDoubleSpinBox(parent) {
    setStyleSheet(idleStyle());
    setDecimals(3);
}

QString MyDoubleSpinBox::idleStyle() {
    return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("rgb(192,191,191)"));
}

QString MyDoubleSpinBox::focusedStyle() { return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("#87CEEB")); }

void MyDoubleSpinBox::focusInEvent(QFocusEvent *event) {
    setStyleSheet(focusedStyle());
    QDoubleSpinBox::focusInEvent(event);
}

void MyDoubleSpinBox::focusOutEvent(QFocusEvent *event) {
    setStyleSheet(idleStyle());
    QDoubleSpinBox::focusOutEvent(event);
}
