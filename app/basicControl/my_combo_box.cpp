#include "basicControl/my_combo_box.h"

#include <QCompleter>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLineEdit>
#include <QListView>
#include <QtDebug>

namespace {
const char kStyleTemplate[] =
    "QComboBox {border: 1px solid %1;border-radius: 3px;padding: 1px 18px 1px 3px;color: rgb(118, 131, 143);"
    "font: normal normal 15px \"Microsoft YaHei\";background: transparent;}"
    "QComboBox QAbstractItemView {outline: 0px solid rgb(192, 191, 191);border: 1px solid rgb(192,191,191); "
    "background-color: white;selection-background-color: lightgreen; font-size: 15px;}"
    "QComboBox QAbstractItemView::item:hover {color: rgb(96, 98, 102);background-color: rgb(245, 247, 250);}"
    "QComboBox QAbstractItemView::item {height: 35px; color: rgb(96, 98, 102);}"
    "QComboBox QAbstractScrollArea QScrollBar:vertical {width: 20px}";

const char kExchangeResource[] = ":/resource/exchange.json";
}  // namespace

MyComboBox::MyComboBox(QWidget *parent) : QComboBox(parent) {
    setEditable(true);
    const QStringList names = readExchangeNames(QString::fromLatin1(kExchangeResource));
    for (const QString &name : names) addItem(name);
    clearEditText();
    setMaxVisibleItems(7);
    setCompleter(new QCompleter(model(), this));
    setView(new QListView(this));
}

QString MyComboBox::idleStyle() { return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("rgb(192,191,191)")); }

QString MyComboBox::focusedStyle() { return QString::fromLatin1(kStyleTemplate).arg(QStringLiteral("#87CEEB")); }

QStringList MyComboBox::readExchangeNames(const QString &path) {
    QStringList names;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "open exchange list failed:" << path;
        return names;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray()) {
        qWarning() << "exchange list is not a JSON array:" << path << error.errorString();
        return names;
    }
    const QJsonArray entries = doc.array();
    for (const QJsonValue &entry : entries) {
        const QJsonValue name = entry.toObject().value(QStringLiteral("name"));
        // A malformed entry is skipped rather than shown as an empty choice.
        if (name.isString()) names.append(name.toString());
    }
    return names;
}

void MyComboBox::slotChooseItem(QString contry) { setEditText(contry); }

void MyComboBox::focusInEvent(QFocusEvent *event) {
    setStyleSheet(focusedStyle());
    QComboBox::focusInEvent(event);
}

void MyComboBox::focusOutEvent(QFocusEvent *event) {
    QComboBox::focusOutEvent(event);
    setStyleSheet(idleStyle());
}
