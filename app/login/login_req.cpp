#include "login/login_req.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <cstring>

#include "constants.h"
#include "utils/config_param_reader.h"
#include "utils/utils.h"

namespace {

QMutex gProbeMutex;

LoginReq::TerminalProbes machineProbes() {
    return {&Utils::TQetoGetMacAddr, &Utils::TQetoGetHardDiskSerial, &Utils::TQetoGetIpAddr, &Utils::TQetoGetCpuSerial,
            &Utils::TQetoGetHostName};
}

LoginReq::TerminalProbes &probes() {
    static LoginReq::TerminalProbes current = machineProbes();
    return current;
}

LoginReq::TerminalProbes currentProbes() {
    QMutexLocker lock(&gProbeMutex);
    return probes();
}

QString callProbe(const std::function<QString()> &probe) { return probe ? probe() : QString(); }

// Copies at most the field's width; the rest of the zero-filled field stays zero.
template <size_t N>
void copyBytes(char (&field)[N], const QByteArray &bytes) {
    std::memcpy(field, bytes.constData(), qMin<size_t>(N, static_cast<size_t>(bytes.size())));
}

// UTF-8 text cut at the field's width must not end in half a character.
template <size_t N>
void copyUtf8(char (&field)[N], const QString &text) {
    QByteArray bytes = text.toUtf8();
    if (static_cast<size_t>(bytes.size()) > N) {
        int cut = static_cast<int>(N);
        while (cut > 0 && (static_cast<unsigned char>(bytes.at(cut)) & 0xC0) == 0x80) --cut;
        bytes.truncate(cut);
    }
    copyBytes(field, bytes);
}

}  // namespace

LoginReq::LoginReq(QObject *parent) : QObject(parent) {
    std::memset(&mLoginField, 0, sizeof mLoginField);
    std::memset(&mTerminalField, 0, sizeof mTerminalField);
}

void LoginReq::setTerminalProbesForTests(const TerminalProbes &replacement) {
    QMutexLocker lock(&gProbeMutex);
    probes() = replacement;
}

void LoginReq::resetTerminalProbes() {
    QMutexLocker lock(&gProbeMutex);
    probes() = machineProbes();
}

void LoginReq::fail(LoginStatus status) {
    // The screen hears of the failure before the instance goes away.
    emit signalReqLoginStatus(status);
    release(ApiClientUtils::mEntryNo);
}

void LoginReq::slotStartApi(QString account, QString password, QString appid, char operway, char market,
                            QString branchId) {
    const TerminalProbes probe = currentProbes();
    const QString mac = callProbe(probe.mac);
    const QString disk = callProbe(probe.disk);
    const QString ip = callProbe(probe.ip);
    const QString cpu = callProbe(probe.cpu);
    const QString host = callProbe(probe.host);
    if (mac.isEmpty() && disk.isEmpty() && ip.isEmpty() && cpu.isEmpty() && host.isEmpty()) {
        qWarning("获取监管信息失败");
        fail(TerminalInfoFailed);
        return;
    }

    std::memset(&mTerminalField, 0, sizeof mTerminalField);
    copyUtf8(mTerminalField.MacAddr, mac);
    copyUtf8(mTerminalField.HardDiskSerial, disk);
    copyUtf8(mTerminalField.IpAddr, ip);
    copyUtf8(mTerminalField.CpuSerial, cpu);
    copyUtf8(mTerminalField.HostName, host);

    const int created = createTraderApi(ApiClientUtils::mEntryNo);
    if (created == -1) {
        fail(EntryNoOutOfRange);
        return;
    }
    if (created == -2) {
        fail(EntryNoExists);
        return;
    }

    registerSpi(ApiClientUtils::spiTable(), ApiClientUtils::mEntryNo);

    // A missing file or key stops the process inside the reader.
    const QString configPath = QCoreApplication::applicationDirPath() + kApiConfigFile;
    const QByteArray configPathUtf8 = configPath.toUtf8();
    {
        ConfigParamReader reader;
        if (reader.load(configPathUtf8.toStdString()) != 1) {
            fail(StartApiFailed);
            return;
        }
        reader.getValue("URL");
        reader.getValue("PlatformSerialNum");
        reader.getValue("CpuCore");
        reader.getValue("SuperLog");
    }

    GatewayStartApiField start;
    std::memset(&start, 0, sizeof start);
    start.Reserved4180 = -1;
    copyBytes(start.ConfigFilePath, configPathUtf8);

    std::memset(&mLoginField, 0, sizeof mLoginField);
    copyBytes(mLoginField.AccountID, account.toLatin1());
    copyBytes(mLoginField.Password, password.toLatin1());
    copyBytes(mLoginField.BranchID, branchId.toLatin1());
    copyBytes(mLoginField.AppID, appid.toLatin1());
    mLoginField.ExchangeCode = market;
    mLoginField.OperWay = operway;

    const int started = startApi(&start, ApiClientUtils::mEntryNo);
    if (started != 0) {
        qWarning("startApi error : %d", started);
        fail(StartApiFailed);
    }
}

void LoginReq::slotSendLogin() {
    const int requestId = ApiClientUtils::mRequestId++;
    if (reqLogin(&mLoginField, &mTerminalField, requestId, ApiClientUtils::mEntryNo) != 0) fail(LoginReqFailed);
}

void LoginReq::slotRelease() { release(ApiClientUtils::mEntryNo); }
