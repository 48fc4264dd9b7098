#include "basicControl/my_line_edit.h"

#include <QRegExp>
#include <QRegExpValidator>

namespace {
const char kStyleTemplate[] =
    "QLineEdit {border: 1px solid %1;border-radius: 3px;padding: 1px 18px 1px 3px;color: rgb(192, 191, 191);"
    "font: normal normal 15px \"Microsoft YaHei\";background: transparent;}";
}

MyLineEdit::MyLineEdit(QWidget *parent) : QLineEdit(parent) {
    setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9]+$"), Qt::CaseSensitive), this));
    setFixedHeight(25);
    applyStyle(idleStyle());
}

MyLineEdit::MyLineEdit(const QString &placeholder, QWidget *parent) : QLineEdit(parent) {
    setFixedHeight(25);
    setPlaceholderText(placeholder);
    applyStyle(idleStyle());
}

QString MyLineEdit::idleStyle() { return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("rgb(192,191,191)")); }

QString MyLineEdit::focusedStyle() { return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("#87CEEB")); }

void MyLineEdit::applyStyle(const QString &style) {
    mStyleSheet = style;
    setStyleSheet(mStyleSheet);
}

void MyLineEdit::focusInEvent(QFocusEvent *event) {
    applyStyle(focusedStyle());
    QLineEdit::focusInEvent(event);
}

void MyLineEdit::focusOutEvent(QFocusEvent *event) {
    applyStyle(idleStyle());
    QLineEdit::focusOutEvent(event);
}
