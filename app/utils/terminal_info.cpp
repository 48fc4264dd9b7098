// Terminal information the counter requires with every login: MAC address, disk serial,
// IP address, CPU serial and host name. Nothing is cached; each login asks again.
#include "utils/terminal_info.h"

#include <QDir>
#include <QFile>
#include <QHostInfo>
#include <QIODevice>
#include <QNetworkInterface>
#include <QProcess>
#include <QTextCodec>
#include <QtGlobal>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "utils/utils.h"

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <intrin.h>
#define QETO_HAVE_CPUID 1
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define QETO_HAVE_CPUID 1
#endif

namespace {

// A broken resolver can hang a name lookup for minutes; the login thread must not.
constexpr int kHostLookupTimeoutMs = 3000;

#ifdef Q_OS_WIN
constexpr int kDiskToolWaitMs = 30000;
#endif

// Serials are shown to the counter as text: keep printable ASCII only.
QString cleanSerial(const QByteArray &raw) {
    QByteArray out;
    out.reserve(raw.size());
    for (char c : raw) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) out.append(c);
    }
    return QString::fromLatin1(out).trimmed();
}

QByteArray readSmallFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.read(4096);
}

bool isVirtualBlockDevice(const QString &name) {
    static const char *const kSkipped[] = {"loop", "ram", "zram", "dm-", "md", "nbd", "sr", "fd"};
    for (const char *prefix : kSkipped) {
        if (name.startsWith(QLatin1String(prefix))) return true;
    }
    return false;
}

bool cpuidLeaf1(quint32 *eax, quint32 *edx) {
#if defined(QETO_HAVE_CPUID) && defined(_MSC_VER)
    int regs[4] = {0, 0, 0, 0};
    __cpuidex(regs, 1, 0);
    *eax = static_cast<quint32>(regs[0]);
    *edx = static_cast<quint32>(regs[3]);
    return true;
#elif defined(QETO_HAVE_CPUID)
    unsigned int a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    *eax = a;
    *edx = d;
    return true;
#else
    *eax = 0;
    *edx = 0;
    return false;
#endif
}

}  // namespace

namespace TerminalInfo {

QString decodeToolOutput(const QByteArray &output) {
    QTextCodec *codec = QTextCodec::codecForUtfText(output, nullptr);
    if (!codec && output.size() >= 2 && output.at(0) != '\0' && output.at(1) == '\0')
        codec = QTextCodec::codecForName("UTF-16LE");
    return codec ? codec->toUnicode(output) : QString::fromLocal8Bit(output);
}

QString firstSerialLine(const QByteArray &output) {
    QStringList lines = decodeToolOutput(output).split(QLatin1Char('\n'));
    // What follows the last line end is not a whole line.
    lines.removeLast();
    for (int i = 1; i < lines.size(); ++i) {
        const QString text = lines.at(i).trimmed();
        if (!text.isEmpty()) return text;
    }
    return {};
}

QString firstSerialLine(QIODevice *output) {
    if (!output) return {};
    return firstSerialLine(output->readAll());
}

QString formatCpuSerial(quint32 edx, quint32 eax) {
    char buffer[32] = {0};
    qsnprintf(buffer, sizeof buffer, "%08X%08X", edx, eax);
    return QString::fromLatin1(buffer);
}

bool isUsableHardwareAddress(const QString &address) {
    if (address.isEmpty()) return false;
    for (QChar c : address) {
        if (c != QLatin1Char('0') && c != QLatin1Char(':') && c != QLatin1Char('-')) return true;
    }
    return false;
}

QString pickIpAddress(const QList<QHostAddress> &addresses) {
    QString fallback;
    for (const QHostAddress &a : addresses) {
        if (a.protocol() != QAbstractSocket::IPv4Protocol) continue;
        if (!a.isLinkLocal()) return a.toString();
        if (fallback.isEmpty()) fallback = a.toString();
    }
    return fallback;
}

QString serialFromVpdPage80(const QByteArray &page) {
    if (page.size() < 4 || static_cast<unsigned char>(page.at(1)) != 0x80) return {};
    const int length = (static_cast<unsigned char>(page.at(2)) << 8) | static_cast<unsigned char>(page.at(3));
    return cleanSerial(page.mid(4, length));
}

QString serialFromDiskId(const QString &name) {
    if (name.contains(QLatin1String("-part"))) return {};
    const int dash = name.indexOf(QLatin1Char('-'));
    if (dash <= 0) return {};
    const QString bus = name.left(dash);
    // World-wide names and volume ids identify media or mappings, not a disk's serial;
    // usb sticks are not the machine's disks.
    static const char *const kNoSerial[] = {"wwn", "dm", "md", "lvm", "usb", "nvme-eui", "nvme-nvme", "memstick"};
    for (const char *prefix : kNoSerial) {
        if (name.startsWith(QLatin1String(prefix))) return {};
    }
    const QString rest = name.mid(dash + 1);
    if (bus == QLatin1String("virtio")) return cleanSerial(rest.toLatin1());
    const int underscore = rest.lastIndexOf(QLatin1Char('_'));
    if (underscore < 0 || underscore == rest.size() - 1) return {};
    return cleanSerial(rest.mid(underscore + 1).toLatin1());
}

QString diskSerialFromSystem(const QString &sysBlockDir, const QString &byIdDir) {
    const QDir blocks(sysBlockDir);
    const QStringList devices = blocks.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &dev : devices) {
        if (isVirtualBlockDevice(dev)) continue;
        const QString base = blocks.filePath(dev);
        for (const char *file : {"/device/serial", "/serial"}) {
            const QString serial = cleanSerial(readSmallFile(base + QLatin1String(file)));
            if (!serial.isEmpty()) return serial;
        }
        const QString vpd = serialFromVpdPage80(readSmallFile(base + QLatin1String("/device/vpd_pg80")));
        if (!vpd.isEmpty()) return vpd;
    }
    const QStringList ids = QDir(byIdDir).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &id : ids) {
        const QString serial = serialFromDiskId(id);
        if (!serial.isEmpty()) return serial;
    }
    return {};
}

}  // namespace TerminalInfo

QString Utils::TQetoGetMacAddr() {
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &itf : interfaces) {
        const QString mac = itf.hardwareAddress();
        // A loopback reports 00:00:00:00:00:00, which identifies nothing.
        if (!TerminalInfo::isUsableHardwareAddress(mac)) continue;
        qInfo("MAC Address: %s", qUtf8Printable(mac));
        return mac;
    }
    return {};
}

QString Utils::TQetoGetHardDiskSerial() {
#ifdef Q_OS_WIN
    QProcess process;
    process.start(QStringLiteral("cmd.exe"),
                  {QStringLiteral("/c"), QStringLiteral("wmic path win32_physicalmedia get SerialNumber")},
                  QIODevice::ReadWrite);
    // wmic reads its input to the end before it answers on some Windows versions; an open
    // pipe would hold every login for the whole wait.
    process.closeWriteChannel();
    if (!process.waitForFinished(kDiskToolWaitMs)) {
        // Whatever whole lines it wrote still count; the tool itself must not outlive the wait.
        process.kill();
        process.waitForFinished(1000);
    }
    const QString serial = TerminalInfo::firstSerialLine(&process);
#else
    const QString serial =
        TerminalInfo::diskSerialFromSystem(QStringLiteral("/sys/block"), QStringLiteral("/dev/disk/by-id"));
#endif
    if (!serial.isEmpty()) qInfo("Get Hard Disk Serial : %s", qUtf8Printable(serial));
    return serial;
}

QString Utils::TQetoGetIpAddr() {
    QList<QHostAddress> candidates;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &itf : interfaces) {
        const QNetworkInterface::InterfaceFlags flags = itf.flags();
        if (!(flags & QNetworkInterface::IsRunning) || (flags & QNetworkInterface::IsLoopBack)) continue;
        const QList<QNetworkAddressEntry> entries = itf.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            qInfo("IP Address: %s", qUtf8Printable(entry.ip().toString()));
            candidates << entry.ip();
        }
    }
    return TerminalInfo::pickIpAddress(candidates);
}

QString Utils::TQetoGetCpuSerial() {
    quint32 eax = 0;
    quint32 edx = 0;
    if (!cpuidLeaf1(&eax, &edx) || (eax == 0 && edx == 0)) {
        qWarning("Get Cpu Info Error");
        return {};
    }
    return TerminalInfo::formatCpuSerial(edx, eax);
}

QString Utils::TQetoGetHostName() {
    const QString local = QHostInfo::localHostName();
    // The blocking lookup runs on a thread of its own so that a hanging resolver costs at most
    // the timeout; a late answer is dropped with the shared state.
    auto promise = std::make_shared<std::promise<QString>>();
    std::future<QString> answer = promise->get_future();
    std::thread([promise, local] { promise->set_value(QHostInfo::fromName(local).hostName()); }).detach();
    QString name = local;
    if (answer.wait_for(std::chrono::milliseconds(kHostLookupTimeoutMs)) == std::future_status::ready) {
        const QString resolved = answer.get();
        if (!resolved.isEmpty()) name = resolved;
    } else {
        qWarning("host name lookup of %s timed out", qUtf8Printable(local));
    }
    qInfo("Host name: %s", qUtf8Printable(name));
    return name;
}
