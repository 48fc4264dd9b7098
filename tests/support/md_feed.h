// A market-data server on a free port, and a client started on its thread the way the
// workspace starts it; only the client's public face is used.
#ifndef MD_FEED_H
#define MD_FEED_H

#include <QScopedPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <vector>

#include "config_files.h"
#include "md_test_frames.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

namespace mdtest {

class Feed {
public:
    Feed() {
        QVERIFY(mServer.listen(QHostAddress::LocalHost, 0));
        QVERIFY(cfgtest::writeConfig(
            "qeto_desk_config.ini",
            QStringLiteral("[MD]\nswitch=1\nprintMD=0\nip=127.0.0.1\nport=%1\n").arg(mServer.serverPort()).toUtf8()));
        mManager.reset(new QueryWindowsManager(nullptr));
        mManager->start();
        QVERIFY(mServer.waitForNewConnection(10000));
        mPeer = mServer.nextPendingConnection();
        QVERIFY(mPeer);
    }
    QuotesTcpClient *client() const { return mManager->quotesClient(); }
    void push(const std::vector<Record> &records) {
        QByteArray bytes;
        for (const Record &r : records) bytes += frame(r);
        mPeer->write(bytes);
        QVERIFY(mPeer->waitForBytesWritten(5000) || mPeer->bytesToWrite() == 0);
    }
    void waitForSize(int size) { QTRY_COMPARE_WITH_TIMEOUT(client()->quoteTable().size(), size, 15000); }

private:
    QTcpServer mServer;
    QScopedPointer<QueryWindowsManager> mManager;
    QTcpSocket *mPeer = nullptr;
};

}  // namespace mdtest

#endif  // MD_FEED_H
