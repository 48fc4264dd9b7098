// A QString written on one thread and read on others. Every access goes through a small
// lock and copies, so a reader never sees a string half-way through an assignment.
#ifndef QETO_SHARED_TEXT_H
#define QETO_SHARED_TEXT_H

#include <QByteArray>
#include <QString>
#include <mutex>
#include <string>

class SharedText {
public:
    SharedText() = default;
    SharedText(const SharedText &) = delete;
    SharedText &operator=(const SharedText &) = delete;

    SharedText &operator=(const QString &text) {
        std::lock_guard<std::mutex> lock(mMutex);
        mText = text;
        return *this;
    }

    QString value() const {
        std::lock_guard<std::mutex> lock(mMutex);
        return mText;
    }
    operator QString() const { return value(); }

    void clear() { *this = QString(); }
    bool isEmpty() const { return value().isEmpty(); }
    int size() const { return value().size(); }
    int length() const { return size(); }
    QByteArray toUtf8() const { return value().toUtf8(); }
    QByteArray toLatin1() const { return value().toLatin1(); }
    QByteArray toLocal8Bit() const { return value().toLocal8Bit(); }
    std::string toStdString() const { return value().toStdString(); }

    bool operator==(const QString &other) const { return value() == other; }
    bool operator!=(const QString &other) const { return value() != other; }

private:
    mutable std::mutex mMutex;  // a standard mutex, so that race detectors see it
    QString mText;
};

#endif  // QETO_SHARED_TEXT_H
