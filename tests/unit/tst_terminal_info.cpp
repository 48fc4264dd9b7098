#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include "utils/terminal_info.h"
#include "utils/utils.h"

class TstTerminalInfo : public QObject {
    Q_OBJECT
private slots:
    void diskToolOutput_data();
    void diskToolOutput();
    void cpuSerialFormat_data();
    void cpuSerialFormat();
    void hardwareAddress_data();
    void hardwareAddress();
    void ipChoice_data();
    void ipChoice();
    void vpdPage_data();
    void vpdPage();
    void diskIdName_data();
    void diskIdName();
    void sysfsTree_data();
    void sysfsTree();
    void thisMachine();
};

namespace {

QByteArray utf16le(const QString &text, bool mark) {
    QByteArray out = mark ? QByteArray("\xFF\xFE", 2) : QByteArray();
    for (QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

// Sets the local 8-bit codec for one row; an empty name keeps the system's.
struct LocaleCodecScope {
    explicit LocaleCodecScope(const QByteArray &name) {
        if (!name.isEmpty()) QTextCodec::setCodecForLocale(QTextCodec::codecForName(name));
    }
    ~LocaleCodecScope() { QTextCodec::setCodecForLocale(nullptr); }
};

}  // namespace

void TstTerminalInfo::diskToolOutput_data() {
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QByteArray>("localCodec");
    QTest::newRow("heading, blank, padded serial")
        << QByteArray("SerialNumber\r\n\r\n   WD-1234  \r\n") << "WD-1234" << QByteArray();
    QTest::newRow("first serial wins") << QByteArray("SerialNumber\nA1\nB2\n") << "A1" << QByteArray();
    QTest::newRow("heading only") << QByteArray("SerialNumber  \r\n") << "" << QByteArray();
    QTest::newRow("nothing") << QByteArray() << "" << QByteArray();
    QTest::newRow("serial without line end is not a whole line")
        << QByteArray("SerialNumber\nXYZ") << "" << QByteArray();
    QTest::newRow("blank lines only") << QByteArray("SerialNumber\n \n\t\n") << "" << QByteArray();

    // wmic writing to a file, and under Wine: UTF-16LE behind a byte order mark.
    QTest::newRow("UTF-16LE with mark") << utf16le("SerialNumber  \r\n  \r\nS3Z1NB0K123456   \r\n\r\n", true)
                                        << "S3Z1NB0K123456" << QByteArray();
    QTest::newRow("UTF-16LE heading and blank lines only")
        << utf16le("SerialNumber  \r\n\r\n  \r\n", true) << "" << QByteArray();
    QTest::newRow("UTF-16LE without mark")
        << utf16le("SerialNumber\r\nWD-1234  \r\n", false) << "WD-1234" << QByteArray();
    // wmic through a pipe on Windows: the ANSI code page, CR CR LF line ends.
    QTest::newRow("ANSI code page 936") << QByteArray("SerialNumber  \r\r\n\r\r\n\xD3\xB2\xC5\xCC-01  \r\r\n\r\r\n")
                                        << QStringLiteral("硬盘-01") << QByteArray("GBK");
}

void TstTerminalInfo::diskToolOutput() {
    QFETCH(QByteArray, output);
    QFETCH(QString, serial);
    QFETCH(QByteArray, localCodec);
    LocaleCodecScope codec(localCodec);
    QBuffer buffer(&output);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(TerminalInfo::firstSerialLine(&buffer), serial);
}

void TstTerminalInfo::cpuSerialFormat_data() {
    QTest::addColumn<quint32>("edx");
    QTest::addColumn<quint32>("eax");
    QTest::addColumn<QString>("text");
    QTest::newRow("flags 1, signature 2") << 1u << 2u << "0000000100000002";
    QTest::newRow("upper case") << 0xBFEBFBFFu << 0x000906EAu << "BFEBFBFF000906EA";
    QTest::newRow("all ones") << 0xFFFFFFFFu << 0xFFFFFFFFu << "FFFFFFFFFFFFFFFF";
}

void TstTerminalInfo::cpuSerialFormat() {
    QFETCH(quint32, edx);
    QFETCH(quint32, eax);
    QFETCH(QString, text);
    QCOMPARE(TerminalInfo::formatCpuSerial(edx, eax), text);
}

void TstTerminalInfo::hardwareAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("usable");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("loopback zeros") << "00:00:00:00:00:00" << false;
    QTest::newRow("virtual adapter") << "02:FC:00:00:00:01" << true;
    QTest::newRow("real") << "A4:5E:60:C1:22:9B" << true;
}

void TstTerminalInfo::hardwareAddress() {
    QFETCH(QString, address);
    QFETCH(bool, usable);
    QCOMPARE(TerminalInfo::isUsableHardwareAddress(address), usable);
}

void TstTerminalInfo::ipChoice_data() {
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("none") << QStringList() << "";
    QTest::newRow("ipv6 only") << QStringList{"fe80::1", "2001:db8::5"} << "";
    QTest::newRow("ipv4 after ipv6") << QStringList{"2001:db8::5", "10.0.0.7"} << "10.0.0.7";
    QTest::newRow("link-local only as fallback") << QStringList{"169.254.3.4", "192.168.1.20"} << "192.168.1.20";
    QTest::newRow("link-local alone") << QStringList{"169.254.3.4"} << "169.254.3.4";
    QTest::newRow("fits the field") << QStringList{"255.255.255.254"} << "255.255.255.254";
}

void TstTerminalInfo::ipChoice() {
    QFETCH(QStringList, addresses);
    QFETCH(QString, chosen);
    QList<QHostAddress> list;
    for (const QString &a : addresses) list << QHostAddress(a);
    const QString picked = TerminalInfo::pickIpAddress(list);
    QCOMPARE(picked, chosen);
    QVERIFY(picked.toUtf8().size() <= 16);
}

void TstTerminalInfo::vpdPage_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("serial");
    // The page header (page code 0x80 and the serial's length), then the serial's bytes.
    const auto page = [](const char *head, const QByteArray &serial) { return QByteArray(head, 4) + serial; };
    QTest::newRow("plain") << page("\x00\x80\x00\x08", "S3Z1NB0K") << "S3Z1NB0K";
    QTest::newRow("padded") << page("\x00\x80\x00\x0A", "  ABC123  ") << "ABC123";
    QTest::newRow("length beyond the data") << page("\x00\x80\x01\x00", "XY") << "XY";
    QTest::newRow("wrong page") << page("\x00\x83\x00\x02", "XY") << "";
    QTest::newRow("short") << QByteArray("\x00\x80", 2) << "";
    QTest::newRow("binary junk dropped") << page("\x00\x80\x00\x04", "A\x01\xffZ") << "AZ";
}

void TstTerminalInfo::vpdPage() {
    QFETCH(QByteArray, page);
    QFETCH(QString, serial);
    QCOMPARE(TerminalInfo::serialFromVpdPage80(page), serial);
}

void TstTerminalInfo::diskIdName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("serial");
    const char *const rows[][3] = {
        {"ata", "ata-WDC_WD10EZEX-08WN4A0_WD-WCC6Y0123456", "WD-WCC6Y0123456"},
        {"nvme", "nvme-Samsung_SSD_970_EVO_1TB_S4EWNX0R123456", "S4EWNX0R123456"},
        {"virtio", "virtio-disk0serial", "disk0serial"},
        {"partition", "ata-WDC_WD10EZEX_WD-1-part1", ""},
        {"wwn", "wwn-0x50014ee2b5a1c2d3", ""},
        {"usb stick", "usb-SanDisk_Cruzer_4C5300-0:0", ""},
        {"device mapper", "dm-name-vg-root", ""},
        {"no bus", "abc", ""},
    };
    for (const auto &row : rows) QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
}

void TstTerminalInfo::diskIdName() {
    QFETCH(QString, name);
    QFETCH(QString, serial);
    QCOMPARE(TerminalInfo::serialFromDiskId(name), serial);
}

void TstTerminalInfo::sysfsTree_data() {
    // "dev:file=content" entries under sys/block; "id:name" entries under by-id.
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("serial");
    QTest::newRow("nothing") << QStringList() << "";
    QTest::newRow("loop and zram skipped") << QStringList{"loop0:device/serial=LOOP", "zram0:serial=Z"} << "";
    QTest::newRow("nvme serial") << QStringList{"loop0:device/serial=LOOP", "nvme0n1:device/serial=  S4EW123  \n"}
                                 << "S4EW123";
    QTest::newRow("virtio serial file") << QStringList{"vda:serial=VIRT42"} << "VIRT42";
    QTest::newRow("first disk that reports one")
        << QStringList{"sda:device/model=X", "sdb:device/serial=SDB1"} << "SDB1";
    QTest::newRow("by-id fallback") << QStringList{"vda:device/model=X", "id:ata-Disk_Model_SER99",
                                                   "id:ata-Disk_Model_SER99-part1"}
                                    << "SER99";
    QTest::newRow("blank serial file ignored") << QStringList{"sda:device/serial=   \n", "sdb:serial=B2"} << "B2";
}

void TstTerminalInfo::sysfsTree() {
    QFETCH(QStringList, entries);
    QFETCH(QString, serial);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QDir root(tmp.path());
    QVERIFY(root.mkpath("block"));
    QVERIFY(root.mkpath("by-id"));
    for (const QString &entry : entries) {
        if (entry.startsWith("id:")) {
            QFile f(root.filePath("by-id/" + entry.mid(3)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            continue;
        }
        const QString dev = entry.section(':', 0, 0);
        const QString rest = entry.section(':', 1);
        const QString file = rest.section('=', 0, 0);
        const QString content = rest.section('=', 1);
        const QString path = root.filePath("block/" + dev + "/" + file);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content.toUtf8());
    }
    QCOMPARE(TerminalInfo::diskSerialFromSystem(root.filePath("block"), root.filePath("by-id")), serial);
}

void TstTerminalInfo::thisMachine() {
    // Whatever this host offers, each value has the shape the counter expects.
    const QString mac = Utils::TQetoGetMacAddr();
    if (!mac.isEmpty()) {
        QVERIFY(QRegularExpression("^([0-9A-F]{2}:){5}[0-9A-F]{2}$").match(mac).hasMatch());
        QVERIFY(mac != "00:00:00:00:00:00");
    }
    const QString ip = Utils::TQetoGetIpAddr();
    if (!ip.isEmpty()) QCOMPARE(QHostAddress(ip).protocol(), QAbstractSocket::IPv4Protocol);
    const QString cpu = Utils::TQetoGetCpuSerial();
#if defined(__x86_64__) || defined(__i386__)
    QVERIFY(QRegularExpression("^[0-9A-F]{16}$").match(cpu).hasMatch());
#endif
    QVERIFY(!Utils::TQetoGetHostName().isEmpty());
    Utils::TQetoGetHardDiskSerial();
}

QTEST_GUILESS_MAIN(TstTerminalInfo)
#include "tst_terminal_info.moc"
