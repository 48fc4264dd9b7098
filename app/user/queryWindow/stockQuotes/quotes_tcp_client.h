// Market-data client: receives Level-1 frames over one TCP connection on its own thread and
// keeps the latest record of every code for the GUI thread to read.
#ifndef QUOTES_TCP_CLIENT_H
#define QUOTES_TCP_CLIENT_H

#include <QAtomicInteger>
#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QString>
#include <mutex>
#include <vector>

#include "md_frame_parser.h"
#include "qeto_md_level1.h"

class QTcpSocket;
class QTimer;

class QuotesTcpClient : public QObject {
    Q_OBJECT
public:
    // Codes the table holds at most. Real markets have a few tens of thousands; a server that
    // keeps sending new codes stops costing memory here, and later codes are not stored.
    static constexpr int kMaxQuoteCodes = 100000;

    explicit QuotesTcpClient(QObject *parent = nullptr);
    ~QuotesTcpClient() override;

    void readConfig();
    void initTcpConnect();
    void printMdInfo(const ClientSecurityMarketDataLevel1 &rec);

    // Safe from any thread.
    ClientSecurityMarketDataLevel1 lookupQuote(QString code) const;
    QMap<QString, ClientSecurityMarketDataLevel1> quoteTable() const;

    // Test seam: shorter connect wait and reconnect interval. Call before slot_start.
    void setTimingForTest(int connectWaitMs, int reconnectIntervalMs);
    // The reconnect timer (null until slot_start) and the limit of one connect attempt.
    QTimer *reconnectTimer() const { return mReconnectTimer; }
    QTimer *connectLimitTimer() const { return mConnectLimit; }

    // Running totals of the ingest, readable from any thread.
    qint64 bytesReceived() const { return mBytesReceived.loadRelaxed(); }
    qint64 framesStored() const { return mFramesStored.loadRelaxed(); }
    qint64 headersSkipped() const { return mHeadersSkipped.loadRelaxed(); }
    // Frames not stored because their code would have made the table exceed kMaxQuoteCodes.
    qint64 framesRefused() const { return mFramesRefused.loadRelaxed(); }

public slots:
    void slot_start();
    void slot_read();
    void slot_disconnect();
    void slot_reConnect();

private:
    using QuoteMap = QMap<QString, ClientSecurityMarketDataLevel1>;

    // The slot of the code in a record's bytes, -1 when the table is full.
    int slotOf(const char *record);
    void growIdIndex();
    void publish();
    void schedulePublish();
    void onConnectAttemptEnded();

    QString mIp;
    int mSwitch = 0;
    int mPrintMD = 0;
    int mPort = 0;
    QTcpSocket *mSocket = nullptr;
    bool mConnected = false;
    bool mConnecting = false;  // an attempt is under way
    QTimer *mConnectLimit = nullptr;
    int mHeaderSize = kMdHeaderSize;
    int mRecordSize = kMdRecordSize;
    QTimer *mReconnectTimer = nullptr;
    int mReconnectInterval = 5000;
    int mConnectWait = 30000;

    MdFrameParser mParser;
    QByteArray mPending;  // bytes of an incomplete frame, kept for the next read

    // The latest record of every code, kept by the client's thread alone: one slot per code,
    // found by the raw id without building a string per frame.
    std::vector<ClientSecurityMarketDataLevel1> mSlots;
    // Open addressing, power-of-two size, at most half full: a node-based hash map's lookup was
    // the largest single cost of the ingest.
    struct IdEntry {
        MdFrameParser::IdKey id;
        int slot;  // -1: free
    };
    std::vector<IdEntry> mSlotById;
    int mIdCount = 0;
    QMap<QString, int> mSlotByCode;
    bool mFullWarned = false;

    // Two tables take turns: readers copy the implicitly-shared handle of the published one
    // (constant time) or one record of it under the lock; the client's thread brings the other
    // one up to date outside the lock and swaps the two under it.
    QuoteMap mQuoteTable;
    mutable std::mutex mQuoteTableLock;
    QuoteMap mBackTable;
    QTimer *mPublishTimer = nullptr;
    QElapsedTimer mSincePublish;
    bool mDirty = false;

    QAtomicInteger<qint64> mBytesReceived{0};
    QAtomicInteger<qint64> mFramesStored{0};
    QAtomicInteger<qint64> mHeadersSkipped{0};
    QAtomicInteger<qint64> mFramesRefused{0};
};

#endif  // QUOTES_TCP_CLIENT_H
