#include "user/update_pwd_dialog.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QMetaType>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cstring>

#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"

namespace {

void setUpPasswordEdit(MyLineEdit *edit, const QString &placeholder) {
    edit->setValidator(nullptr);  // passwords take any character
    edit->setPlaceholderText(placeholder);
    edit->setFixedWidth(132);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(10);
}

void showError(const QString &text) { QMessageBox::warning(nullptr, QStringLiteral("错误"), text, QMessageBox::Ok); }

// Rules 4 to 8 on the new password, in order; empty when it passes them all.
QString newPasswordRuleMessage(const QString &pwd) {
    if (pwd.size() != 10) return QStringLiteral("密码长度必须为10个字符");
    if (!QRegularExpression(QStringLiteral("[a-z]")).match(pwd).hasMatch())
        return QStringLiteral("密码必须包含至少一个小写字母");
    if (!QRegularExpression(QStringLiteral("[A-Z]")).match(pwd).hasMatch())
        return QStringLiteral("密码必须包含至少一个大写字母");
    if (!QRegularExpression(QStringLiteral("\\d")).match(pwd).hasMatch())
        return QStringLiteral("密码必须包含至少一个数字");
    if (!QRegularExpression(QStringLiteral("[^a-zA-Z\\d]")).match(pwd).hasMatch())
        return QStringLiteral("密码必须包含至少一个特殊字符\n(老柜台特殊字符为下划线_)");
    // The request carries exactly 10 bytes: a non-ASCII character would be cut and the account
    // left with a password nobody typed.
    if (pwd.toUtf8().size() != pwd.size()) return QStringLiteral("密码只能包含英文字母、数字和英文特殊字符");
    return QString();
}

}  // namespace

UpdatePwdDialog::UpdatePwdDialog(QWidget *parent)
    : QDialog(parent),
      mTitle(new MyLabel(QStringLiteral("修改密码"), this)),
      mOldPwdCaption(new MyLabel(QStringLiteral("老密码"), this)),
      mOldPwdEdit(new MyLineEdit(this)),
      mNewPwdCaption(new MyLabel(QStringLiteral("新密码"), this)),
      mNewPwdEdit(new MyLineEdit(this)),
      mConfirmBtn(new MyPushButton(QStringLiteral("确认"), this)),
      mClearBtn(new MyPushButton(QStringLiteral("清空"), this)) {
    setObjectName(QStringLiteral("passwordDialog"));
    mOldPwdEdit->setObjectName(QStringLiteral("oldPasswordEdit"));
    mNewPwdEdit->setObjectName(QStringLiteral("newPasswordEdit"));
    mConfirmBtn->setObjectName(QStringLiteral("confirmButton"));
    mClearBtn->setObjectName(QStringLiteral("clearButton"));
    mTitle->setFixedHeight(20);
    mTitle->setRedStyle();
    setUpPasswordEdit(mOldPwdEdit, tr("老密码"));
    setUpPasswordEdit(mNewPwdEdit, tr("新密码"));

    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    setFixedSize(254, 160);

    auto *oldRow = new QHBoxLayout;
    oldRow->addWidget(mOldPwdCaption);
    oldRow->addSpacing(29);
    oldRow->addWidget(mOldPwdEdit);
    oldRow->addStretch();

    auto *newRow = new QHBoxLayout;
    newRow->addWidget(mNewPwdCaption);
    newRow->addSpacing(29);
    newRow->addWidget(mNewPwdEdit);
    newRow->addStretch();

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(mConfirmBtn);
    buttonRow->addSpacing(27);
    buttonRow->addWidget(mClearBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mTitle);
    layout->addSpacing(10);
    layout->addLayout(oldRow);
    layout->addSpacing(10);
    layout->addLayout(newRow);
    layout->addSpacing(10);
    layout->addLayout(buttonRow);

    qRegisterMetaType<CQetoRspUserPasswordUpdateField>("CQetoRspUserPasswordUpdateField");
    qRegisterMetaType<CQetoRspInfo>("CQetoRspInfo");

    connect(mConfirmBtn, &QPushButton::clicked, this, &UpdatePwdDialog::slotUpdatePwdClick);
    connect(mClearBtn, &QPushButton::clicked, this, &UpdatePwdDialog::slotClearClick);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspUpdatePwd, this,
            &UpdatePwdDialog::slotRspUpdatePwd);
}

UpdatePwdDialog::~UpdatePwdDialog() = default;

void UpdatePwdDialog::clearInputs() {
    mOldPwdEdit->clear();
    mNewPwdEdit->clear();
}

void UpdatePwdDialog::slotUpdatePwdClick() {
    mOldPwd = mOldPwdEdit->text();
    mNewPwd = mNewPwdEdit->text();

    if (mOldPwd.isEmpty()) {
        showError(QStringLiteral("老密码不能为空！"));
        return;
    }
    if (mNewPwd.isEmpty()) {
        showError(QStringLiteral("新密码不能为空！"));
        return;
    }
    if (mNewPwd == mOldPwd) {
        QMessageBox::information(nullptr, QStringLiteral("信息"), QStringLiteral("新密码和老密码一致,重新输入"),
                                 QMessageBox::Ok);
        mNewPwdEdit->clear();
        return;
    }
    const QString ruleMessage = newPasswordRuleMessage(mNewPwd);
    if (!ruleMessage.isEmpty()) {
        showError(ruleMessage);
        return;
    }

    CQetoReqUserPasswordUpdateField req;
    std::memset(&req, 0, sizeof req);
    RecordText::setField(req.AccountID, ApiClientUtils::mAccount.toUtf8());
    RecordText::setField(req.OldPassword, mOldPwd.toUtf8());
    RecordText::setField(req.NewPassword, mNewPwd.toUtf8());

    const int answer =
        QMessageBox::information(nullptr, tr("确认"), tr("是否确认修改密码"), tr("确认"), tr("取消"), QString(), 0, -1);
    if (answer == 0 && reqUpdatePwd(&req, ApiClientUtils::mAccountSessionId, ApiClientUtils::mRequestId++,
                                    ApiClientUtils::mEntryNo) != 0) {
        QMessageBox::critical(nullptr, QStringLiteral("失败"), QStringLiteral("发送更新密码失败"), QMessageBox::Ok);
    }
    // No copy of the passwords left behind in this frame.
    std::memset(&req, 0, sizeof req);

    clearInputs();
    close();
}

void UpdatePwdDialog::slotClearClick() {
    mNewPwd.clear();
    mOldPwd.clear();
    clearInputs();
}

void UpdatePwdDialog::slotRspUpdatePwd(CQetoRspUserPasswordUpdateField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                                       bool bIsLast) {
    Q_UNUSED(pRspField)
    Q_UNUSED(nRequestID)
    Q_UNUSED(bIsLast)
    if (pRspInfo.ErrorID == 0) {
        QMessageBox::information(nullptr, QStringLiteral("成功"), QStringLiteral("密码修改成功"), QMessageBox::Ok);
        return;
    }
    const int errorId = static_cast<int>(pRspInfo.ErrorID);
    // Both arguments in one call, so a catalogue text holding "%1" is shown as it is.
    const QString text =
        QStringLiteral("[%0]%1").arg(QString::number(pRspInfo.ErrorID), ErrorMsg::instance()->getErrorMsgById(errorId));
    qWarning("%s", qUtf8Printable(QStringLiteral("密码修改失败%1").arg(text)));
    QMessageBox::warning(nullptr, QStringLiteral("错误"), text, QMessageBox::Ok);
}
