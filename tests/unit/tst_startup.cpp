// The built program starts, logs into the working directory and reads its version beside itself.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void startsAndLogsVersion();
};

void TestStartup::startsAndLogsVersion() {
    QFile versionFile(QStringLiteral(QETO_VERSION_FILE));
    QVERIFY(versionFile.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString version = QString::fromUtf8(versionFile.readLine()).remove('\n');

    QTemporaryDir cwd;
    QVERIFY(cwd.isValid());
    QProcess program;
    program.setWorkingDirectory(cwd.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QETO_DESK_EXE), QStringList());
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    const QRegularExpression versionLine(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d    INFO      +\\S+:\\d+"
                       "    \\d{8}    version : ") +
        QRegularExpression::escape(version) + "\r$");
    auto logged = [&] {
        for (const QString &name : QDir(cwd.path() + "/log").entryList({"Qeto-Desk-*.log"}, QDir::Files)) {
            QFile log(cwd.path() + "/log/" + name);
            if (!log.open(QIODevice::ReadOnly)) continue;
            for (const QByteArray &line : log.readAll().split('\n'))
                if (versionLine.match(QString::fromLocal8Bit(line)).hasMatch()) return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(logged() || program.state() == QProcess::NotRunning, 30000);
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished();
    QVERIFY2(logged(), "no version line in the working directory's log");
    QVERIFY2(running, qPrintable(QString::fromLocal8Bit(program.readAllStandardError())));
    // Nothing goes to the console.
    QVERIFY(!program.readAllStandardOutput().contains("version"));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
