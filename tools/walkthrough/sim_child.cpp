#include "sim_child.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <csignal>

SimChild::~SimChild() { stop(); }

bool SimChild::start(const QString &program, const QStringList &args, QString *error) {
    // A simulator outlives a test that crashed or was killed unless told to follow it.
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (!setpriv.isEmpty()) {
        mProcess.setProgram(setpriv);
        mProcess.setArguments(QStringList{QStringLiteral("--pdeathsig"), QStringLiteral("TERM"), program} + args);
    } else {
        mProcess.setProgram(program);
        mProcess.setArguments(args);
    }
    mProcess.setProcessChannelMode(QProcess::SeparateChannels);
    mProcess.start();
    if (!mProcess.waitForStarted(10000)) {
        *error = QStringLiteral("qeto-sim did not start: ") + mProcess.errorString();
        return false;
    }
    QDeadlineTimer deadline(30000);
    while (!mProcess.canReadLine() && !deadline.hasExpired() && mProcess.state() == QProcess::Running)
        mProcess.waitForReadyRead(100);
    const QByteArray first = mProcess.readLine().trimmed();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^counter_port=(\\d+) md_port=(\\d+)$")).match(QString::fromLatin1(first));
    if (!m.hasMatch()) {
        *error = QStringLiteral("qeto-sim said '%1' (%2)")
                     .arg(QString::fromLatin1(first), QString::fromLocal8Bit(mProcess.readAllStandardError()));
        return false;
    }
    mCounterPort = static_cast<quint16>(m.captured(1).toUInt());
    mMdPort = static_cast<quint16>(m.captured(2).toUInt());
    return true;
}

void SimChild::signal(int sig) {
    if (mProcess.state() == QProcess::Running) ::kill(static_cast<pid_t>(mProcess.processId()), sig);
}

void SimChild::stop() {
    if (mProcess.state() == QProcess::NotRunning) return;
    mProcess.terminate();
    if (!mProcess.waitForFinished(10000)) {
        mProcess.kill();
        mProcess.waitForFinished(5000);
    }
}
