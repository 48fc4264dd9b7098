#include "version.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "constants.h"

QString readVersionFile(const QString &path) {
    // Only a regular file: opening a named pipe would wait for a writer and hold start-up.
    if (!QFileInfo(path).isFile()) return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
    // readLine() drops "\n" and "\r\n" alike and keeps everything else, spaces included.
    // With a limit it reads the file in small chunks and stops there, so a huge file costs
    // neither memory nor a window title the display server refuses.
    QTextStream stream(&file);
    const QString version = stream.readLine(kMaxVersionLength);
    file.close();
    return version.isNull() ? QString() : version;
}

QString getVersion() {
    const QString version = readVersionFile(QCoreApplication::applicationDirPath() + kVersionFile);
    qInfo().noquote() << QStringLiteral("version : ") + version;
    return version;
}

QString windowTitleFor(const QString &version) {
    return version.isEmpty() ? kDefaultTitle : QStringLiteral("%0 %1").arg(kAppName, version);
}
