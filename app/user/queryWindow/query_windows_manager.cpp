#include "user/queryWindow/query_windows_manager.h"

#include <QThread>

#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

QueryWindowsManager::QueryWindowsManager(QObject *parent)
    : QObject(parent), mThread(new QThread), mQuotesClient(new QuotesTcpClient(nullptr)) {}

QueryWindowsManager::~QueryWindowsManager() {
    // The client is deleted on its own thread, by the loop or at the latest when the thread
    // finishes, so it is gone once wait() returns. A client in the middle of a blocking
    // connect holds wait() until that attempt ends.
    if (mThread->isRunning()) {
        mQuotesClient->deleteLater();
    } else {
        delete mQuotesClient;
    }
    mQuotesClient = nullptr;
    mThread->quit();
    mThread->wait();
    mThread->deleteLater();
    mThread = nullptr;
}

void QueryWindowsManager::start() {
    if (mThread->isRunning()) return;
    connect(mThread, &QThread::started, mQuotesClient, &QuotesTcpClient::slot_start);
    mQuotesClient->moveToThread(mThread);
    mThread->start(QThread::InheritPriority);
}
