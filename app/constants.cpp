#include "constants.h"

const QString kAppName = QStringLiteral("Qeto-Desk");
const QString kDefaultVersion = QStringLiteral("3.2");
const QString kDefaultTitle = QStringLiteral("%0 %1").arg(kAppName, kDefaultVersion);

const QString kOrderQueryTitle = QStringLiteral("委托查询");
const QString kPositionQueryTitle = QStringLiteral("持仓查询");
const QString kTradeQueryTitle = QStringLiteral("成交查询");

const QString kVersionFile = QStringLiteral("/version.txt");
const QString kApiConfigFile = QStringLiteral("/config/api_config.txt");
const QString kSettingsFile = QStringLiteral("/config/qeto_desk_config.ini");
const QString kErrorMsgFile = QStringLiteral("/config/error_msg.json");

const QStringList kPositionColumns = {
    QStringLiteral("证券代码"), QStringLiteral("今买入"),   QStringLiteral("今卖出"),   QStringLiteral("昨买仓"),
    QStringLiteral("总持仓"),   QStringLiteral("可用持仓"), QStringLiteral("持仓成本"), QStringLiteral("操作")};

const QStringList kOrderColumns = {
    QString(),                      QStringLiteral("报单编号"),   QStringLiteral("节点"),
    QStringLiteral("证券代码"),     QStringLiteral("证券类别"),   QStringLiteral("报单价格"),
    QStringLiteral("报单数量"),     QStringLiteral("报单类型"),   QStringLiteral("报单状态"),
    QStringLiteral("方向"),         QStringLiteral("成交价格"),   QStringLiteral("成交数量"),
    QStringLiteral("未成交数量"),   QStringLiteral("错误码"),     QStringLiteral("错误信息"),
    QStringLiteral("请求接收时间")};

const QStringList kTradeColumns = {QStringLiteral("报单编号"), QStringLiteral("证券代码"),   QStringLiteral("成交价格"),
                                   QStringLiteral("方向"),     QStringLiteral("成交数量"),   QStringLiteral("未成交数量"),
                                   QStringLiteral("成交时间")};

const QStringList kSecuritiesColumns = {
    QStringLiteral("证券代码"),         QStringLiteral("证券名称"),         QStringLiteral("证券类别"),
    QStringLiteral("限价单最大买单量"), QStringLiteral("限价单最大卖单量"), QStringLiteral("限价单最小买单量"),
    QStringLiteral("限价单最小卖单量"), QStringLiteral("跌停价"),           QStringLiteral("涨停价"),
    QStringLiteral("风险等级")};

const QStringList kInOutFundColumns = {QStringLiteral("机构代码"), QStringLiteral("出入金金额"), QStringLiteral("操作"),
                                       QStringLiteral("操作时间")};

const QStringList kTransferColumns = {QStringLiteral("机构代码"), QStringLiteral("金额"),     QStringLiteral("资金调拨方向"),
                                      QStringLiteral("错误码"),   QStringLiteral("错误信息"), QStringLiteral("操作结果"),
                                      QStringLiteral("操作时间")};

const QStringList kQuoteColumns = {QStringLiteral("证券代码"), QStringLiteral("证券名称"), QStringLiteral("最新"),
                                   QStringLiteral("开盘"),     QStringLiteral("最高"),     QStringLiteral("最低"),
                                   QStringLiteral("涨停"),     QStringLiteral("跌停"),     QStringLiteral("昨收"),
                                   QStringLiteral("操作")};
