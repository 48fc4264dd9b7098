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

extern const QStringList kPositionColumns;
extern const QStringList kOrderColumns;
extern const QStringList kTradeColumns;
extern const QStringList kSecuritiesColumns;
extern const QStringList kInOutFundColumns;
extern const QStringList kTransferColumns;
extern const QStringList kQuoteColumns;

#endif  // QETO_CONSTANTS_H
