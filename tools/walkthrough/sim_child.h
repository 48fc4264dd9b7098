// qeto-sim as a child process on ports it picks (or the ones given), ended with its owner.
#ifndef QETO_SIM_CHILD_H
#define QETO_SIM_CHILD_H

#include <QProcess>
#include <QString>
#include <QStringList>

class SimChild {
public:
    ~SimChild();
    bool start(const QString &program, const QStringList &args, QString *error);
    // Drops every client connection of the simulator (SIGUSR1 on Linux, "drop" on its standard
    // input on Windows, where it runs with --control-stdin).
    void dropConnections();
    void stop();
    quint16 counterPort() const { return mCounterPort; }
    quint16 mdPort() const { return mMdPort; }

private:
    QProcess mProcess;
    quint16 mCounterPort = 0;
    quint16 mMdPort = 0;
};

#endif  // QETO_SIM_CHILD_H
