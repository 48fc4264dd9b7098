#include "basicControl/my_time_edit.h"

namespace {
const char kStyleTemplate[] =
    "QTimeEdit {border: 1px solid %1;border-radius: 3px;padding: 1px 18px 1px 3px;color: rgb(192, 191, 191);"
    "font: normal normal 15px \"Microsoft YaHei\";background: transparent;}";
}

MyTimeEdit::MyTimeEdit(QWidget *parent) : QTimeEdit(parent) { setStyleSheet(idleStyle()); }

QString MyTimeEdit::idleStyle() { return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("rgb(192,191,191)")); }

QString MyTimeEdit::focusedStyle() { return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("#87CEEB")); }

void MyTimeEdit::focusInEvent(QFocusEvent *event) {
    setStyleSheet(focusedStyle());
    QTimeEdit::focusInEvent(event);
}

void MyTimeEdit::focusOutEvent(QFocusEvent *event) {
    setStyleSheet(idleStyle());
    QTimeEdit::focusOutEvent(event);
}
