#include "utils/read_api_config.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstring>

#include "constants.h"

namespace {

const char kBuiltInConfig[] = ":/build/Qeto-Desk/config/api_config.txt";

// A line's bytes up to the first NUL, as UTF-8.
QString decodeLine(const QByteArray &line) {
    const char *p = line.constData();
    const void *nul = std::memchr(p, '\0', static_cast<size_t>(line.size()));
    const int n = nul ? static_cast<int>(static_cast<const char *>(nul) - p) : line.size();
    return QString::fromUtf8(p, n);
}

// The first kMaxFileBytes of a file. A parameter file is a few lines: a huge one costs no more
// than this. Only a regular file is opened: a named pipe would wait for a writer.
bool readHead(const QString &path, QByteArray &head) {
    QFile file(path);
    if (!QFileInfo(path).isFile()) return false;
    if (!file.open(QIODevice::ReadOnly)) return false;
    head = file.read(ReadApiConfig::kMaxFileBytes);
    return true;
}

}  // namespace

ReadApiConfig::ReadApiConfig() : mConfigExist(QFileInfo(configPath()).isFile()) {}

ReadApiConfig *ReadApiConfig::instance() {
    static ReadApiConfig *self = new ReadApiConfig();  // lives until the process ends
    return self;
}

QString ReadApiConfig::configPath() { return QCoreApplication::applicationDirPath() + kApiConfigFile; }

bool ReadApiConfig::isConfigExist() const { return mConfigExist; }

QSet<QString> ReadApiConfig::readKeys(const QString &path) {
    QByteArray head;
    if (!readHead(path, head)) return QSet<QString>();
    QBuffer buffer(&head);
    buffer.open(QIODevice::ReadOnly);
    return readKeys(buffer);
}

QSet<QString> ReadApiConfig::readKeys(QIODevice &device) {
    QSet<QString> keys;
    while (!device.atEnd()) {
        const QByteArray raw = device.readLine();
        if (raw.isEmpty()) break;  // read error: nothing more to get from this file
        const QString line = decodeLine(raw);
        if (line.contains(QLatin1Char('#'))) continue;
        const QString simple = line.simplified();
        if (simple.isEmpty()) continue;
        // Spaces around "=" stay part of the key, so 'URL =' does not count as URL.
        keys.insert(simple.split(QLatin1Char('='), Qt::KeepEmptyParts, Qt::CaseSensitive).first());
    }
    return keys;
}

QPair<bool, QString> ReadApiConfig::checkConfigItems() {
    mRequiredKeys.clear();
    mPresentKeys.clear();
    mRequiredKeys = readKeys(QString::fromLatin1(kBuiltInConfig));
    mPresentKeys = readKeys(configPath());
    mRequiredKeys.subtract(mPresentKeys);
    if (mRequiredKeys.isEmpty()) return qMakePair(true, QString());
    return qMakePair(false, *mRequiredKeys.constBegin());
}

QString ReadApiConfig::getBusinessCode() {
    if (!mConfigExist) return mBusinessCode;
    QByteArray head;
    if (!readHead(configPath(), head)) return mBusinessCode;
    QBuffer buffer(&head);
    buffer.open(QIODevice::ReadOnly);
    mBusinessCode = businessCodeIn(buffer, mBusinessCode);
    return mBusinessCode;
}

QString ReadApiConfig::businessCodeIn(QIODevice &device, const QString &current) {
    QString code = current;
    while (!device.atEnd()) {
        const QByteArray raw = device.readLine();
        if (raw.isEmpty()) break;
        const QString line = decodeLine(raw);
        if (!line.contains(QStringLiteral("BusinessCode=")) || line.contains(QLatin1Char('#'))) continue;
        const QStringList parts = line.simplified().split(QLatin1Char('='), Qt::KeepEmptyParts, Qt::CaseSensitive);
        // simplified() may turn 'BusinessCode=\t' into 'BusinessCode=' but never drops the "=".
        if (parts.size() >= 2) code = parts.at(1);
    }
    return code;
}
