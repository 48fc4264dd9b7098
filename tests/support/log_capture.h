// Collects the client's log lines while a test runs, from any thread.
#ifndef QETO_TEST_LOG_CAPTURE_H
#define QETO_TEST_LOG_CAPTURE_H

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class LogCapture {
public:
    struct Line {
        QtMsgType type;
        QString text;
    };
    // forward: lines other than info still reach the previous handler (so failures stay readable
    // while thousands of per-record info lines do not flood the output).
    explicit LogCapture(bool forward = false);
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QList<Line> lines() const;
    QStringList texts(QtMsgType type) const;
    QStringList warnings() const { return texts(QtWarningMsg); }
    QStringList infos() const { return texts(QtInfoMsg); }
    void clear();
};

#endif  // QETO_TEST_LOG_CAPTURE_H
