#include "login/login_widget.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "basicControl/my_combo_box.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "login/login_req.h"
#include "utils/error_msg.h"
#include "utils/read_api_config.h"
#include "utils/settings_value.h"
#include "utils/signal_interface.h"

namespace {

int gLoginTimeoutMs = 20000;

const char *const kIdleButtonText = "立即登录";
const char *const kBusyButtonText = "登录中...";

QString statusMessage(LoginStatus status) {
    switch (status) {
        case LoginReqFailed:
            return QStringLiteral("登录失败");
        case EntryNoOutOfRange:
            return QStringLiteral("entryNo 超出界限");
        case EntryNoExists:
            return QStringLiteral("entryNo 已经被创建，重新创建此entryNo Api");
        case StartApiFailed:
            return QStringLiteral("startApi失败");
        case TerminalInfoFailed:
            return QStringLiteral("获取监管信息失败");
        default:
            return {};
    }
}

}  // namespace

void LoginWidget::setLoginTimeoutForTests(int ms) { gLoginTimeoutMs = ms; }

LoginWidget::LoginWidget(QWidget *parent) : QWidget(parent) {
    mLogo = new QLabel(this);
    mExchangeBox = new MyComboBox(this);
    mAccountEdit = new MyLineEdit(this);
    mPasswordEdit = new MyLineEdit(this);
    mLoginButton = new MyPushButton(this);
    mAccountList = new QListWidget(this);
    mAccountList->hide();
    mLoginReq = new LoginReq;
    mLoginThread = new QThread;
    mLoginTimer = new QTimer(this);

    mExchangeBox->setObjectName(QStringLiteral("exchangeBox"));
    mAccountEdit->setObjectName(QStringLiteral("accountEdit"));
    mPasswordEdit->setObjectName(QStringLiteral("passwordEdit"));
    mLoginButton->setObjectName(QStringLiteral("loginButton"));

    qRegisterMetaType<LoginStatus>("LoginStatus");
    qRegisterMetaType<CQetoRspInfo>("CQetoRspInfo");

    mLoginReq->moveToThread(mLoginThread);
    mLoginThread->start(QThread::InheritPriority);
    mLoginTimer->setInterval(gLoginTimeoutMs);
    mLoginTimer->setSingleShot(true);

    SignalInterface *hub = SignalInterface::instance();
    connect(mExchangeBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &LoginWidget::slotChangeMarket);
    connect(mAccountEdit, &QLineEdit::textChanged, this, &LoginWidget::slotChangePhone);
    connect(mPasswordEdit, &QLineEdit::textChanged, this, &LoginWidget::slotChangePassord);
    connect(mLoginButton, &QPushButton::clicked, this, &LoginWidget::slotLoginClick);
    connect(this, &LoginWidget::signalReqLogin, mLoginReq, &LoginReq::slotStartApi);
    connect(this, &LoginWidget::signalRelease, mLoginReq, &LoginReq::slotRelease);
    connect(hub, &SignalInterface::signal_sendLoginRequest, mLoginReq, &LoginReq::slotSendLogin);
    connect(mLoginReq, &LoginReq::signalReqLoginStatus, this, &LoginWidget::slotReqLoginResult);
    connect(hub, &SignalInterface::signal_rspErrorLogin, this, &LoginWidget::slotRspLoginError);
    connect(hub, &SignalInterface::signal_rspSuccessLogin, this, &LoginWidget::slotRspLoginSuccess);
    connect(mLoginTimer, &QTimer::timeout, this, &LoginWidget::handleTimerEvent);

    buildForm();
    clearForm();

    mAccountEdit->setMaxLength(15);
    mPasswordEdit->setValidator(nullptr);
    mPasswordEdit->setEchoMode(QLineEdit::Password);
    mPasswordEdit->setMaxLength(10);

    mExchangeBox->setCurrentIndex(-1);

    ApiClientUtils::initSpi();
}

LoginWidget::~LoginWidget() {
    // The request object may be inside a library call; let it finish before it goes away.
    mLoginThread->quit();
    mLoginThread->wait();
    delete mLoginReq;
    delete mLoginThread;
    // No session outlives its screen.
    release(ApiClientUtils::mEntryNo);
}

void LoginWidget::buildForm() {
    mLogo->setPixmap(QPixmap(QStringLiteral(":/resource/Qeto-Desk.png")));
    mLogo->setScaledContents(true);
    if (QLineEdit *edit = mExchangeBox->lineEdit())
        edit->addAction(QIcon(QStringLiteral(":/resource/compass.svg")), QLineEdit::LeadingPosition);
    mAccountEdit->addAction(QIcon(QStringLiteral(":/resource/user.svg")), QLineEdit::LeadingPosition);
    mPasswordEdit->addAction(QIcon(QStringLiteral(":/resource/lock.svg")), QLineEdit::LeadingPosition);

    setFixedSize(450, 493);
    mLogo->setFixedSize(190, 30);
    mExchangeBox->setFixedSize(320, 46);
    mAccountEdit->setFixedSize(320, 46);
    mPasswordEdit->setFixedSize(320, 46);
    mLoginButton->setFixedSize(320, 46);

    auto *layout = new QVBoxLayout(this);
    layout->addSpacing(70);
    layout->addWidget(mLogo, 0, Qt::AlignHCenter);
    layout->addSpacing(60);
    layout->addWidget(mExchangeBox, 0, Qt::AlignHCenter);
    layout->addSpacing(20);
    layout->addWidget(mAccountEdit, 0, Qt::AlignHCenter);
    layout->addSpacing(20);
    layout->addWidget(mPasswordEdit, 0, Qt::AlignHCenter);
    layout->addSpacing(20);
    layout->addWidget(mLoginButton, 0, Qt::AlignHCenter);
    layout->addStretch();
}

void LoginWidget::clearForm() {
    mExchangeBox->setCurrentIndex(-1);
    mAccountEdit->clear();
    mPasswordEdit->clear();
    if (QLineEdit *edit = mExchangeBox->lineEdit()) edit->setPlaceholderText(tr("请选择交易所"));
    mAccountEdit->setPlaceholderText(tr("请输入正确的资金账户"));
    mPasswordEdit->setPlaceholderText(tr("请输入密码"));
    mLoginButton->setText(QString::fromUtf8(kIdleButtonText));
}

bool LoginWidget::readConfig() {
    const QString path = QCoreApplication::applicationDirPath() + kSettingsFile;
    if (!QFileInfo(path).isFile()) {
        qWarning("can not found qeto_desk_config.ini file %s", qUtf8Printable(path));
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    const QString operway = settingsValue(settings, QStringLiteral("/TRADE/operway")).toString();
    mBranchId = settingsValue(settings, QStringLiteral("/TRADE/branchid")).toString();
    mAppId = settingsValue(settings, QStringLiteral("/TRADE/appid")).toString();
    const ushort first = operway.isEmpty() ? 0 : operway.at(0).unicode();
    mOperway = first > 0xFF ? 0 : static_cast<char>(first);
    qInfo("ini operway is [%s] branchid is[%s], appid is[%s]", qUtf8Printable(operway), qUtf8Printable(mBranchId),
          qUtf8Printable(mAppId));
    return true;
}

bool LoginWidget::checkInput() {
    const auto refuse = [](const QString &text) {
        QMessageBox::warning(nullptr, QStringLiteral("错误"), text, QMessageBox::Ok);
        return false;
    };
    if (mMarket != '1' && mMarket != '2') return refuse(QStringLiteral("请选择正确的交易所！"));
    if (mAccountEdit->text().isEmpty()) return refuse(QStringLiteral("资金账户不能为空！"));
    if (mPasswordEdit->text().isEmpty()) return refuse(QStringLiteral("密码不能为空！"));
    if (!ReadApiConfig::instance()->isConfigExist()) return refuse(QStringLiteral("配置文件不存在！"));
    if (!readConfig()) return refuse(QStringLiteral("qeto_desk_config.ini配置文件不存在！"));
    const QPair<bool, QString> items = ReadApiConfig::instance()->checkConfigItems();
    if (!items.first) return refuse(QStringLiteral("api_config.txt缺少配置项[%1]！").arg(items.second));
    return true;
}

void LoginWidget::setLoginButtonState(bool enabled) {
    mLoginButton->setText(QString::fromUtf8(enabled ? kIdleButtonText : kBusyButtonText));
    mLogStatus = enabled;
    mExchangeBox->setEnabled(enabled);
    mAccountEdit->setEnabled(enabled);
    mPasswordEdit->setEnabled(enabled);
    mLoginButton->setEnabled(enabled);
}

void LoginWidget::resetLogin() {
    mMarket = '0';
    ApiClientUtils::mMarket = '0';
    mOperway = 0;
    ApiClientUtils::mRequestId = 0;
    clearForm();
    setLoginButtonState(true);
    emit signalRelease();
}

void LoginWidget::slotRspLoginError(CQetoRspInfo pRspInfo) {
    mLoginTimer->stop();
    mLogStatus = true;
    const QString text = ErrorMsg::instance()->getErrorText(pRspInfo);
    QMessageBox::information(nullptr, QStringLiteral("消息"), text, QMessageBox::Ok);
    setLoginButtonState(true);
    release(ApiClientUtils::mEntryNo);
}

void LoginWidget::slotRspLoginSuccess() {
    if (mLogStatus) {
        // The attempt already ended (timeout, failure or reset) and its instance was released:
        // a workspace on top of it could send nothing.
        qWarning("login answer after the attempt ended, ignored");
        ApiClientUtils::CanSendLogin = 1;
        emit signalRelease();
        return;
    }
    mLoginTimer->stop();
    mLogStatus = true;
    emit signalLoginSuccess(LoginSuccess);
    setLoginButtonState(true);
}

void LoginWidget::slotShowlist(bool show) {
    if (!show) {
        mAccountList->hide();
        return;
    }
    mAccountList->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    mAccountList->move(1000, 500);
    mAccountList->show();
}

void LoginWidget::slotChangeMarket(int index) {
    mMarket = static_cast<char>('1' + index);
    ApiClientUtils::mMarket = mMarket;
    ErrorMsg::instance()->readErrorJson();
}

void LoginWidget::slotChangePassord(QString password) { mPassword = password; }

void LoginWidget::slotChangePhone(QString phone) {
    mAccount = phone;
    ApiClientUtils::mAccount = phone;
}

void LoginWidget::slotLoginClick() {
    // Enter while an attempt runs would start a second one on top of the first.
    if (!mLoginButton->isEnabled()) return;
    if (!checkInput()) return;
    ApiClientUtils::CanSendLogin = 2;
    setLoginButtonState(false);
    emit signalReqLogin(mAccount, mPassword, mAppId, mOperway, mMarket, mBranchId);
    mLoginTimer->start();
}

void LoginWidget::slotReqLoginResult(LoginStatus status) {
    mLogStatus = true;
    setLoginButtonState(true);
    const QString text = statusMessage(status);
    if (!text.isEmpty()) QMessageBox::warning(nullptr, QStringLiteral("错误"), text, QMessageBox::Ok);
}

void LoginWidget::handleTimerEvent() {
    const int canSendLogin = ApiClientUtils::CanSendLogin;
    qInfo("login time out : mLogStatus is [%d] and CanSendLogin is [%d]", mLogStatus ? 1 : 0, canSendLogin);
    if (mLogStatus || canSendLogin == 3) return;
    // From here on the attempt is over: an answer still on its way is stale.
    mLogStatus = true;
    release(ApiClientUtils::mEntryNo);
    // A start still running on the login thread creates its instance after the call above;
    // the queued release tears that one down too.
    emit signalRelease();
    QMessageBox::warning(nullptr, QStringLiteral("错误"), QStringLiteral("登录超时"), QMessageBox::Ok);
    emit SignalInterface::instance()->signal_onFrontDisconnected(0);
    setLoginButtonState(true);
}

void LoginWidget::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) slotLoginClick();
    QWidget::keyPressEvent(event);
}

void LoginWidget::paintEvent(QPaintEvent *event) {
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::transparent);
    painter.setBrush(QColor(255, 255, 255, 255));
    painter.drawRoundedRect(rect(), 15, 15);
}
