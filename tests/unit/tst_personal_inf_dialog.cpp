// Account funds dialog: the fund query it sends, the refresh button's one-second pause, and
// the nine figures taken from an answer delivered across threads.
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QtTest>
#include <cstring>

#include "client_session.h"
#include "qeto_demo_accounts.h"
#include "qeto_gate_fake.h"
#include "user/personal_inf_dialog.h"
#include "utils/api_client_utils.h"

namespace demo = qeto::sim::demo;

namespace {

// Titles in display order, with the offset of the figure each one shows.
const QList<QPair<QString, int>> kRows = {
    {QStringLiteral("上场资金"), 40},      {QStringLiteral("可用资金"), 88},     {QStringLiteral("可取金额"), 130},
    {QStringLiteral("日初可取金额"), 154}, {QStringLiteral("冻结资金"), 16},     {QStringLiteral("锁定手续费"), 24},
    {QStringLiteral("手续费"), 32},        {QStringLiteral("今日卖出金额"), 56}, {QStringLiteral("今日买入金额"), 64},
};

CQetoRspQryStockClientAccountField answerWith(const QMap<int, double> &valuesAt) {
    CQetoRspQryStockClientAccountField rec;
    std::memset(&rec, 0xAB, sizeof rec);  // bytes the dialog must not read stay noisy
    for (auto it = valuesAt.cbegin(); it != valuesAt.cend(); ++it)
        std::memcpy(reinterpret_cast<char *>(&rec) + it.key(), &it.value(), sizeof(double));
    return rec;
}

void fireAnswers(const QList<CQetoRspQryStockClientAccountField> &answers) {
    qeto::fake::fireOnThread([answers](const SpiCallbackTable &t) {
        CQetoRspInfo info;
        std::memset(&info, 0, sizeof info);
        info.ErrorID = 7;  // shown whatever the error id
        CQetoSessionInfo session;
        std::memset(&session, 0, sizeof session);
        for (int i = 0; i < answers.size(); ++i) {
            CQetoRspQryStockClientAccountField rec = answers.at(i);
            t.onRspQryFund(&rec, &info, &session, 1, i == answers.size() - 1);
        }
    });
}

}  // namespace

class TestPersonalInfDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void layoutInDisplayOrder();
    void requestRecord_data();
    void requestRecord();
    void refreshButtonPausesForASecond();
    void figuresTruncated_data();
    void figuresTruncated();
    void eachTitleShowsItsField();
    void lastAnswerWins();

private:
    QPushButton *refreshButton() const { return mDialog->findChild<QPushButton *>(); }
    QLabel *valueOf(const QString &title) const;
    QScopedPointer<PersonalInfDialog> mDialog;
};

void TestPersonalInfDialog::initTestCase() { ApiClientUtils::initSpi(); }

void TestPersonalInfDialog::init() {
    clienttest::startSession(77, 5);
    mDialog.reset(new PersonalInfDialog(nullptr));
}

void TestPersonalInfDialog::cleanup() { mDialog.reset(); }

QLabel *TestPersonalInfDialog::valueOf(const QString &title) const {
    QLayout *layout = mDialog->layout();
    for (int i = 0; i < layout->count(); ++i) {
        QLayout *row = layout->itemAt(i)->layout();
        if (!row || row->count() != 2) continue;
        auto *caption = qobject_cast<QLabel *>(row->itemAt(0)->widget());
        if (caption && caption->text() == title) return qobject_cast<QLabel *>(row->itemAt(1)->widget());
    }
    return nullptr;
}

void TestPersonalInfDialog::layoutInDisplayOrder() {
    QCOMPARE(mDialog->size(), QSize(260, 290));
    QCOMPARE(mDialog->minimumSize(), mDialog->maximumSize());
    QLayout *layout = mDialog->layout();
    QCOMPARE(layout->count(), 10);
    QCOMPARE(layout->itemAt(0)->widget(), static_cast<QWidget *>(refreshButton()));
    QCOMPARE(refreshButton()->text(), QStringLiteral("刷新"));
    QCOMPARE(layout->itemAt(0)->alignment(), Qt::AlignRight);
    for (int i = 0; i < kRows.size(); ++i) {
        QLayout *row = layout->itemAt(i + 1)->layout();
        QVERIFY(row);
        auto *caption = qobject_cast<QLabel *>(row->itemAt(0)->widget());
        QVERIFY(caption);
        QCOMPARE(caption->text(), kRows[i].first);
        QCOMPARE(caption->minimumWidth(), 80);
        QCOMPARE(caption->maximumWidth(), 80);
        QVERIFY(qobject_cast<QLabel *>(row->itemAt(1)->widget())->text().isEmpty());
    }
}

void TestPersonalInfDialog::requestRecord_data() {
    QTest::addColumn<QString>("account");
    QTest::newRow("demo account") << QString::fromLatin1(demo::kAccount);
    QTest::newRow("15 characters") << QStringLiteral("123456789012345");
    QTest::newRow("longer than the field") << QStringLiteral("12345678901234567890");
}

void TestPersonalInfDialog::requestRecord() {
    QFETCH(QString, account);
    ApiClientUtils::mAccount = account;
    mDialog->slot_refresh();

    QCOMPARE(qeto::fake::countOf("reqQryFund"), 1);
    const qeto::fake::Call call = qeto::fake::callsOf("reqQryFund").front();
    QCOMPARE(call.record.size(), size_t(143));
    QByteArray expected(143, '\0');
    const QByteArray bytes = account.toUtf8().left(16);
    std::memcpy(expected.data(), bytes.constData(), size_t(bytes.size()));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(call.record.data()), 143), expected);
    QCOMPARE(call.sessionId, 77u);
    QCOMPARE(call.requestId, 5);
    QCOMPARE(call.entryNo, ApiClientUtils::mEntryNo);
    QCOMPARE(ApiClientUtils::mRequestId.load(), 6);
}

void TestPersonalInfDialog::refreshButtonPausesForASecond() {
    qeto::fake::setResult("reqQryFund", -1);  // a refused query changes nothing
    QPushButton *button = refreshButton();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(qeto::fake::countOf("reqQryFund"), 1);
    QVERIFY(!button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(qeto::fake::countOf("reqQryFund"), 1);
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 5000);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(qeto::fake::countOf("reqQryFund"), 2);
}

void TestPersonalInfDialog::figuresTruncated_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("cut, not rounded") << 1234.5678 << QStringLiteral("1234.567");
    QTest::newRow("whole number") << 100.0 << QStringLiteral("100.000");
    QTest::newRow("below the last place") << 0.0005 << QStringLiteral("0.000");
}

void TestPersonalInfDialog::figuresTruncated() {
    QFETCH(double, value);
    QFETCH(QString, shown);
    fireAnswers({answerWith({{88, value}})});
    QTRY_COMPARE(valueOf(QStringLiteral("可用资金"))->text(), shown);
}

void TestPersonalInfDialog::eachTitleShowsItsField() {
    QMap<int, double> values;
    for (int i = 0; i < kRows.size(); ++i) values.insert(kRows[i].second, (i + 1) * 1000 + 0.25);
    fireAnswers({answerWith(values)});
    QTRY_VERIFY(!valueOf(kRows.last().first)->text().isEmpty());
    for (int i = 0; i < kRows.size(); ++i)
        QCOMPARE(valueOf(kRows[i].first)->text(), QString::number((i + 1) * 1000) + QStringLiteral(".250"));
}

void TestPersonalInfDialog::lastAnswerWins() {
    mDialog->slot_refresh();
    QMap<int, double> first, second;
    for (const auto &row : kRows) {
        first.insert(row.second, 1.5);
        second.insert(row.second, 2.75);
    }
    fireAnswers({answerWith(first), answerWith(second)});
    QTRY_COMPARE(valueOf(kRows.last().first)->text(), QStringLiteral("2.750"));
    for (const auto &row : kRows) QCOMPARE(valueOf(row.first)->text(), QStringLiteral("2.750"));
}

QTEST_MAIN(TestPersonalInfDialog)
#include "tst_personal_inf_dialog.moc"
