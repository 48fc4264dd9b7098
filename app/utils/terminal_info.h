// Pieces of the terminal-information collection that do not touch the machine, kept apart
// so that the parsing of tool output and system files can be checked on any host.
#ifndef QETO_TERMINAL_INFO_H
#define QETO_TERMINAL_INFO_H

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

class QIODevice;

namespace TerminalInfo {

// Disk tool output as text. UTF-16 when it starts with a byte order mark (the tool writing to
// a file, or under Wine) or when its second byte is NUL, which no 8-bit code page writes;
// otherwise the local 8-bit encoding (the ANSI code page of a pipe on Windows).
QString decodeToolOutput(const QByteArray &output);

// Disk tool output: the first line is a heading; the first later line that is not blank
// (trimmed) is the serial. Only whole lines count. The bytes are decoded before they are
// cut into lines, so a UTF-16 line end is never split from its high byte.
QString firstSerialLine(const QByteArray &output);

// The same over everything the device still holds.
QString firstSerialLine(QIODevice *output);

// CPUID leaf 1: feature flags (EDX) then processor signature (EAX), 16 upper-case hex digits.
QString formatCpuSerial(quint32 edx, quint32 eax);

// An interface's hardware address worth reporting: not empty and not all zero bytes.
bool isUsableHardwareAddress(const QString &address);

// The address reported to the counter: the first IPv4 address that is not link-local,
// else the first IPv4 address, else empty. It has to fit 15 characters.
QString pickIpAddress(const QList<QHostAddress> &addresses);

// Serial carried by a SCSI unit-serial-number VPD page (0x80); empty when malformed.
QString serialFromVpdPage80(const QByteArray &page);

// Serial at the end of a /dev/disk/by-id name such as "ata-Model_Name_SERIAL";
// empty for partitions and for names that carry no serial.
QString serialFromDiskId(const QString &name);

// Serial of the first physical disk under a sysfs block directory that reports one,
// falling back to the by-id names; loop, ram, zram, device-mapper and md devices are skipped.
QString diskSerialFromSystem(const QString &sysBlockDir, const QString &byIdDir);

}  // namespace TerminalInfo

#endif  // QETO_TERMINAL_INFO_H
