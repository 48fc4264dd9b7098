#include "basicControl/my_push_button.h"

namespace {
const char kBlue[] = "#87CEEB";
const char kBlueHover[] = "#87CEFA";
const char kGreen[] = "#00CD66";
const char kGreenHover[] = "#008B45";
const char kRed[] = "#EE0000";
const char kRedHover[] = "#CD0000";
}  // namespace

MyPushButton::MyPushButton(QWidget *parent) : QPushButton(parent) { setStyleSheet(buttonStyle(kBlue, kBlueHover, 15)); }

MyPushButton::MyPushButton(const QString &text, QWidget *parent) : QPushButton(text, parent) {
    setStyleSheet(buttonStyle(kBlue, kBlueHover, 15));
}

QString MyPushButton::buttonStyle(const QString &colour, const QString &hover, int fontPx) {
    return QStringLiteral(
               "QPushButton{border-radius: 5px;padding-left: 10px;padding-right: 10px;color: %1;background: %1;"
               "font-family:'Microsoft YaHei';font:bold %3px;color:#FFFFFF;}"
               "QPushButton:hover {background: %2;}"
               "QPushButton:pressed {border: 1px solid rgb(242,203,133);background: %2;}"
               "QPushButton:disabled {background: #C0C0C0}")
        .arg(colour, hover, QString::number(fontPx));
}

void MyPushButton::setBlueBigStyle() { setStyleSheet(buttonStyle(kBlue, kBlueHover, 17)); }

void MyPushButton::setGreenStyle() { setStyleSheet(buttonStyle(kGreen, kGreenHover, 15)); }

void MyPushButton::setRedStyle() { setStyleSheet(buttonStyle(kRed, kRedHover, 15)); }

void MyPushButton::setRedBigStyle() { setStyleSheet(buttonStyle(kRed, kRedHover, 17)); }
