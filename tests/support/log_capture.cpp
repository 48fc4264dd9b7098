#include "log_capture.h"

#include <atomic>
#include <mutex>

namespace {
std::mutex gMutex;
QList<LogCapture::Line> gLines;
// Atomics: threads of a finished case may still log while the next case installs its capture.
std::atomic<QtMessageHandler> gPrevious{nullptr};
std::atomic<bool> gForward{false};

void capture(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    {
        std::lock_guard<std::mutex> lock(gMutex);
        gLines.append({type, text});
    }
    const QtMessageHandler previous = gPrevious;
    if (gForward && type != QtInfoMsg && previous) previous(type, context, text);
}
}  // namespace

LogCapture::LogCapture(bool forward) {
    clear();
    gForward = forward;
    gPrevious = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture() { qInstallMessageHandler(gPrevious.load()); }

QList<LogCapture::Line> LogCapture::lines() const {
    std::lock_guard<std::mutex> lock(gMutex);
    return gLines;
}

QStringList LogCapture::texts(QtMsgType type) const {
    QStringList out;
    for (const Line &line : lines())
        if (line.type == type) out << line.text;
    return out;
}

void LogCapture::clear() {
    std::lock_guard<std::mutex> lock(gMutex);
    gLines.clear();
}
