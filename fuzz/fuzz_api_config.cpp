// Feeds arbitrary bytes as the gateway parameter file to the key check and the business-code
// reader, the way they read the file on disk: line by line through a QIODevice.
#include <QBuffer>
#include <QByteArray>
#include <QSet>
#include <QString>
#include <cstdint>

#include "fuzz_check.h"
#include "utils/read_api_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    QBuffer buffer(&bytes);
    check(buffer.open(QIODevice::ReadOnly));
    const QSet<QString> keys = ReadApiConfig::readKeys(buffer);
    for (const QString &key : keys) {
        // A key is what stands before the first "=" of a simplified, comment-free line.
        check(!key.contains(QLatin1Char('=')) && !key.contains(QLatin1Char('#')));
        check(!key.contains(QChar(0)) && !key.contains(QLatin1Char('\n')));
        check(key.isEmpty() || !key.at(0).isSpace());
    }

    check(buffer.seek(0));
    const QString seed = QStringLiteral("SEED");
    const QString code = ReadApiConfig::businessCodeIn(buffer, seed);
    check(code == seed || (!code.contains(QLatin1Char('=')) && !code.contains(QLatin1Char('#'))));
    check(code == seed || bytes.contains("BusinessCode="));
    return 0;
}
