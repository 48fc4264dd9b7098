// Checks on the gateway parameter file beside the executable: whether it exists, whether it
// holds every key of the built-in copy, and the optional business code.
#ifndef QETO_READ_API_CONFIG_H
#define QETO_READ_API_CONFIG_H

#include <QIODevice>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>

class ReadApiConfig : public QObject {
    Q_OBJECT
public:
    // Bytes of the file that are read; the rest of a larger file is ignored.
    static constexpr qint64 kMaxFileBytes = 4 << 20;

    static ReadApiConfig *instance();

    // Whether the file existed when the object was created (fixed for the process).
    bool isConfigExist() const;
    // (true, "") when every key of the built-in copy is in the file; else (false, a missing key).
    QPair<bool, QString> checkConfigItems();
    // Re-reads the file; the last "BusinessCode=" line wins.
    QString getBusinessCode();

    // Keys of a file as the check sees them: comment lines hold "#" anywhere.
    static QSet<QString> readKeys(const QString &path);
    // The same from an open device, read line by line to its end.
    static QSet<QString> readKeys(QIODevice &device);
    // The business code of the last "BusinessCode=" line of an open device; `current` when none.
    static QString businessCodeIn(QIODevice &device, const QString &current);

private:
    ReadApiConfig();
    Q_DISABLE_COPY(ReadApiConfig)

    static QString configPath();

    bool mConfigExist = false;
    QString mBusinessCode;
    QSet<QString> mRequiredKeys;
    QSet<QString> mPresentKeys;
};

#endif  // QETO_READ_API_CONFIG_H
