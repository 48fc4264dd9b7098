// Password change dialog: the rules in their order, the request record, the confirmation and
// what happens to the boxes and the dialog afterwards, and the boxes for the counter's answer.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cstring>

#include "box_checks.h"
#include "client_session.h"
#include "modal_box.h"
#include "qeto_demo_accounts.h"
#include "qeto_gate_fake.h"
#include "user/update_pwd_dialog.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"

namespace demo = qeto::sim::demo;

namespace {

const QString kError = QStringLiteral("错误");

using clienttest::field;

}  // namespace

class TestUpdatePwdDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void boxesTakeAnyCharacterUpToTen();
    void rules_data();
    void rules();
    void confirmedSendsRecord_data();
    void confirmedSendsRecord();
    void notConfirmedSendsNothing();
    void refusedSend();
    void answerBoxes_data();
    void answerBoxes();

private:
    QLineEdit *oldBox() const { return mDialog->findChildren<QLineEdit *>().at(0); }
    QLineEdit *newBox() const { return mDialog->findChildren<QLineEdit *>().at(1); }
    QPushButton *button(const QString &text) const;
    void type(const QString &oldPwd, const QString &newPwd);

    QScopedPointer<UpdatePwdDialog> mDialog;
    ModalBoxWatcher *mBoxes = nullptr;
};

void TestUpdatePwdDialog::initTestCase() {
    // A catalogue of our own, with a text that looks like a placeholder.
    QVERIFY(clienttest::loadCatalogue(R"({"SS": [], "manager": [{"errorid": 1001, "errormsg": "资金账户或密码错误"},
                                          {"errorid": 1010, "errormsg": "密码%1不合规"}]})"));
    ApiClientUtils::initSpi();
    mBoxes = new ModalBoxWatcher(this);
}

void TestUpdatePwdDialog::init() {
    clienttest::startSession(91, 12);
    mBoxes->clear();
    mBoxes->setAnswer(0);
    mBoxes->setAnswerText(QString());
    mDialog.reset(new UpdatePwdDialog(nullptr));
    mDialog->show();
}

void TestUpdatePwdDialog::cleanup() { mDialog.reset(); }

QPushButton *TestUpdatePwdDialog::button(const QString &text) const { return clienttest::button(mDialog.data(), text); }

void TestUpdatePwdDialog::type(const QString &oldPwd, const QString &newPwd) {
    oldBox()->setText(oldPwd);
    newBox()->setText(newPwd);
}

void TestUpdatePwdDialog::boxesTakeAnyCharacterUpToTen() {
    QCOMPARE(mDialog->size(), QSize(254, 160));
    QCOMPARE(mDialog->minimumSize(), mDialog->maximumSize());
    for (QLineEdit *box : {oldBox(), newBox()}) {
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        QTest::keyClicks(box, QStringLiteral("Ab_3!xyzQW-extra"));
        QCOMPARE(box->text(), QStringLiteral("Ab_3!xyzQW"));
    }
}

void TestUpdatePwdDialog::rules_data() {
    QTest::addColumn<QString>("oldPwd");
    QTest::addColumn<QString>("newPwd");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("newBoxAfter");

    const QString old = QStringLiteral("Old_pwd123");
    QTest::newRow("both empty") << QString() << QString() << kError << QStringLiteral("老密码不能为空！") << QString();
    QTest::newRow("old empty") << QString() << "Abcdef_123" << kError << QStringLiteral("老密码不能为空！")
                               << "Abcdef_123";
    QTest::newRow("new empty") << old << QString() << kError << QStringLiteral("新密码不能为空！") << QString();
    QTest::newRow("same as old, even when too short")
        << "abc"
        << "abc" << QStringLiteral("信息") << QStringLiteral("新密码和老密码一致,重新输入") << QString();
    QTest::newRow("nine characters") << old << "Abcdef_12" << kError << QStringLiteral("密码长度必须为10个字符")
                                     << "Abcdef_12";
    QTest::newRow("no lower-case") << old << "ABCDEF_123" << kError << QStringLiteral("密码必须包含至少一个小写字母")
                                   << "ABCDEF_123";
    QTest::newRow("ten lower-case: upper first")
        << old << "abcdefghij" << kError << QStringLiteral("密码必须包含至少一个大写字母") << "abcdefghij";
    QTest::newRow("no digit") << old << "Abcdefgh__" << kError << QStringLiteral("密码必须包含至少一个数字")
                              << "Abcdefgh__";
    QTest::newRow("no special") << old << "Abcdefg123" << kError
                                << QStringLiteral("密码必须包含至少一个特殊字符\n(老柜台特殊字符为下划线_)")
                                << "Abcdefg123";
    QTest::newRow("non-ASCII special") << old << QStringLiteral("Abcdefg12é") << kError
                                       << QStringLiteral("密码只能包含英文字母、数字和英文特殊字符")
                                       << QStringLiteral("Abcdefg12é");
}

void TestUpdatePwdDialog::rules() {
    QFETCH(QString, oldPwd);
    QFETCH(QString, newPwd);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, newBoxAfter);

    type(oldPwd, newPwd);
    QTest::mouseClick(button(QStringLiteral("确认")), Qt::LeftButton);

    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), title, text);
    QCOMPARE(mBoxes->last().icon, title == kError ? QMessageBox::Warning : QMessageBox::Information);
    QCOMPARE(qeto::fake::countOf("reqUpdatePwd"), 0);
    QVERIFY(mDialog->isVisible());
    QCOMPARE(oldBox()->text(), oldPwd);
    QCOMPARE(newBox()->text(), newBoxAfter);
}

void TestUpdatePwdDialog::confirmedSendsRecord_data() {
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("oldPwd");
    QTest::addColumn<QString>("newPwd");
    QTest::newRow("underscore") << demo::kAccount << "123456"
                                << "Abcdef_123";
    QTest::newRow("other special, full fields") << "123456789012345"
                                                << "Old_pwd123"
                                                << "zZ9!zZ9!zZ";
    QTest::newRow("space counts as special") << demo::kAccount << "x"
                                             << "aB3 aaaaaa";
}

void TestUpdatePwdDialog::confirmedSendsRecord() {
    QFETCH(QString, account);
    QFETCH(QString, oldPwd);
    QFETCH(QString, newPwd);
    ApiClientUtils::mAccount = account;
    type(oldPwd, newPwd);
    QTest::mouseClick(button(QStringLiteral("确认")), Qt::LeftButton);

    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "确认", "是否确认修改密码");
    QCOMPARE(mBoxes->last().buttons, QStringList({QStringLiteral("确认"), QStringLiteral("取消")}));

    QCOMPARE(qeto::fake::countOf("reqUpdatePwd"), 1);
    const qeto::fake::Call call = qeto::fake::callsOf("reqUpdatePwd").front();
    const QByteArray expected =
        field(15, account.toUtf8()) + field(10, newPwd.toUtf8()) + field(10, oldPwd.toUtf8()) + QByteArray(64, '\0');
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(call.record.data()), int(call.record.size())), expected);
    QCOMPARE(call.sessionId, 91u);
    QCOMPARE(call.requestId, 12);
    QCOMPARE(ApiClientUtils::mRequestId.load(), 13);

    QVERIFY(!mDialog->isVisible());
    QVERIFY(oldBox()->text().isEmpty());
    QVERIFY(newBox()->text().isEmpty());
}

void TestUpdatePwdDialog::notConfirmedSendsNothing() {
    mBoxes->setAnswerText(QStringLiteral("取消"));
    type(QStringLiteral("123456"), QStringLiteral("Abcdef_123"));
    QTest::mouseClick(button(QStringLiteral("确认")), Qt::LeftButton);

    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(qeto::fake::countOf("reqUpdatePwd"), 0);
    QVERIFY(!mDialog->isVisible());
    QVERIFY(oldBox()->text().isEmpty());
    QVERIFY(newBox()->text().isEmpty());
}

void TestUpdatePwdDialog::refusedSend() {
    qeto::fake::setResult("reqUpdatePwd", 3);
    type(QStringLiteral("123456"), QStringLiteral("Abcdef_123"));
    QTest::mouseClick(button(QStringLiteral("确认")), Qt::LeftButton);

    QCOMPARE(qeto::fake::countOf("reqUpdatePwd"), 1);
    QCOMPARE(mBoxes->count(), 2);
    QCOMPARE_BOX(mBoxes->last(), "失败", "发送更新密码失败");
    QCOMPARE(mBoxes->last().icon, QMessageBox::Critical);
    QVERIFY(!mDialog->isVisible());
    QVERIFY(newBox()->text().isEmpty());
}

void TestUpdatePwdDialog::answerBoxes_data() {
    QTest::addColumn<uint>("errorId");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::newRow("changed") << 0u << QStringLiteral("成功") << QStringLiteral("密码修改成功")
                             << int(QMessageBox::Information);
    QTest::newRow("catalogued refusal") << 1001u << kError << QStringLiteral("[1001]资金账户或密码错误")
                                        << int(QMessageBox::Warning);
    QTest::newRow("catalogue text with a percent sign")
        << 1010u << kError << QStringLiteral("[1010]密码%1不合规") << int(QMessageBox::Warning);
    QTest::newRow("unknown id") << 4242u << kError << QStringLiteral("[4242]") << int(QMessageBox::Warning);
}

void TestUpdatePwdDialog::answerBoxes() {
    QFETCH(uint, errorId);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, icon);
    mDialog->hide();  // the answer may come after the dialog has closed
    qeto::fake::fireOnThread([errorId](const SpiCallbackTable &t) {
        CQetoRspUserPasswordUpdateField rsp;
        std::memset(&rsp, 0, sizeof rsp);
        CQetoRspInfo info;
        std::memset(&info, 0, sizeof info);
        info.ErrorID = errorId;
        std::strcpy(info.ErrorMsg, "counter text");
        CQetoSessionInfo session;
        std::memset(&session, 0, sizeof session);
        t.onRspUpdatePwd(&rsp, &info, &session, 12, true);
    });
    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), title, text);
    QCOMPARE(int(mBoxes->last().icon), icon);
}

QTEST_MAIN(TestUpdatePwdDialog)
#include "tst_update_pwd_dialog.moc"
