// The error catalogue: turns a counter's error id and text into the text shown to the user.
#ifndef QETO_ERROR_MSG_H
#define QETO_ERROR_MSG_H

#include <QMap>
#include <QObject>
#include <QString>

#include "qeto_gate_api.h"

class ErrorMsg : public QObject {
    Q_OBJECT
public:
    // Largest catalogue file read; a larger one is refused like a malformed one. Parsing costs
    // several times the file's size in memory.
    static constexpr qint64 kMaxFileBytes = 16 << 20;

    static ErrorMsg *instance();

    // Reloads the exchange table (chosen by the current exchange code) and the manager table.
    // 0 on success, -1 when the file is missing, larger than kMaxFileBytes, malformed or
    // wrongly shaped.
    int readErrorJson();
    // The parsing step of readErrorJson() on the file's bytes, for exchange code `market`.
    int loadCatalog(const QByteArray &content, char market);
    // The counter's own text when it is Chinese; else the catalogue's; else the counter's.
    QString getErrorMsg(const CQetoRspInfo &info);
    // "[id]text" for a refused answer: the error id and getErrorMsg's text, filled in one
    // step so a "%1" inside the text is shown as it is.
    QString getErrorText(const CQetoRspInfo &info);
    // Exchange table first, then manager table; empty when neither knows the id.
    QString getErrorMsgById(int errorId);
    // Manager table first, then exchange table; empty when neither knows the id.
    QString getManagerErrorMsgById(int errorId);

private:
    ErrorMsg();
    Q_DISABLE_COPY(ErrorMsg)

    QMap<int, QString> mExchangeMsgs;
    QMap<int, QString> mManagerMsgs;
};

#endif  // QETO_ERROR_MSG_H
