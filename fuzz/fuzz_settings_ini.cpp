// Feeds arbitrary bytes as the settings file qeto_desk_config.ini and reads every key the way
// the login screen and the market-data client do (QSettings, IniFormat, settingsValue).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdint>

#include "fuzz_check.h"
#include "utils/settings_value.h"

// The client runs on the system allocator, which answers an impossible request with null (and
// Qt then throws std::bad_alloc); the sanitizer must do the same instead of stopping.
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static QTemporaryDir dir;
    static quint64 serial = 0;
    // A new name each time: QSettings caches a file by name, size and modification time.
    const QString path = dir.filePath(QString::number(++serial) + QStringLiteral(".ini"));
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly));
        check(file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) == qint64(size));
    }
    {
        QSettings settings(path, QSettings::IniFormat);
        const QString operway = settingsValue(settings, QStringLiteral("/TRADE/operway")).toString();
        const ushort first = operway.isEmpty() ? 0 : operway.at(0).unicode();
        const char way = first > 0xFF ? 0 : static_cast<char>(first);
        check(first > 0xFF ? way == 0 : static_cast<unsigned char>(way) == first);
        (void)settingsValue(settings, QStringLiteral("/TRADE/branchid")).toString();
        (void)settingsValue(settings, QStringLiteral("/TRADE/appid")).toString();
        (void)settingsValue(settings, QStringLiteral("/MD/switch")).toInt();
        (void)settingsValue(settings, QStringLiteral("/MD/printMD")).toInt();
        (void)settingsValue(settings, QStringLiteral("/MD/ip")).toString();
        (void)settingsValue(settings, QStringLiteral("/MD/port")).toInt();
        check(settings.status() != QSettings::AccessError);
    }
    QFile::remove(path);
    return 0;
}
