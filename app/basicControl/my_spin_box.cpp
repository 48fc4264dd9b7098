#include "basicControl/my_spin_box.h"

namespace {
const char kStyleTemplate[] =
    "QSpinBox {border: 1px solid %1;border-radius: 3px;padding: 1px 18px 1px 3px;color: rgb(192, 191, 191);"
    "font: normal normal 15px \"Microsoft YaHei\";background: transparent;}";
}

MySpinBox::MySpinBox(QWidget *parent) : QSpinBox(parent) { setStyleSheet(idleStyle()); }

QString MySpinBox::idleStyle() { return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("rgb(192,191,191)")); }

QString MySpinBox::focusedStyle() { return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("#87CEEB")); }

void MySpinBox::focusInEvent(QFocusEvent *event) {
    setStyleSheet(focusedStyle());
    QSpinBox::focusInEvent(event);
}

void MySpinBox::focusOutEvent(QFocusEvent *event) {
    setStyleSheet(idleStyle());
    QSpinBox::focusOutEvent(event);
}
