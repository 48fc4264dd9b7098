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

const QString kTickColumn;
const QString kCodeColumn = QStringLiteral("证券代码");
const QString kNameColumn = QStringLiteral("证券名称");
const QString kOperationColumn = QStringLiteral("操作");
const QString kTodayBuyColumn = QStringLiteral("今买入");
const QString kOrderVolumeColumn = QStringLiteral("报单数量");
const QString kOrderStatusColumn = QStringLiteral("报单状态");
const QString kDirectionColumn = QStringLiteral("方向");
const QString kTradePriceColumn = QStringLiteral("成交价格");
const QString kTradeVolumeColumn = QStringLiteral("成交数量");
const QString kLeavesColumn = QStringLiteral("未成交数量");
const QString kInOutAmountColumn = QStringLiteral("出入金金额");
const QString kTransferAmountColumn = QStringLiteral("金额");
const QString kTransferDirectionColumn = QStringLiteral("资金调拨方向");

const QStringList kPositionColumns = {kCodeColumn,
                                      kTodayBuyColumn,
                                      QStringLiteral("今卖出"),
                                      QStringLiteral("昨买仓"),
                                      QStringLiteral("总持仓"),
                                      QStringLiteral("可用持仓"),
                                      QStringLiteral("持仓成本"),
                                      kOperationColumn};

const QStringList kOrderColumns = {kTickColumn,
                                   QStringLiteral("报单编号"),
                                   QStringLiteral("节点"),
                                   kCodeColumn,
                                   QStringLiteral("证券类别"),
                                   QStringLiteral("报单价格"),
                                   kOrderVolumeColumn,
                                   QStringLiteral("报单类型"),
                                   kOrderStatusColumn,
                                   kDirectionColumn,
                                   kTradePriceColumn,
                                   kTradeVolumeColumn,
                                   kLeavesColumn,
                                   QStringLiteral("错误码"),
                                   QStringLiteral("错误信息"),
                                   QStringLiteral("请求接收时间")};

const QStringList kTradeColumns = {QStringLiteral("报单编号"), kCodeColumn,        kTradePriceColumn,
                                   kDirectionColumn,           kTradeVolumeColumn, kLeavesColumn,
                                   QStringLiteral("成交时间")};

const QStringList kSecuritiesColumns = {kCodeColumn,
                                        kNameColumn,
                                        QStringLiteral("证券类别"),
                                        QStringLiteral("限价单最大买单量"),
                                        QStringLiteral("限价单最大卖单量"),
                                        QStringLiteral("限价单最小买单量"),
                                        QStringLiteral("限价单最小卖单量"),
                                        QStringLiteral("跌停价"),
                                        QStringLiteral("涨停价"),
                                        QStringLiteral("风险等级")};

const QStringList kInOutFundColumns = {QStringLiteral("机构代码"), kInOutAmountColumn, kOperationColumn,
                                       QStringLiteral("操作时间")};

const QStringList kTransferColumns = {
    QStringLiteral("机构代码"), kTransferAmountColumn,      kTransferDirectionColumn,  QStringLiteral("错误码"),
    QStringLiteral("错误信息"), QStringLiteral("操作结果"), QStringLiteral("操作时间")};

const QStringList kQuoteColumns = {kCodeColumn,
                                   kNameColumn,
                                   QStringLiteral("最新"),
                                   QStringLiteral("开盘"),
                                   QStringLiteral("最高"),
                                   QStringLiteral("最低"),
                                   QStringLiteral("涨停"),
                                   QStringLiteral("跌停"),
                                   QStringLiteral("昨收"),
                                   kOperationColumn};
