#include "sim_child.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#endif

SimChild::~SimChild() { stop(); }

#ifdef Q_OS_WIN
namespace {
// Every simulator joins one job that is killed when this process's last handle to it closes,
// which the system does when the process ends in any way.
void killWithOwner(qint64 pid) {
    static HANDLE job = [] {
        HANDLE j = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (j) SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        return j;
    }();
    HANDLE process = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (job && process) AssignProcessToJobObject(job, process);
    if (process) CloseHandle(process);
}
}  // namespace
#endif

bool SimChild::start(const QString &program, const QStringList &args, QString *error) {
#ifdef Q_OS_WIN
    mProcess.setProgram(program);
    mProcess.setArguments(QStringList{QStringLiteral("--control-stdin")} + args);
#else
    // A simulator outlives a test that crashed or was killed unless told to follow it.
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (!setpriv.isEmpty()) {
        mProcess.setProgram(setpriv);
        mProcess.setArguments(QStringList{QStringLiteral("--pdeathsig"), QStringLiteral("TERM"), program} + args);
    } else {
        mProcess.setProgram(program);
        mProcess.setArguments(args);
    }
#endif
    mProcess.setProcessChannelMode(QProcess::SeparateChannels);
    mProcess.start();
    if (!mProcess.waitForStarted(10000)) {
        *error = QStringLiteral("qeto-sim did not start: ") + mProcess.errorString();
        return false;
    }
#ifdef Q_OS_WIN
    killWithOwner(mProcess.processId());
#endif
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

void SimChild::dropConnections() {
    if (mProcess.state() != QProcess::Running) return;
#ifdef Q_OS_WIN
    mProcess.write("drop\n");
    mProcess.waitForBytesWritten(5000);
#else
    ::kill(static_cast<pid_t>(mProcess.processId()), SIGUSR1);
#endif
}

void SimChild::stop() {
    if (mProcess.state() == QProcess::NotRunning) return;
#ifdef Q_OS_WIN
    // A console program has no window to close: end of input tells it to quit.
    mProcess.closeWriteChannel();
    if (mProcess.waitForFinished(5000)) return;
#endif
    mProcess.terminate();
    if (!mProcess.waitForFinished(10000)) {
        mProcess.kill();
        mProcess.waitForFinished(5000);
    }
}
