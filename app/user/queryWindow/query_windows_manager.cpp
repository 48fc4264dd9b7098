#include "user/queryWindow/query_windows_manager.h"

#include <QThread>

#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

QueryWindowsManager::QueryWindowsManager(QObject *parent)
    : QObject(parent), mThread(new QThread), mQuotesClient(new QuotesTcpClient(nullptr)) {}

QueryWindowsManager::~QueryWindowsManager() {
    // The client must go on its own thread, which only runs deferred deletes while its loop
    // is alive; quit() is queued behind the delete, so wait() returns after the client is gone.
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
