// The process-wide Qt message handler: one line per message, appended to the day's log file.
#ifndef QETO_LOG_HANDLER_H
#define QETO_LOG_HANDLER_H

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <functional>

// Where and when the handler thinks it is. Empty members mean the production values:
// QDateTime::currentDateTime() and QDir::currentPath() + "/log".
struct LogSettings {
    std::function<QDateTime()> clock;
    QString directory;
};

// Replaces the settings under the handler's own lock; meant for tests.
void setLogSettings(const LogSettings &settings);

// The directory the next message goes to.
QString logDirectory();

// "<dir>/Qeto-Desk-yyyyMMdd.log" for the date of `when`.
QString logFileName(const QString &directory, const QDateTime &when);

// One log line without its line end.
QString formatLogLine(QtMsgType type, const char *file, int line, const QString &msg, const QDateTime &when,
                      qint64 pid);

void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg);

#endif  // QETO_LOG_HANDLER_H
