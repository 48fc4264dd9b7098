// Callback bridge: callbacks fired on a thread of the gateway double reach receivers on the
// GUI thread, queued, with their own copies of the records; login state machine; onApiMsg.
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "log_capture.h"
#include "qeto_gate_fake.h"
#include "spi_answers.h"
#include "utils/api_client_utils.h"
#include "utils/signal_interface.h"

namespace {

using LogLine = LogCapture::Line;
std::unique_ptr<LogCapture> gCapture;

QList<LogLine> logLines() { return gCapture->lines(); }

void clearLog() { gCapture->clear(); }

bool logged(QtMsgType type, const QString &text) {
    for (const LogLine &l : logLines())
        if (l.type == type && l.text == text) return true;
    return false;
}

int loggedCount(const QString &text) {
    int n = 0;
    for (const LogLine &l : logLines()) n += l.text == text;
    return n;
}

template <typename T>
void fillPattern(T &rec, unsigned char seed) {
    auto *b = reinterpret_cast<unsigned char *>(&rec);
    for (size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<unsigned char>(seed + i * 7);
}

template <typename T>
bool samePattern(const T &rec, unsigned char seed) {
    T expected;
    fillPattern(expected, seed);
    return std::memcmp(&rec, &expected, sizeof(T)) == 0;
}

// Fires an answer callback on the double's thread with a record that the "library" overwrites
// as soon as the callback returns; the receiver on the GUI thread must still see the original.
template <typename Rec, typename Callback>
void checkAnswerDelivery(Callback SpiCallbackTable::*slot,
                         void (SignalInterface::*signal)(const Rec &, const CQetoRspInfo &, int, bool),
                         const QString &logName) {
    QObject receiver;
    bool received = false;
    Rec gotRec;
    CQetoRspInfo gotInfo;
    int gotId = 0;
    bool gotLast = false;
    QThread *gotThread = nullptr;
    QObject::connect(SignalInterface::instance(), signal, &receiver,
                     [&](const Rec &r, const CQetoRspInfo &i, int id, bool last) {
                         gotRec = r;
                         gotInfo = i;
                         gotId = id;
                         gotLast = last;
                         gotThread = QThread::currentThread();
                         received = true;
                     });
    clearLog();
    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) {
        Rec rec;
        CQetoRspInfo info;
        CQetoSessionInfo session;
        fillPattern(rec, 11);
        fillPattern(info, 29);
        fillPattern(session, 3);
        (t.*slot)(&rec, &info, &session, 77, true);
        std::memset(&rec, 0xEE, sizeof rec);
        std::memset(&info, 0xEE, sizeof info);
    });
    QTRY_VERIFY(received);
    QCOMPARE(gotThread, QThread::currentThread());
    QVERIFY(samePattern(gotRec, 11));
    QVERIFY(samePattern(gotInfo, 29));
    QCOMPARE(gotId, 77);
    QCOMPARE(gotLast, true);
    QVERIFY(logged(QtInfoMsg, logName));
}

template <typename Rec, typename Callback>
void fireLogOnly(Callback SpiCallbackTable::*slot) {
    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) {
        Rec rec;
        CQetoRspInfo info;
        CQetoSessionInfo session;
        fillPattern(rec, 1);
        fillPattern(info, 2);
        fillPattern(session, 3);
        (t.*slot)(&rec, &info, &session, 1, true);
    });
}

void fireLoginAnswer(uint32_t errorId, uint32_t sessionId, uint32_t maxLocalId, const QByteArray &rspCode) {
    answerLogin(errorId, "refused", sessionId, maxLocalId, rspCode, 1);
}

}  // namespace

class TestApiClientUtils : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void answerDelivery_data();
    void answerDelivery();
    void fundAnswerDropsResponseInfo();
    void logOnlyCallbacks_data();
    void logOnlyCallbacks();
    void loginAnswer_data();
    void loginAnswer();
    void loginAnswerReadsBoundedTexts();
    void disconnectAndLogout_data();
    void disconnectAndLogout();
    void reconnectAfterDisconnectIgnoresAnswer();
    void apiMsg_data();
    void apiMsg();
    void concurrentCallbacksAllDelivered();
    void fakeRecordsCalls();
};

void TestApiClientUtils::initTestCase() {
    ApiClientUtils::initSpi();
    ApiClientUtils::initSpi();  // idempotent
    gCapture.reset(new LogCapture);
}

void TestApiClientUtils::cleanupTestCase() { gCapture.reset(); }

void TestApiClientUtils::init() {
    qeto::fake::reset();
    registerSpi(ApiClientUtils::spiTable(), ApiClientUtils::mEntryNo);
    ApiClientUtils::CanSendLogin = 2;
    clearLog();
}

using DeliveryCheck = std::function<void()>;

// Each answer callback with its signal; the bridge logs the callback's name.
#define DELIVERY_ROW(callback, signal)  \
    QPair<const char *, DeliveryCheck>( \
        #callback,                      \
        DeliveryCheck([] { checkAnswerDelivery(&SpiCallbackTable::callback, &SignalInterface::signal, #callback); }))

static const QList<QPair<const char *, DeliveryCheck>> &deliveryRows() {
    static const QList<QPair<const char *, DeliveryCheck>> rows = {
        DELIVERY_ROW(onRspUpdatePwd, signal_rspUpdatePwd),
        DELIVERY_ROW(onRspInsertOrder, signal_rspInsertOrder),
        DELIVERY_ROW(onErrRtnInsertOrder, signal_rspErrInsertOrder),
        DELIVERY_ROW(onRspCancelOrder, signal_rspCancelOrder),
        DELIVERY_ROW(onRtnOrder, signal_rtnOrder),
        DELIVERY_ROW(onRspQryOrder, signal_rspQryOrder),
        DELIVERY_ROW(onRspQryTrade, signal_rspQryTrade),
        DELIVERY_ROW(onRspQryPosition, signal_rspQryPosition),
        DELIVERY_ROW(onRspBTFundTransfer, signal_rspBTFundTransfer),
        DELIVERY_ROW(onRtnBTFundTransfer, signal_rtnBTFundTransfer),
        DELIVERY_ROW(onRspQryBTFundTransferRecord, signal_rspQryBTFundTransferRecord),
        DELIVERY_ROW(onRspInFund, signal_rspInFund),
        DELIVERY_ROW(onRspOutFund, signal_rspOutFund),
        DELIVERY_ROW(onRspQryInOutFundRecord, signal_rspQryInOutFundRecord),
    };
    return rows;
}
#undef DELIVERY_ROW

void TestApiClientUtils::answerDelivery_data() {
    QTest::addColumn<int>("row");
    for (int i = 0; i < deliveryRows().size(); ++i) QTest::newRow(deliveryRows().at(i).first) << i;
}

void TestApiClientUtils::answerDelivery() {
    QFETCH(int, row);
    deliveryRows().at(row).second();
}

void TestApiClientUtils::fundAnswerDropsResponseInfo() {
    QObject receiver;
    bool received = false;
    CQetoRspQryStockClientAccountField got;
    connect(SignalInterface::instance(), &SignalInterface::signal_personalInfo, &receiver,
            [&](const CQetoRspQryStockClientAccountField &f) {
                got = f;
                received = true;
            });
    qeto::fake::fireOnThread([](const SpiCallbackTable &t) {
        CQetoRspQryStockClientAccountField rec;
        CQetoRspInfo info;
        CQetoSessionInfo session{};
        fillPattern(rec, 5);
        std::memset(&info, 0, sizeof info);
        info.ErrorID = 3001;  // an error answer still carries the record's values
        t.onRspQryFund(&rec, &info, &session, 9, true);
        std::memset(&rec, 0, sizeof rec);
    });
    QTRY_VERIFY(received);
    QVERIFY(samePattern(got, 5));
    QVERIFY(logged(QtInfoMsg, "onRspQryFund"));
}

void TestApiClientUtils::logOnlyCallbacks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("level");
    QTest::newRow("onMsgArrivalStatus") << "onMsgArrivalStatus" << int(QtWarningMsg);
    QTest::newRow("onErrRtnCancelOrder") << "onErrRtnCancelOrder" << int(QtInfoMsg);
    QTest::newRow("onRtnTrade") << "onRtnTrade" << int(QtInfoMsg);
    QTest::newRow("onRspQryRate") << "onRspQryRate" << int(QtInfoMsg);
    QTest::newRow("onRspQrySecurities") << "onRspQrySecurities" << int(QtInfoMsg);
    QTest::newRow("onRspQryRightsAndInterests") << "onRspQryRightsAndInterests" << int(QtInfoMsg);
    QTest::newRow("onRspQryInvestorInfo") << "onRspQryInvestorInfo" << int(QtInfoMsg);
}

void TestApiClientUtils::logOnlyCallbacks() {
    QFETCH(QString, name);
    QFETCH(int, level);
    if (name == "onMsgArrivalStatus") {
        qeto::fake::fireOnThread([](const SpiCallbackTable &t) {
            CQetoRspInfo info{};
            CQetoSessionInfo session{};
            t.onMsgArrivalStatus('1', &info, &session, 1, true);
        });
    } else if (name == "onErrRtnCancelOrder") {
        fireLogOnly<CQetoRspOrderActionField>(&SpiCallbackTable::onErrRtnCancelOrder);
    } else if (name == "onRtnTrade") {
        fireLogOnly<CQetoRtnTradeField>(&SpiCallbackTable::onRtnTrade);
    } else if (name == "onRspQryRate") {
        fireLogOnly<CQetoRspQryStockFeeField>(&SpiCallbackTable::onRspQryRate);
    } else if (name == "onRspQrySecurities") {
        fireLogOnly<CQetoRspQryStockSecuritiesField>(&SpiCallbackTable::onRspQrySecurities);
    } else if (name == "onRspQryRightsAndInterests") {
        fireLogOnly<CQetoRspQryStockQuotaField>(&SpiCallbackTable::onRspQryRightsAndInterests);
    } else {
        fireLogOnly<CQetoRspQryInvestorInfoField>(&SpiCallbackTable::onRspQryInvestorInfo);
    }
    QVERIFY(logged(QtMsgType(level), name));
}

void TestApiClientUtils::loginAnswer_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<uint>("errorId");
    QTest::addColumn<bool>("expectSuccess");
    QTest::addColumn<bool>("expectError");
    QTest::addColumn<int>("finalState");

    QTest::newRow("awaited, accepted") << 2 << 0u << true << false << 3;
    QTest::newRow("awaited, refused: stays 2") << 2 << 1003u << false << true << 2;
    QTest::newRow("disconnected: ignored") << 1 << 0u << false << false << 1;
    QTest::newRow("disconnected, refused: ignored") << 1 << 1003u << false << false << 1;
    QTest::newRow("second success: ignored") << 3 << 0u << false << false << 3;
}

void TestApiClientUtils::loginAnswer() {
    QFETCH(int, state);
    QFETCH(uint, errorId);
    QFETCH(bool, expectSuccess);
    QFETCH(bool, expectError);
    QFETCH(int, finalState);

    ApiClientUtils::CanSendLogin = state;
    ApiClientUtils::mAccountSessionId = 1;
    ApiClientUtils::mMaxUserLocalId = 1;
    ApiClientUtils::mLoginRspCode = QStringLiteral("old");

    QObject receiver;
    int successes = 0;
    QList<uint> errors;
    connect(SignalInterface::instance(), &SignalInterface::signal_rspSuccessLogin, &receiver, [&] { ++successes; });
    connect(SignalInterface::instance(), &SignalInterface::signal_rspErrorLogin, &receiver,
            [&](const CQetoRspInfo &i) { errors << i.ErrorID; });
    // A marker emitted after the answer: once it arrives, every earlier queued signal has too.
    bool marker = false;
    connect(SignalInterface::instance(), &SignalInterface::signal_clicketOrder, &receiver, [&] { marker = true; });

    fireLoginAnswer(errorId, 4242, 41, "SH01");
    qeto::fake::fireOnThread(
        [](const SpiCallbackTable &) { emit SignalInterface::instance()->signal_clicketOrder("x"); });
    QTRY_VERIFY(marker);

    QCOMPARE(successes, expectSuccess ? 1 : 0);
    QCOMPARE(errors.size(), expectError ? 1 : 0);
    QCOMPARE(ApiClientUtils::CanSendLogin.load(), finalState);
    QCOMPARE(loggedCount("onRspLogin"), state == 2 ? 1 : 0);
    if (expectSuccess) {
        QCOMPARE(ApiClientUtils::mAccountSessionId.load(), 4242u);
        QCOMPARE(ApiClientUtils::mMaxUserLocalId.load(), 41u);
        QCOMPARE(ApiClientUtils::mMaxUserLocalId + 1, 42u);  // the first order of the session
        QCOMPARE(ApiClientUtils::mLoginRspCode.value(), QStringLiteral("SH01"));
        QVERIFY(logged(QtInfoMsg, "now can use order interface"));
        QVERIFY(logged(QtInfoMsg, "AccountSessionId is : 4242"));
        QVERIFY(logged(QtInfoMsg, "MaxUserLocalID is 41"));
    } else {
        QCOMPARE(ApiClientUtils::mAccountSessionId.load(), 1u);
        QCOMPARE(ApiClientUtils::mLoginRspCode.value(), QStringLiteral("old"));
    }
    if (expectError) {
        QCOMPARE(errors.first(), errorId);
        QVERIFY(logged(QtWarningMsg, QString("login error,ErrID[%1],ErrMsg[refused]").arg(errorId)));
    }
}

void TestApiClientUtils::loginAnswerReadsBoundedTexts() {
    // Texts that fill their fields without a terminating zero, in buffers of exactly the
    // record's size (an overrun shows up under the address sanitizer and in the texts).
    auto *rsp = new GatewayUserRspLoginField;
    std::memset(rsp, 'Z', sizeof *rsp);
    std::memcpy(rsp->LoginRspCode, "ABCDEFGHIJ", 10);
    rsp->MaxUserLocalID = 0x29292929;  // ')))))' would show up after an unbounded read
    auto *info = new CQetoRspInfo;
    info->ErrorID = 0;
    std::memset(info->ErrorMsg, 'x', sizeof info->ErrorMsg);
    CQetoSessionInfo session{};
    session.AccountSessionID = 7;

    QObject receiver;
    bool ok = false;
    connect(SignalInterface::instance(), &SignalInterface::signal_rspSuccessLogin, &receiver, [&] { ok = true; });
    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) { t.onRspLogin(rsp, info, &session, 1, true); });
    QTRY_VERIFY(ok);
    QCOMPARE(ApiClientUtils::mLoginRspCode.value(), QStringLiteral("ABCDEFGHIJ"));

    // Refused answer whose 81-byte text has no terminating zero.
    ApiClientUtils::CanSendLogin = 2;
    info->ErrorID = 12;
    CQetoRspInfo got{};
    bool refused = false;
    connect(SignalInterface::instance(), &SignalInterface::signal_rspErrorLogin, &receiver, [&](const CQetoRspInfo &i) {
        got = i;
        refused = true;
    });
    clearLog();
    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) { t.onRspLogin(rsp, info, &session, 1, true); });
    QTRY_VERIFY(refused);
    QCOMPARE(std::memcmp(&got, info, sizeof got), 0);
    QVERIFY(logged(QtWarningMsg, "login error,ErrID[12],ErrMsg[" + QString(81, 'x') + "]"));
    delete rsp;
    delete info;
}

void TestApiClientUtils::disconnectAndLogout_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("logout");
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("logText");

    QTest::newRow("disconnect while logged in") << 3 << false << 0x1001 << "onFrontDisconnected";
    QTest::newRow("disconnect while awaiting answer") << 2 << false << 4 << "onFrontDisconnected";
    QTest::newRow("logout") << 3 << true << 1 << "onRspLogout";
}

void TestApiClientUtils::disconnectAndLogout() {
    QFETCH(int, state);
    QFETCH(bool, logout);
    QFETCH(int, reason);
    QFETCH(QString, logText);

    ApiClientUtils::CanSendLogin = state;
    QObject receiver;
    QList<int> reasons;
    QThread *thread = nullptr;
    connect(SignalInterface::instance(), &SignalInterface::signal_onFrontDisconnected, &receiver, [&](int r) {
        reasons << r;
        thread = QThread::currentThread();
    });
    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) {
        if (logout) {
            CQetoRspUserLogoutField rec{};
            CQetoRspInfo info{};
            CQetoSessionInfo session{};
            t.onRspLogout(&rec, &info, &session, 3, true);
        } else {
            t.onFrontDisconnected(reason);
        }
    });
    QTRY_COMPARE(reasons.size(), 1);
    QCOMPARE(reasons.first(), reason);
    QCOMPARE(thread, QThread::currentThread());
    QCOMPARE(ApiClientUtils::CanSendLogin.load(), 1);
    QVERIFY(logged(QtWarningMsg, logText));
}

void TestApiClientUtils::reconnectAfterDisconnectIgnoresAnswer() {
    ApiClientUtils::CanSendLogin = 3;
    QObject receiver;
    int loginRequests = 0;
    int successes = 0;
    connect(SignalInterface::instance(), &SignalInterface::signal_sendLoginRequest, &receiver,
            [&] { ++loginRequests; });
    connect(SignalInterface::instance(), &SignalInterface::signal_rspSuccessLogin, &receiver, [&] { ++successes; });

    qeto::fake::fireOnThread([](const SpiCallbackTable &t) {
        t.onFrontDisconnected(0);
        t.onFrontConnect();
    });
    QTRY_COMPARE(loginRequests, 1);
    QVERIFY(logged(QtInfoMsg, "onFrontConnect"));
    fireLoginAnswer(0, 99, 5, "X");
    bool marker = false;
    connect(SignalInterface::instance(), &SignalInterface::signal_clicketOrder, &receiver, [&] { marker = true; });
    qeto::fake::fireOnThread(
        [](const SpiCallbackTable &) { emit SignalInterface::instance()->signal_clicketOrder("x"); });
    QTRY_VERIFY(marker);
    QCOMPARE(successes, 0);
    QCOMPARE(ApiClientUtils::CanSendLogin.load(), 1);
}

void TestApiClientUtils::apiMsg_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QByteArray>("argument");  // expands "%s" in "x=%d%s"
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("expected");

    const QByteArray longText(5000, 'a');
    const QString cut = QString("x=5") + QString(2047 - 3, 'a');
    QTest::newRow("level 0: info") << 0 << QByteArray("") << int(QtInfoMsg) << "x=5";
    QTest::newRow("level 3: warning") << 3 << QByteArray("") << int(QtWarningMsg) << "Error:x=5";
    QTest::newRow("level -1: warning") << -1 << QByteArray(" up") << int(QtWarningMsg) << "Error:x=5 up";
    QTest::newRow("5000 chars cut, info") << 0 << longText << int(QtInfoMsg) << cut;
    QTest::newRow("5000 chars cut, warning") << 3 << longText << int(QtWarningMsg) << "Error:" + cut;
}

void TestApiClientUtils::apiMsg() {
    QFETCH(int, level);
    QFETCH(QByteArray, argument);
    QFETCH(int, type);
    QFETCH(QString, expected);

    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) { t.onApiMsg(level, "x=%d%s", 5, argument.constData()); });
    const QList<LogLine> lines = logLines();
    QCOMPARE(lines.size(), 1);
    QCOMPARE(int(lines.first().type), type);
    QCOMPARE(lines.first().text, expected);
}

void TestApiClientUtils::concurrentCallbacksAllDelivered() {
    // Several library threads answering at once: every answer arrives, none is torn.
    QObject receiver;
    QList<int> ids;
    bool intact = true;
    connect(SignalInterface::instance(), &SignalInterface::signal_rspQryOrder, &receiver,
            [&](const CQetoRspQryOrderField &r, const CQetoRspInfo &, int id, bool) {
                ids << id;
                intact = intact && samePattern(r, static_cast<unsigned char>(id));
            });
    const int threads = 4;
    const int perThread = 200;
    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) {
        std::vector<std::thread> workers;
        for (int w = 0; w < threads; ++w) {
            workers.emplace_back([&t, w] {
                for (int i = 0; i < perThread; ++i) {
                    const int id = w * perThread + i;
                    CQetoRspQryOrderField rec;
                    CQetoRspInfo info{};
                    CQetoSessionInfo session{};
                    fillPattern(rec, static_cast<unsigned char>(id));
                    t.onRspQryOrder(&rec, &info, &session, id, i == perThread - 1);
                }
            });
        }
        for (std::thread &w : workers) w.join();
    });
    QTRY_COMPARE(ids.size(), threads * perThread);
    QVERIFY(intact);
    std::sort(ids.begin(), ids.end());
    for (int i = 0; i < ids.size(); ++i) QCOMPARE(ids.at(i), i);
}

void TestApiClientUtils::fakeRecordsCalls() {
    qeto::fake::reset();
    QVERIFY(!qeto::fake::hasTable());
    QCOMPARE(createTraderApi(0), 0);
    qeto::fake::setResult("createTraderApi", -2);
    QCOMPARE(createTraderApi(0), -2);
    qeto::fake::setResult("reqQryOrder", 3);

    CQetoReqQryOrderField req{};
    req.OrderSysID = 12345;
    QCOMPARE(reqQryOrder(&req, 4242, 8, 0), 3);
    req.OrderSysID = 1;  // the double keeps its own copy
    QCOMPARE(qeto::fake::lastRecord<CQetoReqQryOrderField>("reqQryOrder").OrderSysID, 12345u);
    const std::vector<qeto::fake::Call> qry = qeto::fake::callsOf("reqQryOrder");
    QCOMPARE(qry.size(), size_t(1));
    QCOMPARE(qry.front().sessionId, 4242u);
    QCOMPARE(qry.front().requestId, 8);

    CQetoReqOrderInsertField order{};
    order.UserLocalID = 42;
    QCOMPARE(reqInsertOrder(&order, ApiClientUtils::mOpaqueBlock, 1, 2, 0), 0);
    const qeto::fake::Call insert = qeto::fake::callsOf("reqInsertOrder").back();
    QCOMPARE(insert.extra.size(), size_t(128));
    QCOMPARE(qeto::fake::lastRecord<CQetoReqOrderInsertField>("reqInsertOrder").UserLocalID, 42u);

    char version[4];
    getVersion(version, sizeof version);
    QCOMPARE(std::strlen(version), size_t(3));

    const std::vector<std::string> names = qeto::fake::callNames();
    const std::vector<std::string> expected = {"createTraderApi", "createTraderApi", "reqQryOrder", "reqInsertOrder",
                                               "getVersion"};
    QVERIFY(names == expected);
}

QTEST_GUILESS_MAIN(TestApiClientUtils)
#include "tst_api_client_utils.moc"
