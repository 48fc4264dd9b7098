// Record layouts checked at run time by writing fields and looking at the bytes, the
// bounded text helpers, and the registration of every record type that travels queued.
#include <QtTest>
#include <cstring>
#include <vector>

#include "utils/api_client_utils.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"

namespace {

// Offset and width of a field, found by writing 0xFF into it inside a zeroed record.
template <typename T, typename F>
QPair<int, int> probe(F T::*field) {
    std::vector<unsigned char> raw(sizeof(T), 0);
    T *rec = reinterpret_cast<T *>(raw.data());
    std::memset(&(rec->*field), 0xFF, sizeof(F));
    int first = -1;
    int count = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == 0xFF) {
            if (first < 0) first = int(i);
            ++count;
        }
    }
    return qMakePair(first, count);
}

}  // namespace

class TestRecords : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void numbersAreLittleEndian();
    void fieldBytes_data();
    void fieldBytes();
    void setField_data();
    void setField();
    void metaTypes_data();
    void metaTypes();
};

#define QETO_ROW(T, f, size, off, width)                                                                  \
    do {                                                                                                  \
        const QPair<int, int> p = probe(&T::f);                                                           \
        QTest::newRow(#T "::" #f) << int(sizeof(T)) << (size) << p.first << (off) << p.second << (width); \
    } while (0)

void TestRecords::layout_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("expectedSize");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("expectedOffset");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("expectedWidth");

    QETO_ROW(CQetoRspInfo, ErrorID, 85, 0, 4);
    QETO_ROW(CQetoRspInfo, ErrorMsg, 85, 4, 81);
    QETO_ROW(CQetoSessionInfo, AccountSessionID, int(sizeof(CQetoSessionInfo)), 0, 4);
    QETO_ROW(GatewayUserRspLoginField, LoginRspCode, int(sizeof(GatewayUserRspLoginField)), 20, 10);
    QETO_ROW(GatewayUserRspLoginField, MaxUserLocalID, int(sizeof(GatewayUserRspLoginField)), 30, 4);
    QETO_ROW(GatewayUserReqLoginField, AccountID, 65, 0, 18);
    QETO_ROW(GatewayUserReqLoginField, Password, 65, 18, 10);
    QETO_ROW(GatewayUserReqLoginField, BranchID, 65, 28, 6);
    QETO_ROW(GatewayUserReqLoginField, ExchangeCode, 65, 34, 1);
    QETO_ROW(GatewayUserReqLoginField, OperWay, 65, 35, 1);
    QETO_ROW(GatewayUserReqLoginField, AppID, 65, 36, 29);
    QETO_ROW(GatewayTerminalInfoField, MacAddr, 110, 0, 19);
    QETO_ROW(GatewayTerminalInfoField, HostName, 110, 89, 21);
    QETO_ROW(GatewayStartApiField, ConfigFilePath, 4188, 0, 4096);
    QETO_ROW(GatewayStartApiField, Reserved4180, 4188, 4180, 4);
    QETO_ROW(CQetoReqOrderInsertField, Price, 48, 14, 8);
    QETO_ROW(CQetoReqOrderInsertField, Remark, 48, 32, 16);
    QETO_ROW(CQetoRspOrderInsertField, UserLocalID, 100, 0, 4);
    QETO_ROW(CQetoRtnOrderField, OrderText, 240, 122, 118);
    QETO_ROW(CQetoReqOrderActionField, ActionFlag, 48, 41, 1);
    QETO_ROW(CQetoRspOrderActionField, OrderSysID, 100, 4, 4);
    QETO_ROW(CQetoRspQryOrderField, OrderNo, 272, 168, 10);
    QETO_ROW(CQetoRspQryOrderField, TradeAmount, 272, 217, 8);
    QETO_ROW(CQetoRspQryTradeField, OrderNo, 259, 155, 10);
    QETO_ROW(CQetoRspQryTradeField, MoreData, 259, 186, 1);
    QETO_ROW(CQetoRspQryStockPositionField, AvailableVolume, 255, 136, 4);
    QETO_ROW(CQetoRspQryStockClientAccountField, StartWithdrawableCash, 224, 154, 8);
    QETO_ROW(CQetoRspCapTransferField, ErrorCode, 136, 72, 4);
    QETO_ROW(CQetoRspQryCapTransferRecordField, OperTime, 105, 32, 32);
    QETO_ROW(CQetoRspQryBTCapTransferManagerField, TransferStatus, 113, 46, 1);
    QETO_ROW(CQetoRspBTCapTransferManagerField, LoginRspCode, 96, 0, 4);
    QETO_ROW(CQetoRtnBtCapTransferManagerField, LoginRspCode, 97, 0, 4);
    QETO_ROW(CQetoRspUserPasswordUpdateField, OldPassword, 99, 25, 10);
    QETO_ROW(CQetoRspQryStockSecuritiesField, SecurityID, 280, 0, 9);
}
#undef QETO_ROW

void TestRecords::layout() {
    QFETCH(int, size);
    QFETCH(int, expectedSize);
    QFETCH(int, offset);
    QFETCH(int, expectedOffset);
    QFETCH(int, width);
    QFETCH(int, expectedWidth);
    QCOMPARE(size, expectedSize);
    QCOMPARE(offset, expectedOffset);
    QCOMPARE(width, expectedWidth);
}

void TestRecords::numbersAreLittleEndian() {
    GatewayUserRspLoginField rsp;
    std::memset(&rsp, 0, sizeof rsp);
    rsp.MaxUserLocalID = 0x04030201;
    const auto *b = reinterpret_cast<const unsigned char *>(&rsp);
    QCOMPARE(int(b[30]), 1);
    QCOMPARE(int(b[33]), 4);

    CQetoReqOrderInsertField order;
    std::memset(&order, 0, sizeof order);
    order.Price = 1.0;  // IEEE 754: 3F F0 00 .. in little-endian order
    const auto *o = reinterpret_cast<const unsigned char *>(&order);
    QCOMPARE(int(o[14 + 7]), 0x3F);
    QCOMPARE(int(o[14 + 6]), 0xF0);
}

void TestRecords::fieldBytes_data() {
    QTest::addColumn<QByteArray>("raw");  // exactly the 10 bytes of the field
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("short, terminated") << QByteArray("AB\0\0\0\0\0\0\0\0", 10) << QByteArray("AB");
    QTest::newRow("full, no terminator") << QByteArray("ABCDEFGHIJ") << QByteArray("ABCDEFGHIJ");
    QTest::newRow("empty") << QByteArray(10, '\0') << QByteArray();
    QTest::newRow("stops at first NUL") << QByteArray("A\0C\0\0\0\0\0\0\0", 10) << QByteArray("A");
    QTest::newRow("high bytes kept") << QByteArray("\xff\xfe\0\0\0\0\0\0\0\0", 10) << QByteArray("\xff\xfe");
}

void TestRecords::fieldBytes() {
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, expected);
    QCOMPARE(raw.size(), 10);
    // The field sits right before other data that must never be read into the text.
    GatewayUserRspLoginField rsp;
    std::memset(&rsp, '!', sizeof rsp);
    std::memcpy(rsp.LoginRspCode, raw.constData(), 10);
    QCOMPARE(RecordText::fieldBytes(rsp.LoginRspCode), expected);
    // A heap buffer of exactly the field's width: an overrun is caught by the sanitizer.
    std::vector<char> exact(raw.constData(), raw.constData() + 10);
    QCOMPARE(RecordText::fieldBytes(exact.data(), 10), expected);
}

void TestRecords::setField_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");  // the 10 bytes of the field afterwards
    QTest::newRow("short text zero-padded") << QByteArray("123") << QByteArray("123\0\0\0\0\0\0\0", 10);
    QTest::newRow("full field, no terminator") << QByteArray("1234567890") << QByteArray("1234567890");
    QTest::newRow("longer text cut") << QByteArray("1234567890XYZ") << QByteArray("1234567890");
    QTest::newRow("empty clears old bytes") << QByteArray() << QByteArray(10, '\0');
}

void TestRecords::setField() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    GatewayUserReqLoginField login;
    std::memset(&login, 'q', sizeof login);
    RecordText::setField(login.Password, text);
    QCOMPARE(QByteArray(login.Password, 10), expected);
    QCOMPARE(QByteArray(login.AccountID, 18), QByteArray(18, 'q'));  // neighbours untouched
    QCOMPARE(QByteArray(login.BranchID, 6), QByteArray(6, 'q'));
}

void TestRecords::metaTypes_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("size");
    QTest::newRow("CQetoRspInfo") << QByteArray("CQetoRspInfo") << 85;
    QTest::newRow("CQetoRspQryStockClientAccountField") << QByteArray("CQetoRspQryStockClientAccountField") << 224;
    QTest::newRow("CQetoRspQryStockPositionField") << QByteArray("CQetoRspQryStockPositionField") << 255;
    QTest::newRow("CQetoRspQryTradeField") << QByteArray("CQetoRspQryTradeField") << 259;
    QTest::newRow("CQetoRspQryStockSecuritiesField") << QByteArray("CQetoRspQryStockSecuritiesField") << 280;
    QTest::newRow("CQetoRspQryOrderField") << QByteArray("CQetoRspQryOrderField") << 272;
    QTest::newRow("CQetoRspQryCapTransferRecordField") << QByteArray("CQetoRspQryCapTransferRecordField") << 105;
    QTest::newRow("CQetoRspCapTransferField") << QByteArray("CQetoRspCapTransferField") << 136;
    QTest::newRow("CQetoRspQryBTCapTransferManagerField") << QByteArray("CQetoRspQryBTCapTransferManagerField") << 113;
    QTest::newRow("CQetoRspOrderActionField") << QByteArray("CQetoRspOrderActionField") << 100;
    QTest::newRow("CQetoRspOrderInsertField") << QByteArray("CQetoRspOrderInsertField") << 100;
    QTest::newRow("CQetoRtnOrderField") << QByteArray("CQetoRtnOrderField") << 240;
    QTest::newRow("CQetoRspUserPasswordUpdateField") << QByteArray("CQetoRspUserPasswordUpdateField") << 99;
    QTest::newRow("CQetoRspBTCapTransferManagerField") << QByteArray("CQetoRspBTCapTransferManagerField") << 96;
    QTest::newRow("CQetoRtnBtCapTransferManagerField") << QByteArray("CQetoRtnBtCapTransferManagerField") << 97;
    QTest::newRow("LoginStatus") << QByteArray("LoginStatus") << int(sizeof(LoginStatus));
}

void TestRecords::metaTypes() {
    QFETCH(QByteArray, name);
    QFETCH(int, size);
    // Creating the hub registers every type that its signals carry across threads.
    QVERIFY(SignalInterface::instance());
    const int id = QMetaType::type(name.constData());
    QVERIFY2(id != QMetaType::UnknownType, name.constData());
    QCOMPARE(QMetaType::sizeOf(id), size);
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
