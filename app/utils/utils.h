// Static helpers: terminal information for the login record, and display texts of gateway codes.
#ifndef QETO_UTILS_H
#define QETO_UTILS_H

#include <QString>

class Utils {
public:
    // Terminal information the counter requires at login; empty when a value cannot be obtained.
    static QString TQetoGetMacAddr();
    static QString TQetoGetHardDiskSerial();
    static QString TQetoGetIpAddr();
    static QString TQetoGetCpuSerial();
    static QString TQetoGetHostName();

    // Display texts of one-byte gateway codes; an unknown code gives the empty text.
    static QString orderPriceTypeText(char code);
    static QString orderStatusText(char code);
    static QString directionText(char code);
    static QString transferStatusText(char code);
    // Some codes mean different boards on the two exchanges, so this reads the current exchange.
    static QString securityTypeText(unsigned char code);

    // Packed "hhmmsszzz" time to "hh:mm:ss.zzz"; empty when it is not a valid time.
    static QString formatTime(const char *field, int length);
    // The same text as Latin-1 bytes, for a well-formed time only; false for anything else.
    static bool packedTimeText(const char *field, int length, char (&text)[12]);
    // Fixed decimals, cut rather than rounded at the last place.
    static QString truncateNumber(double value, unsigned decimals);
    // A fixed-width byte field taken whole as UTF-8, padding included.
    static QString fixedText(const char *field, int length);
};

#endif  // QETO_UTILS_H
