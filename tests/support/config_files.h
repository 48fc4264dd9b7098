// The client's configuration files written beside the test executable, and the repository's
// shipped copies read back for suites built with QETO_SOURCE_DIR.
#ifndef CONFIG_FILES_H
#define CONFIG_FILES_H

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cfgtest {

inline QString configPath(const QString &name) { return QCoreApplication::applicationDirPath() + "/config/" + name; }

// Writes bytes at path, making its folder first.
inline bool writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// QSettings caches an INI file by size and modification time: two rewrites of equal size
// within one clock tick would read back the old values. A fresh, distinct time stamp per
// write keeps each test's settings its own.
inline bool writeBesideApp(const QString &suffix, const QByteArray &bytes) {
    static qint64 tick = 0;
    const QString path = QCoreApplication::applicationDirPath() + suffix;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush())
        return false;
    f.setFileTime(QDateTime::currentDateTime().addSecs(++tick), QFileDevice::FileModificationTime);
    return true;
}

inline bool writeConfig(const QString &name, const QByteArray &bytes) {
    return writeBesideApp("/config/" + name, bytes);
}

#ifdef QETO_SOURCE_DIR
inline QByteArray repoFile(const QString &name) {
    QFile f(QStringLiteral(QETO_SOURCE_DIR "/config/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The repository's parameter file with its `key=` line replaced by `line`, or dropped without one.
inline QByteArray apiConfigWith(const QByteArray &key, const QByteArray &line = QByteArray()) {
    QByteArray out;
    for (const QByteArray &l : repoFile("api_config.txt").split('\n')) {
        if (!l.startsWith(key + "="))
            out += l + '\n';
        else if (!line.isEmpty())
            out += line + '\n';
    }
    return out;
}

inline QByteArray apiConfigFor(quint16 counterPort) {
    return apiConfigWith("URL", "URL=tcp://127.0.0.1:" + QByteArray::number(counterPort) + ";");
}
#endif

}  // namespace cfgtest

#endif  // CONFIG_FILES_H
