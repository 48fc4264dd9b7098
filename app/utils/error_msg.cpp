#include "utils/error_msg.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include "constants.h"
#include "utils/api_client_utils.h"
#include "utils/record_text.h"

namespace {

void loadTable(const QJsonObject &root, const QString &key, QMap<int, QString> &table) {
    const QJsonArray entries = root.value(key).toArray();  // none when absent or not an array
    for (const QJsonValue &element : entries) {
        const QJsonObject entry = element.toObject();
        table.insert(entry.value(QStringLiteral("errorid")).toInt(0),
                     entry.value(QStringLiteral("errormsg")).toString());
    }
}

}  // namespace

ErrorMsg::ErrorMsg() = default;

ErrorMsg *ErrorMsg::instance() {
    static ErrorMsg *self = new ErrorMsg();  // lives until the process ends
    return self;
}

int ErrorMsg::readErrorJson() {
    mExchangeMsgs.clear();
    mManagerMsgs.clear();

    // Only a regular file: opening a named pipe would wait for a writer and hold the GUI.
    const QString path = QCoreApplication::applicationDirPath() + kErrorMsgFile;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning("%s", qUtf8Printable(QStringLiteral("无法打开error_msg文件")));
        return -1;
    }
    // One byte more than allowed tells a file that is too large (or a device that never ends)
    // without reading it all.
    const QByteArray content = file.read(kMaxFileBytes + 1);
    file.close();
    if (content.size() > kMaxFileBytes) {
        qWarning("%s", qUtf8Printable(QStringLiteral("error_msg 文件过大，超过 %1 字节").arg(kMaxFileBytes)));
        return -1;
    }
    return loadCatalog(content, ApiClientUtils::mMarket);
}

int ErrorMsg::loadCatalog(const QByteArray &content, char market) {
    mExchangeMsgs.clear();
    mManagerMsgs.clear();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError) {
        qWarning("%s", qUtf8Printable(QStringLiteral("解析 error_msg 失败：") + error.errorString()));
        return -1;
    }

    const QJsonObject root = doc.object();
    QString exchangeKey;
    if (market == '1')
        exchangeKey = QStringLiteral("SS");
    else if (market == '2')
        exchangeKey = QStringLiteral("SZ");
    const QString managerKey = QStringLiteral("manager");
    if (!root.contains(exchangeKey) && !root.contains(managerKey)) {
        qWarning("%s", qUtf8Printable(QStringLiteral("error_msg 文件内容格式错误")));
        return -1;
    }
    loadTable(root, exchangeKey, mExchangeMsgs);
    loadTable(root, managerKey, mManagerMsgs);
    return 0;
}

QString ErrorMsg::getErrorMsg(const CQetoRspInfo &info) {
    const QString text = RecordText::fieldLocal8Bit(info.ErrorMsg);
    int position = text.size();
    for (int i = 0; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if (c >= 0x4E00 && c <= 0x9FFF) {
            position = i;
            break;
        }
    }
    const bool hasChinese = position < text.size();
    const int errorId = static_cast<int>(info.ErrorID);
    qInfo("%s",
          qUtf8Printable(QStringLiteral("haveChines is [%0], current size is  [%1] ErrorId is [%2] ErrorMsg is [%3]")
                             .arg(QString::number(hasChinese ? 1 : 0), QString::number(position),
                                  QString::number(info.ErrorID), text)));

    if (!text.isEmpty() && hasChinese) return text;
    const auto ex = mExchangeMsgs.constFind(errorId);
    if (ex != mExchangeMsgs.constEnd()) return ex.value();
    const auto mg = mManagerMsgs.constFind(errorId);
    if (mg != mManagerMsgs.constEnd()) return mg.value();
    return text;
}

QString ErrorMsg::getErrorMsgById(int errorId) {
    const auto ex = mExchangeMsgs.constFind(errorId);
    if (ex != mExchangeMsgs.constEnd()) return ex.value();
    return mManagerMsgs.value(errorId);
}

QString ErrorMsg::getManagerErrorMsgById(int errorId) {
    const auto mg = mManagerMsgs.constFind(errorId);
    if (mg != mManagerMsgs.constEnd()) return mg.value();
    return mExchangeMsgs.value(errorId);
}

QString ErrorMsg::getErrorText(const CQetoRspInfo &info) {
    return QStringLiteral("[%1]%2").arg(QString::number(info.ErrorID), getErrorMsg(info));
}
