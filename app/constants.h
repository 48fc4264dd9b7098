// Process-wide constants: application name, file names, query-tab titles and column titles.
#ifndef QETO_CONSTANTS_H
#define QETO_CONSTANTS_H

#include <QString>
#include <QStringList>

extern const QString kAppName;
extern const QString kDefaultVersion;
extern const QString kDefaultTitle;

extern const QString kOrderQueryTitle;
extern const QString kPositionQueryTitle;
extern const QString kTradeQueryTitle;

// Appended to QCoreApplication::applicationDirPath(), never to the working directory.
extern const QString kVersionFile;
extern const QString kApiConfigFile;
extern const QString kSettingsFile;
extern const QString kErrorMsgFile;

// Titles of the columns the tables below are read by, shared where tables share a column.
extern const QString kTickColumn;  // untitled: the order table's check boxes
extern const QString kCodeColumn;
extern const QString kNameColumn;
extern const QString kOperationColumn;
extern const QString kTodayBuyColumn;
extern const QString kOrderVolumeColumn;
extern const QString kOrderStatusColumn;
extern const QString kDirectionColumn;
extern const QString kTradePriceColumn;
extern const QString kTradeVolumeColumn;
extern const QString kLeavesColumn;
extern const QString kInOutAmountColumn;
extern const QString kTransferAmountColumn;
extern const QString kTransferDirectionColumn;

extern const QStringList kPositionColumns;
extern const QStringList kOrderColumns;
extern const QStringList kTradeColumns;
extern const QStringList kSecuritiesColumns;
extern const QStringList kInOutFundColumns;
extern const QStringList kTransferColumns;
extern const QStringList kQuoteColumns;

#endif  // QETO_CONSTANTS_H
