// An exported CSV file read back: it opens with a UTF-8 byte-order mark and is written in text mode.
#ifndef EXPORTED_CSV_H
#define EXPORTED_CSV_H

#include <QFile>

#include "local_text.h"

// The file's lines after the mark; false when it cannot be read or carries no mark.
inline bool readExport(const QString &path, QList<QByteArray> &lines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray content = file.readAll();
    if (!content.startsWith("\xEF\xBB\xBF")) return false;
    lines = textLines(content.mid(3));
    return true;
}

#endif  // EXPORTED_CSV_H
