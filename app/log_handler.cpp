#include "log_handler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QTextStream>

#include "constants.h"

namespace {

// Created on first use and never destroyed, so messages logged during static destruction
// still find a live lock.
QMutex &logMutex() {
    static QMutex *mutex = new QMutex;
    return *mutex;
}

LogSettings &settingsLocked() {
    static LogSettings *settings = new LogSettings;
    return *settings;
}

QString levelWord(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return QStringLiteral("DEBUG     ");
        case QtWarningMsg:
            return QStringLiteral("WARNING  ");
        case QtInfoMsg:
            return QStringLiteral("INFO     ");
        case QtCriticalMsg:
        case QtFatalMsg:
            break;
    }
    return QString();
}

QString sourcePosition(const char *file, int line) {
    QString name;
    if (file) {
        name = QString::fromLocal8Bit(file);
        // Only a backslash separates: the context paths of the original build were Windows paths.
        name = name.mid(name.lastIndexOf(QLatin1Char('\\')) + 1);
    } else {
        line = 0;
    }
    // Joined by hand rather than with arg(): a '%' in a path must not be taken as a placeholder.
    return (name + QLatin1Char(':') + QString::number(line)).rightJustified(37, QLatin1Char(' '));
}

}  // namespace

void setLogSettings(const LogSettings &settings) {
    QMutexLocker lock(&logMutex());
    settingsLocked() = settings;
}

static QString logDirectoryLocked() {
    const QString &dir = settingsLocked().directory;
    return dir.isEmpty() ? QDir::currentPath() + QStringLiteral("/log") : dir;
}

QString logDirectory() {
    QMutexLocker lock(&logMutex());
    return logDirectoryLocked();
}

QString logFileName(const QString &directory, const QDateTime &when) {
    return QStringLiteral("%0/%1-%2.log").arg(directory, kAppName, when.toString(QStringLiteral("yyyyMMdd")));
}

QString formatLogLine(QtMsgType type, const char *file, int line, const QString &msg, const QDateTime &when,
                      qint64 pid) {
    static const QString sep(QLatin1Char(' '));
    static const QString gap(QStringLiteral("   "));
    // Concatenated, not substituted: text of one field must never be read as a placeholder of the next.
    return when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + gap + sep + levelWord(type) + sep +
           sourcePosition(file, line) + gap + sep + QStringLiteral("%1").arg(pid, 8, 10, QLatin1Char('0')) + gap + sep +
           msg;
}

void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg) {
    // A message raised while this thread is already writing one (a Qt warning from the file or
    // clock code) would wait forever on the lock it holds; such a message is dropped instead.
    static thread_local bool writing = false;
    if (writing) return;
    writing = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{writing};

    QMutexLocker lock(&logMutex());

    const LogSettings &settings = settingsLocked();
    // One reading of the clock for both the time field and the file name, so a line stamped
    // 23:59:59 never lands in the next day's file.
    const QDateTime now = settings.clock ? settings.clock() : QDateTime::currentDateTime();
    const QString line = formatLogLine(type, context.file, context.line, msg, now, QCoreApplication::applicationPid());

    const QString dir = logDirectoryLocked();
    QDir().mkdir(dir);

    // Opened, appended and closed per line: a line is on disk when the call returns, even if the
    // process dies right after. Failures are ignored on purpose; logging must never stop the program.
    QFile file(logFileName(dir, now));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    QTextStream stream(&file);
    stream << line << "\r\n";
    stream.flush();
    file.close();
}
