// Owns the market-data client and the worker thread it runs on.
#ifndef QETO_QUERY_WINDOWS_MANAGER_H
#define QETO_QUERY_WINDOWS_MANAGER_H

#include <QObject>

class QThread;
class QuotesTcpClient;

class QueryWindowsManager : public QObject {
    Q_OBJECT
public:
    explicit QueryWindowsManager(QObject *parent);
    ~QueryWindowsManager() override;

    void start();
    QuotesTcpClient *quotesClient() const { return mQuotesClient; }
    // The market-data thread, for callers that need to see it stop.
    QThread *workerThread() const { return mThread; }

private:
    QThread *mThread = nullptr;
    QuotesTcpClient *mQuotesClient = nullptr;
};

#endif  // QETO_QUERY_WINDOWS_MANAGER_H
