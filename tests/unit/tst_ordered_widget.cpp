// Order table: request bytes, paging, follow-up queries, cell texts, ticking and cancels,
// failure boxes and the full export. Answers come from a thread of the gateway double.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTableWidgetItem>
#include <QTemporaryDir>
#include <QTime>
#include <QtTest>
#include <cstring>
#include <memory>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "constants.h"
#include "exported_csv.h"
#include "local_text.h"
#include "log_capture.h"
#include "modal_box.h"
#include "qeto_gate_fake.h"
#include "spi_answers.h"
#include "table_gestures.h"
#include "user/queryWindow/ordered_widget.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"

namespace {

CQetoRspQryOrderField order(uint32_t sysId, uint16_t errorCode = 0) {
    CQetoRspQryOrderField f;
    std::memset(&f, 0, sizeof f);
    f.OrderSysID = sysId;
    f.ErrorCode = errorCode;
    const QByteArray no = QByteArray::number(sysId).rightJustified(10, '0');
    std::memcpy(f.OrderNo, no.constData(), sizeof f.OrderNo);
    return f;
}

// Answers the records in order; the last one carries bIsLast unless `last` is false.
void answerRecords(const QList<CQetoRspQryOrderField> &records, bool last = true) {
    answerEach(&SpiCallbackTable::onRspQryOrder, records, last);
}

// `count` records numbered from `firstId`; the last one holds the continuation fields.
void answerOrders(int count, uint32_t firstId = 1, bool last = true, uint8_t more = 0, int32_t position = 0) {
    QList<CQetoRspQryOrderField> records;
    for (int i = 0; i < count; ++i) records.append(order(firstId + static_cast<uint32_t>(i)));
    records.last().MoreData = more;
    records.last().Position = position;
    answerRecords(records, last);
}

void answerCancels(int count, uint32_t errorId = 0, const char *msg = "") {
    qeto::fake::fireOnThread([=](const SpiCallbackTable &t) {
        CQetoSessionInfo session;
        std::memset(&session, 0, sizeof session);
        CQetoRspInfo i = rspInfo(errorId, msg);
        for (int n = 0; n < count; ++n) {
            CQetoRspOrderActionField f;
            std::memset(&f, 0, sizeof f);
            t.onRspCancelOrder(&f, &i, &session, n, true);
        }
    });
}

// fireOnThread returns once the thread has posted everything; this delivers it.
void deliver() { QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); }

QByteArray bytesOf(const qeto::fake::Call &c) {
    return QByteArray(reinterpret_cast<const char *>(c.record.data()), static_cast<int>(c.record.size()));
}

}  // namespace

class TstOrderedWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void requestBytes_data();
    void requestBytes();
    void paging_data();
    void paging();
    void rowsOnlyAtPageOrLast();
    void followUp_data();
    void followUp();
    void firstRequestFails();
    void errorAnswer();
    void cellTexts_data();
    void cellTexts();
    void rejectedOrderCannotBeTicked();
    void cancelAnswers_data();
    void cancelAnswers();
    void cancelWithNothingTicked();
    void exportAll();
    void copyKeys_data();
    void copyKeys();

private:
    std::unique_ptr<LogCapture> mLog;
    MyPushButton *button(const char *name) { return mWidget->findChild<MyPushButton *>(name); }
    // Search with the current filters and answer with these records.
    void searchAndAnswer(const QList<CQetoRspQryOrderField> &records);

    OrderedWidget *mWidget = nullptr;
    MyHeaderView *mHeader = nullptr;
    ModalBoxWatcher *mBoxes = nullptr;
};

void TstOrderedWidget::initTestCase() {
    // Every shown row logs a line; keep the output readable and remember the warnings.
    mLog.reset(new LogCapture);
    ApiClientUtils::initSpi();
}

void TstOrderedWidget::init() {
    qeto::fake::reset();
    registerSpi(ApiClientUtils::spiTable(), 0);
    ApiClientUtils::mAccountSessionId = 77;
    ApiClientUtils::mRequestId = 500;
    ApiClientUtils::mMaxUserLocalId = 41;
    mLog->clear();
    mWidget = new OrderedWidget(nullptr);
    mHeader = new MyHeaderView(Qt::Horizontal, nullptr);
    mWidget->table()->setHorizontalHeader(mHeader);
    mWidget->setHeader(kOrderColumns.size(), kOrderColumns);
    connect(mHeader, &MyHeaderView::signalHeadCheckBoxToggled, mWidget, &OrderedWidget::slot_HeadCheckBoxToggled);
    mBoxes = new ModalBoxWatcher(this);
}

void TstOrderedWidget::cleanup() {
    delete mWidget;
    mWidget = nullptr;
    delete mBoxes;
    mBoxes = nullptr;
    QueryWindow::setSaveFileNameProvider({});
}

void TstOrderedWidget::searchAndAnswer(const QList<CQetoRspQryOrderField> &records) {
    button("searchButton")->click();
    answerRecords(records);
    deliver();
    QCOMPARE(mWidget->table()->rowCount(), records.size());
}

void TstOrderedWidget::requestBytes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("orderNo");
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<QByteArray>("expected");  // 162 bytes

    QByteArray empty(162, '\0');
    empty[42] = 2;
    QTest::newRow("empty filters") << QString() << QString() << QTime(0, 0) << QTime(0, 0) << empty;

    QByteArray abc = empty;
    QTest::newRow("order number not a number")
        << QString() << QStringLiteral("abc") << QTime(0, 0) << QTime(0, 0) << abc;

    QByteArray filled = empty;
    const quint32 no = 123456789;
    std::memcpy(filled.data(), &no, 4);
    filled.replace(4, 6, "600000");
    filled.replace(16, 9, "093000000");
    filled.replace(25, 9, "150000500");
    QTest::newRow("every filter") << QStringLiteral("600000") << QStringLiteral("123456789") << QTime(9, 30)
                                  << QTime(15, 0, 0, 500) << filled;

    QByteArray endOnly = empty;
    endOnly.replace(25, 9, "000000001");
    QTest::newRow("only a midnight start is left out")
        << QString() << QString() << QTime(0, 0) << QTime(0, 0, 0, 1) << endOnly;
}

void TstOrderedWidget::requestBytes() {
    QFETCH(QString, code);
    QFETCH(QString, orderNo);
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(QByteArray, expected);

    mWidget->findChild<MyLineEdit *>("codeEdit")->setText(code);
    mWidget->findChild<MyLineEdit *>("orderNoEdit")->setText(orderNo);
    mWidget->findChild<MyTimeEdit *>("startEdit")->setTime(start);
    mWidget->findChild<MyTimeEdit *>("endEdit")->setTime(end);
    button("searchButton")->click();

    const auto calls = qeto::fake::callsOf("reqQryOrder");
    QCOMPARE(int(calls.size()), 1);
    QCOMPARE(bytesOf(calls[0]), expected);
    QCOMPARE(calls[0].sessionId, 77u);
    QCOMPARE(calls[0].requestId, 500);
    QCOMPARE(ApiClientUtils::mRequestId.load(), 501);
    QVERIFY(!button("searchButton")->isEnabled());
}

void TstOrderedWidget::paging_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("rowsFirst");
    QTest::addColumn<bool>("moreFirst");
    QTest::addColumn<int>("rowsAfterClick");
    QTest::addColumn<bool>("moreAfterClick");

    QTest::newRow("under a page") << 3 << 3 << false << 3 << false;
    QTest::newRow("exactly a page") << 10000 << 10000 << false << 10000 << false;
    QTest::newRow("one over") << 10001 << 10000 << true << 10001 << false;
    QTest::newRow("two and a half pages") << 25000 << 10000 << true << 20000 << true;
}

void TstOrderedWidget::paging() {
    QFETCH(int, records);
    QFETCH(int, rowsFirst);
    QFETCH(bool, moreFirst);
    QFETCH(int, rowsAfterClick);
    QFETCH(bool, moreAfterClick);

    button("searchButton")->click();
    answerOrders(records);
    deliver();
    QCOMPARE(mWidget->table()->rowCount(), rowsFirst);
    QCOMPARE(button("moreButton")->isEnabled(), moreFirst);
    QVERIFY(button("searchButton")->isEnabled());

    if (moreFirst) {
        button("moreButton")->click();
        QCOMPARE(mWidget->table()->rowCount(), rowsAfterClick);
        QCOMPARE(button("moreButton")->isEnabled(), moreAfterClick);
        // The last row shown belongs to the record of that arrival index.
        QCOMPARE(mWidget->table()->item(rowsAfterClick - 1, 0)->checkState(), Qt::Unchecked);
    }
}

void TstOrderedWidget::rowsOnlyAtPageOrLast() {
    button("searchButton")->click();
    answerOrders(9999, 1, false);
    deliver();
    QCOMPARE(mWidget->table()->rowCount(), 0);
    answerOrders(1, 10000, false);
    deliver();
    QCOMPARE(mWidget->table()->rowCount(), 10000);
    QVERIFY(!button("moreButton")->isEnabled());
    QVERIFY(!button("searchButton")->isEnabled());
}

void TstOrderedWidget::followUp_data() {
    QTest::addColumn<int>("followUpResult");
    QTest::addColumn<bool>("filtersEditedMeanwhile");  // the follow-up keeps the search's filters
    QTest::addColumn<bool>("lastIsError");             // the last answer refuses after good records
    QTest::newRow("sent") << 0 << false << false;
    QTest::newRow("not sent") << 3 << false << false;
    QTest::newRow("filters edited after the search") << 0 << true << false;
    QTest::newRow("error on the last answer") << 0 << false << true;
}

void TstOrderedWidget::followUp() {
    QFETCH(int, followUpResult);
    QFETCH(bool, filtersEditedMeanwhile);
    QFETCH(bool, lastIsError);

    mWidget->findChild<MyLineEdit *>("codeEdit")->setText(QStringLiteral("000001"));
    mWidget->findChild<MyTimeEdit *>("startEdit")->setTime(QTime(9, 0));
    button("searchButton")->click();
    qeto::fake::setResult("reqQryOrder", followUpResult);
    if (filtersEditedMeanwhile) {
        mWidget->findChild<MyLineEdit *>("codeEdit")->setText(QStringLiteral("600000"));
        mWidget->findChild<MyTimeEdit *>("startEdit")->setTime(QTime(13, 0));
    }

    const int good = lastIsError ? 4 : 5;
    if (lastIsError) {
        answerOrders(good, 1, false);
        qeto::fake::fireOnThread([](const SpiCallbackTable &t) {
            CQetoSessionInfo session;
            std::memset(&session, 0, sizeof session);
            CQetoRspQryOrderField f = order(5);
            f.MoreData = 1;
            f.Position = 987654;
            CQetoRspInfo refused = rspInfo(2047, "query refused");
            t.onRspQryOrder(&f, &refused, &session, 1, true);
        });
    } else {
        answerOrders(good, 1, true, 1, 987654);
    }
    deliver();
    QCOMPARE(mWidget->table()->rowCount(), good);
    if (lastIsError) {
        QCOMPARE(mBoxes->count(), 1);
        QCOMPARE(mBoxes->last().text,
                 QStringLiteral("[2047]") + ErrorMsg::instance()->getErrorMsg(rspInfo(2047, "query refused")));
        mBoxes->clear();
    }

    const auto calls = qeto::fake::callsOf("reqQryOrder");
    QCOMPARE(int(calls.size()), 2);
    QByteArray expected = bytesOf(calls[0]);
    const qint32 position = 987654;
    expected.replace(34, 4, QByteArray(reinterpret_cast<const char *>(&position), 4));
    QCOMPARE(bytesOf(calls[1]), expected);
    QCOMPARE(calls[1].requestId, 501);

    if (followUpResult != 0) {
        QCOMPARE(mBoxes->count(), 1);
        QCOMPARE(mBoxes->last().title, QStringLiteral("错误"));
        QCOMPARE(mBoxes->last().text, QStringLiteral("发送委托查询请求失败"));
        QVERIFY(mLog->warnings().contains(QStringLiteral("发送委托查询请求失败")));
        // The query is over: searching again must be possible.
        QVERIFY(button("searchButton")->isEnabled());
        return;
    }
    // The refusal gave the search button back; otherwise it waits for the follow-up's answers.
    QCOMPARE(button("searchButton")->isEnabled(), lastIsError);
    answerOrders(3, 6);
    deliver();
    QCOMPARE(mWidget->table()->rowCount(), good + 3);
    QCOMPARE(mWidget->table()->item(good + 2, 13)->text(), QStringLiteral("0"));
    QVERIFY(button("searchButton")->isEnabled());
    QCOMPARE(mBoxes->count(), 0);
}

void TstOrderedWidget::firstRequestFails() {
    searchAndAnswer({order(1), order(2)});
    qeto::fake::setResult("reqQryOrder", 2);
    button("searchButton")->click();
    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("错误"));
    QCOMPARE(mBoxes->last().text, QStringLiteral("发送委托查询请求失败"));
    QCOMPARE(mBoxes->last().icon, QMessageBox::Warning);
    QCOMPARE(mWidget->table()->rowCount(), 2);
    QVERIFY(!button("searchButton")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(button("searchButton")->isEnabled(), 3000);
}

void TstOrderedWidget::errorAnswer() {
    button("searchButton")->click();
    const CQetoRspInfo bad = rspInfo(2047, "query refused");
    qeto::fake::fireOnThread([bad](const SpiCallbackTable &t) {
        CQetoSessionInfo session;
        std::memset(&session, 0, sizeof session);
        CQetoRspQryOrderField f = order(9);
        CQetoRspInfo i = bad;
        t.onRspQryOrder(&f, &i, &session, 1, true);
    });
    deliver();
    const QString text = QStringLiteral("[2047]") + ErrorMsg::instance()->getErrorMsg(bad);
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("错误"));
    QCOMPARE(mBoxes->last().text, text);
    QVERIFY(mLog->warnings().contains(QStringLiteral("委托查询出错") + text));
    QCOMPARE(mWidget->table()->rowCount(), 0);
    QVERIFY(button("searchButton")->isEnabled());
}

void TstOrderedWidget::cellTexts_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<quint32>("traded");
    QTest::addColumn<QString>("tradePrice");

    QTest::newRow("rounded to 3 places") << 10.0 << 3u << QStringLiteral("3.333");
    QTest::newRow("rounded up") << 20.0 << 3u << QStringLiteral("6.667");
    QTest::newRow("nothing traded") << 0.0 << 0u << QStringLiteral("0.000");
}

void TstOrderedWidget::cellTexts() {
    QFETCH(double, amount);
    QFETCH(quint32, traded);
    QFETCH(QString, tradePrice);

    CQetoRspQryOrderField f = order(31);
    std::memcpy(f.SecurityID, "600000\0\0", 8);
    std::memcpy(f.OrderNo, "0000001234", 10);  // fills the field, no terminator
    std::memcpy(f.InsertTime, "093001250", 9);
    f.NodeNo = 7;
    f.Price = 10.5;
    f.Volume = 300;
    f.TradeVolume = traded;
    f.TradeAmount = amount;
    f.LeavesVolume = 0xFFFFFFFFu;  // shown signed
    searchAndAnswer({f});

    const BaseTableWidget *t = mWidget->table();
    QCOMPARE(t->item(0, 1)->text(), QStringLiteral("0000001234"));
    QCOMPARE(t->item(0, 2)->text(), QStringLiteral("7"));
    QCOMPARE(t->item(0, 3)->text(), QStringLiteral("600000"));
    QCOMPARE(t->item(0, 5)->text(), QStringLiteral("10.500000"));
    QCOMPARE(t->item(0, 6)->text(), QStringLiteral("300"));
    QCOMPARE(t->item(0, 10)->text(), tradePrice);
    QCOMPARE(t->item(0, 11)->text(), QString::number(traded));
    QCOMPARE(t->item(0, 12)->text(), QStringLiteral("-1"));
    QCOMPARE(t->item(0, 13)->text(), QStringLiteral("0"));
    QCOMPARE(t->item(0, 15)->text(), QStringLiteral("09:30:01.250"));
}

void TstOrderedWidget::rejectedOrderCannotBeTicked() {
    searchAndAnswer({order(101), order(102, 5), order(103)});
    const BaseTableWidget *t = mWidget->table();
    QVERIFY(t->item(1, 0) == nullptr);
    QCOMPARE(t->item(1, 13)->text(), QStringLiteral("5"));
    QCOMPARE(t->item(1, 14)->text(), ErrorMsg::instance()->getErrorMsgById(5));

    mWidget->show();
    QVERIFY(QTest::qWaitForWindowExposed(mWidget));
    QTRY_VERIFY(!mHeader->checkBoxRect().isNull());
    QTest::mouseClick(mHeader->viewport(), Qt::LeftButton, {}, mHeader->checkBoxRect().center());
    QVERIFY(mHeader->isChecked());
    QCOMPARE(t->item(0, 0)->checkState(), Qt::Checked);
    QCOMPARE(t->item(2, 0)->checkState(), Qt::Checked);
    QVERIFY(t->item(1, 0) == nullptr);

    button("cancelButton")->click();
    const auto calls = qeto::fake::callsOf("reqCancelOrder");
    QCOMPARE(int(calls.size()), 2);
    const auto first = reinterpret_cast<const CQetoReqOrderActionField *>(calls[0].record.data());
    const auto second = reinterpret_cast<const CQetoReqOrderActionField *>(calls[1].record.data());
    QCOMPARE(first->OrderSysID, 101u);
    QCOMPARE(second->OrderSysID, 103u);

    mWidget->slot_HeadCheckBoxToggled(false);
    QCOMPARE(t->item(0, 0)->checkState(), Qt::Unchecked);
    QCOMPARE(t->item(2, 0)->checkState(), Qt::Unchecked);

    // The reload after the answer leaves nothing ticked, header included.
    answerCancels(2);
    deliver();
    QCOMPARE(mBoxes->count(), 1);
    QVERIFY(!mHeader->isChecked());
}

void TstOrderedWidget::cancelAnswers_data() {
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<uint>("errorId");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");  // the catalogue text is appended when errorId is set

    QTest::newRow("single") << QList<int>{1} << 0u << QStringLiteral("成功") << QStringLiteral("撤单发送成功");
    QTest::newRow("batch") << QList<int>{0, 2, 3} << 0u << QStringLiteral("成功") << QStringLiteral("批量撤单发送成功");
    QTest::newRow("batch refused") << QList<int>{0, 1, 3} << 12u << QStringLiteral("错误")
                                   << QStringLiteral("批量撤单发送失败[12]");
}

void TstOrderedWidget::cancelAnswers() {
    QFETCH(QList<int>, ticked);
    QFETCH(uint, errorId);
    QFETCH(QString, title);
    QFETCH(QString, text);

    searchAndAnswer({order(201), order(202), order(203), order(204)});
    for (int row : ticked) mWidget->table()->item(row, 0)->setCheckState(Qt::Checked);
    const int queriesBefore = qeto::fake::countOf("reqQryOrder");

    button("cancelButton")->click();
    const auto calls = qeto::fake::callsOf("reqCancelOrder");
    QCOMPARE(int(calls.size()), ticked.size());
    for (int i = 0; i < ticked.size(); ++i) {
        const QByteArray bytes = bytesOf(calls[size_t(i)]);
        QCOMPARE(bytes.size(), 48);
        qint32 localId = 0;
        quint32 sysId = 0;
        std::memcpy(&localId, bytes.constData(), 4);
        std::memcpy(&sysId, bytes.constData() + 4, 4);
        QCOMPARE(localId, 42 + i);
        QCOMPARE(sysId, 201u + uint(ticked.at(i)));
        QCOMPARE(bytes.at(41), '1');
        QCOMPARE(calls[size_t(i)].requestId, 501 + i);
        QCOMPARE(calls[size_t(i)].sessionId, 77u);
        QCOMPARE(int(calls[size_t(i)].extra.size()), int(sizeof ApiClientUtils::mOpaqueBlock));
    }
    QCOMPARE(ApiClientUtils::mMaxUserLocalId.load(), 41u + uint(ticked.size()));

    const CQetoRspInfo answer = rspInfo(errorId, "refused");
    answerCancels(ticked.size(), errorId, "refused");
    deliver();
    deliver();  // answers queued while the box was open

    QString expected = text;
    if (errorId != 0) expected += ErrorMsg::instance()->getErrorMsg(answer);
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, title);
    QCOMPARE(mBoxes->last().text, expected);
    QCOMPARE(mBoxes->last().icon, errorId != 0 ? QMessageBox::Critical : QMessageBox::Information);
    // One reload, which empties the table until its answers come.
    QCOMPARE(qeto::fake::countOf("reqQryOrder"), queriesBefore + 1);
    QCOMPARE(mWidget->table()->rowCount(), 0);
}

void TstOrderedWidget::cancelWithNothingTicked() {
    searchAndAnswer({order(1), order(2, 9)});
    button("cancelButton")->click();
    QCOMPARE(qeto::fake::countOf("reqCancelOrder"), 0);
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("信息"));
    QCOMPARE(mBoxes->last().text, QStringLiteral("请选择报单"));

    // A late answer with no cancel pending shows nothing and does not reload.
    answerCancels(1);
    deliver();
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(qeto::fake::countOf("reqQryOrder"), 1);
}

void TstOrderedWidget::exportAll() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("orders.csv"));
    QueryWindow::setSaveFileNameProvider([path] { return path; });

    button("searchButton")->click();
    answerOrders(25000);
    deliver();
    QCOMPARE(mWidget->table()->rowCount(), 10000);

    button("exportAllButton")->click();
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("正确"));
    QCOMPARE(mBoxes->last().text, QStringLiteral("文件写入成功"));

    QList<QByteArray> lines;
    QVERIFY(readExport(path, lines));
    QCOMPARE(lines.size(), 1 + 25000 + 1);  // header, records, nothing after the last line feed
    QVERIFY(lines.last().isEmpty());
    const QStringList header = QString::fromUtf8(lines.at(0)).split(QLatin1Char(','));
    QCOMPARE(header, kOrderColumns.mid(1));

    // Lines carry the table's cell texts; the last one is a record never shown.
    QStringList shown;
    for (int c = 1; c < 16; ++c) shown << mWidget->table()->item(0, c)->text();
    QCOMPARE(QString::fromUtf8(lines.at(1)), QLatin1Char('"') + shown.join(QStringLiteral("\",\"")) + QLatin1Char('"'));
    QVERIFY(lines.at(25000).startsWith("\"0000025000\","));
    QCOMPARE(lines.at(25000).count('"'), 30);
}

// Ctrl+C on the shown table: the selected rows for a spreadsheet, titles first, without the
// check-box column (ticked or not, and rows that have none).
void TstOrderedWidget::copyKeys_data() {
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<QList<int>>("copied");
    QTest::newRow("two rows, one ticked") << QList<int>{2, 0} << QList<int>{0} << QList<int>{0, 2};
    QTest::newRow("a rejected order's row") << QList<int>{1} << QList<int>{} << QList<int>{1};
    QTest::newRow("nothing selected copies nothing") << QList<int>{} << QList<int>{0} << QList<int>{};
}

void TstOrderedWidget::copyKeys() {
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, ticked);
    QFETCH(QList<int>, copied);
    const QList<CQetoRspQryOrderField> records = {order(7), order(8, 12), order(9)};
    searchAndAnswer(records);
    QTableWidget *grid = mWidget->table();
    for (int row : ticked) grid->item(row, 0)->setCheckState(Qt::Checked);
    mWidget->resize(1200, 400);
    mWidget->show();
    mWidget->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mWidget));
    QList<QStringList> texts;
    for (int row : copied) {
        texts << QStringList();
        for (int column = 1; column < kOrderColumns.size(); ++column) texts.last() << grid->item(row, column)->text();
        QCOMPARE(texts.last(), OrderedWidget::cellTexts(records.at(row)));
    }
    const QString text = copied.isEmpty() ? QString() : qeto::test::tabText(kOrderColumns.mid(1), texts);
    qeto::test::checkRowGesture(grid, QStringLiteral("copy"), selected, 0, QString(), text);
}

QTEST_MAIN(TstOrderedWidget)
#include "tst_ordered_widget.moc"
