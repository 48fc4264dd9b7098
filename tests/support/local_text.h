// Texts as this platform hands them to the client: counter messages arrive in the local 8-bit
// encoding (GBK on a Chinese Windows, UTF-8 on Linux), and files written in text mode end
// their lines with CR LF on Windows.
#ifndef QETO_TEST_LOCAL_TEXT_H
#define QETO_TEST_LOCAL_TEXT_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTextCodec>

inline QByteArray localBytes(const QString &text) { return QTextCodec::codecForLocale()->fromUnicode(text); }

#ifdef Q_OS_WIN
constexpr char kTextEol[] = "\r\n";
#else
constexpr char kTextEol[] = "\n";
#endif

// A text-mode file's lines split at this platform's line end, with the empty piece after the last
// one, as QByteArray::split gives them; a bare LF on Windows stays inside its line.
inline QList<QByteArray> textLines(const QByteArray &bytes) {
    QList<QByteArray> lines;
    const int eol = int(sizeof kTextEol) - 1;
    int from = 0;
    for (int at; (at = bytes.indexOf(kTextEol, from)) >= 0; from = at + eol) lines << bytes.mid(from, at - from);
    lines << bytes.mid(from);
    return lines;
}

#endif  // QETO_TEST_LOCAL_TEXT_H
