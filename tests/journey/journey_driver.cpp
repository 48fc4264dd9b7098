#include "journey_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolTip>

#include "basicControl/base_table_widget.h"
#include "constants.h"
#include "login/login_widget.h"
#include "mainwindow.h"
#include "qeto_demo_accounts.h"
#include "user/hot_keys.h"
#include "user/queryWindow/query_window.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "user/user_widget.h"
#include "utils/signal_interface.h"
#include "version.h"

namespace demo = qeto::sim::demo;

#define J_CHECK(cond, what)                                \
    do {                                                   \
        if (!(cond)) return fail(QString(what), __LINE__); \
    } while (0)

namespace {

const QString kAccount = QLatin1String(demo::kAccount);
const QString kNewPassword = QStringLiteral("Qd_2026abc");
const QString kDropText = QStringLiteral("与柜台的链接断开，请重新登录！");
const QString kRefusedText = QStringLiteral("[1001]资金账户或密码错误");
constexpr int kShanghai = 0;
constexpr int kShenzhen = 1;
constexpr int kPreloadedOrders = 50000;  // half of them on each counter
constexpr int kPageRows = 10000;

QString besideApp(const QString &name) { return QCoreApplication::applicationDirPath() + name; }

bool writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

int csvLines(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    int lines = 0;
    while (!f.atEnd()) {
        f.readLine();
        ++lines;
    }
    return lines;
}

template <class T>
T *named(QWidget *root, const char *name) {
    return root ? root->findChild<T *>(QLatin1String(name)) : nullptr;
}

int column(const QTableWidget *table, const QString &title) {
    for (int c = 0; c < table->columnCount(); ++c) {
        const QTableWidgetItem *header = table->horizontalHeaderItem(c);
        if ((header ? header->text() : QString()) == title) return c;
    }
    return -1;
}

QString cell(const QTableWidget *table, int row, const QString &columnTitle) {
    const QTableWidgetItem *item = table->item(row, column(table, columnTitle));
    return item ? item->text() : QString();
}

}  // namespace

// ---------------------------------------------------------------- simulator child

// ---------------------------------------------------------------- plumbing

JourneyDriver::JourneyDriver(const QString &simProgram, const QString &workDir)
    : mSimProgram(simProgram), mWorkDir(workDir) {
    // What Enter would press: confirmations are confirmed, every other box acknowledged.
    mBoxes.setAnswer(ModalBoxWatcher::kDefaultButton);
    mBoxes.setOnBox([this](QMessageBox *box) { onBox(box); });
}

JourneyDriver::~JourneyDriver() { QueryWindow::setSaveFileNameProvider({}); }

void JourneyDriver::stopSimulators() {
    mMdSim.stop();
    mSim.stop();
}

namespace {
QtMessageHandler gPreviousHandler = nullptr;
QFile *gClientLog = nullptr;

void journeyMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (text.startsWith(QLatin1String("journey ")) || type == QtFatalMsg || !gClientLog) {
        if (gPreviousHandler) gPreviousHandler(type, context, text);
        return;
    }
    gClientLog->write(text.toUtf8() + '\n');
}
}  // namespace

void JourneyDriver::routeClientLog(const QString &file) {
    gClientLog = new QFile(file);
    if (!gClientLog->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        delete gClientLog;
        gClientLog = nullptr;
        return;
    }
    gPreviousHandler = qInstallMessageHandler(journeyMessageHandler);
}

QString JourneyDriver::appVersion() { return readVersionFile(besideApp(kVersionFile)); }

bool JourneyDriver::fail(const QString &what, int line) {
    mError = QStringLiteral("journey_driver.cpp:%1: %2").arg(line).arg(what);
    if (mBoxes.count() > 0)
        mError += QStringLiteral(" (last message box: %1 / %2)").arg(mBoxes.last().title, mBoxes.last().text);
    return false;
}

bool JourneyDriver::waitFor(const std::function<bool()> &condition, int timeoutMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

void JourneyDriver::figure(const QString &name, qint64 ms) {
    mFigures.append({name, ms});
    qInfo("journey figure: %s %lld ms", qUtf8Printable(name), static_cast<long long>(ms));
}

void JourneyDriver::shot(const QString &name, const QString &caption, QWidget *widget) {
    if (!mShot || !widget) return;
    QCoreApplication::processEvents();  // let pending paints and layouts settle first
    mShot(name, caption, widget);
}

void JourneyDriver::onBox(QMessageBox *box) {
    shot(QStringLiteral("box-%1").arg(mBoxes.count()),
         QStringLiteral("Message box \"%1\": %2").arg(box->windowTitle(), box->text()), box);
    if (mWhileOpen) {
        const auto whileOpen = std::move(mWhileOpen);
        mWhileOpen = nullptr;
        whileOpen(box);
    }
}

bool JourneyDriver::waitBox(const QString &text, int timeoutMs) {
    auto found = [&] {
        for (int i = mBoxMark; i < mBoxes.count(); ++i) {
            if (mBoxes.boxes().at(i).text == text) {
                mBoxMark = i + 1;
                return true;
            }
        }
        return false;
    };
    return waitFor(found, timeoutMs);
}

int JourneyDriver::boxesWith(const QString &text) const {
    int n = 0;
    for (const SeenBox &b : mBoxes.boxes()) n += b.text == text ? 1 : 0;
    return n;
}

bool JourneyDriver::writeConfig(quint16 counterPort, quint16 mdPort) {
    const QByteArray api = "URL=tcp://127.0.0.1:" + QByteArray::number(counterPort) +
                           ";\nSuperLog=0\nCpuCore=-1\nPlatformSerialNum=QetoJourney01\nBusinessCode=QD01\n";
    const QByteArray ini =
        "[TRADE]\noperway=7\nbranchid=0001\nappid=qeto-desk\n\n[MD]\nswitch=1\nprintMD=0\n"
        "ip=127.0.0.1\nport=" +
        QByteArray::number(mdPort) + "\n";
    return writeFile(besideApp(kApiConfigFile), api) && writeFile(besideApp(kSettingsFile), ini);
}

void JourneyDriver::typeInto(QWidget *edit, const QString &text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

bool JourneyDriver::click(QAbstractButton *b) {
    if (!b || !b->isVisible() || !b->isEnabled()) return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

UserWidget *JourneyDriver::workspace() const {
    if (!mWindow || !mWindow->workspace()) return nullptr;
    return mWindow->stack()->currentWidget() == mWindow->workspace() ? mWindow->workspace() : nullptr;
}

QWidget *JourneyDriver::queryTab(const QString &title) const {
    UserWidget *ws = workspace();
    if (!ws) return nullptr;
    auto *tabs = ws->findChild<QTabWidget *>();
    if (!tabs) return nullptr;
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabText(i) != title) continue;
        // A user clicks the tab; the bar's tab rectangle is where.
        QTabBar *bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(i).center());
        return tabs->currentIndex() == i ? tabs->widget(i) : nullptr;
    }
    return nullptr;
}

QTableWidget *JourneyDriver::quoteTable() const {
    auto *quotes = workspace() ? workspace()->findChild<StockQuotesWidget *>() : nullptr;
    return quotes ? quotes->table() : nullptr;
}

QDialog *JourneyDriver::shownDialog(const char *name) const {
    UserWidget *ws = workspace();
    for (QDialog *d : ws ? ws->findChildren<QDialog *>(QLatin1String(name)) : QList<QDialog *>())
        if (d->isVisible()) return d;
    return nullptr;
}

bool JourneyDriver::waitDialog(const char *name, QDialog **shown) {
    J_CHECK(waitFor([&] { return (*shown = shownDialog(name)) != nullptr; }, 5000),
            QStringLiteral("%1 did not open").arg(QLatin1String(name)));
    return true;
}

bool JourneyDriver::openDialog(const char *button, const char *name, QDialog **opened) {
    J_CHECK(click(named<QPushButton>(workspace(), button)),
            QStringLiteral("no %1 on the workspace").arg(QLatin1String(button)));
    return waitDialog(name, opened);
}

int JourneyDriver::findRow(QTableWidget *table, const std::function<bool(int)> &match) const {
    for (int row = table->rowCount() - 1; row >= 0; --row)
        if (match(row)) return row;
    return -1;
}

bool JourneyDriver::checkRow(QTableWidget *table, int row) {
    QTableWidgetItem *item = table->item(row, column(table, kTickColumn));
    if (!item) return false;
    table->scrollToItem(item);
    QCoreApplication::processEvents();
    // The check box sits where the style draws it inside the cell.
    QStyleOptionViewItem option;
    option.initFrom(table->viewport());
    option.rect = table->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = table->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, table);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
    return item->checkState() == Qt::Checked;
}

// ---------------------------------------------------------------- shared moves

bool JourneyDriver::login(int exchangeIndex, const QString &account, const QString &password, const QString &name) {
    LoginWidget *form = mWindow->loginWidget();
    J_CHECK(mWindow->stack()->currentIndex() == 0, "the login page is not on show");
    auto *exchange = form->findChild<QComboBox *>(QStringLiteral("exchangeBox"));
    auto *accountEdit = form->findChild<QLineEdit *>(QStringLiteral("accountEdit"));
    auto *passwordEdit = form->findChild<QLineEdit *>(QStringLiteral("passwordEdit"));
    J_CHECK(exchange && accountEdit && passwordEdit, "login form incomplete");
    J_CHECK(waitFor([&] { return passwordEdit->isEnabled(); }, 30000), "login form stays disabled");
    // The exchange list is the platform's popup; choosing an entry is the same as setting it.
    exchange->setCurrentIndex(exchangeIndex);
    typeInto(accountEdit, account);
    typeInto(passwordEdit, password);
    shot(name, QStringLiteral("Login page filled in: %1, fund account %2").arg(exchange->currentText(), account),
         mWindow.get());
    QTest::keyClick(passwordEdit, Qt::Key_Return);
    return true;
}

bool JourneyDriver::loginToWorkspace(int exchangeIndex, const QString &password, const QString &name,
                                     const QString &caption) {
    QElapsedTimer clock;
    clock.start();
    if (!login(exchangeIndex, kAccount, password, name + QStringLiteral("-login"))) return false;
    J_CHECK(waitFor([&] { return workspace() != nullptr; }, 30000), "no workspace after a good login");
    figure(QStringLiteral("login to workspace"), clock.elapsed());
    auto *quotes = quoteTable();
    J_CHECK(waitFor([&] { return quotes && quotes->rowCount() > 0; }, 15000), "the watch list stays empty");
    shot(name, caption, mWindow.get());
    return true;
}

bool JourneyDriver::dropCounter(const QString &name, const QString &caption) {
    const int before = boxesWith(kDropText);
    mSim.dropConnections();
    J_CHECK(waitFor([&] { return boxesWith(kDropText) > before; }, 20000), "no message after the counter dropped");
    mBoxMark = mBoxes.count();
    J_CHECK(waitFor([&] { return mWindow->stack()->currentIndex() == 0 && !mWindow->workspace(); }, 10000),
            "not back on the login page with the workspace gone");
    shot(name, caption, mWindow.get());
    return true;
}

bool JourneyDriver::funds(double *available, double *fee, const QString &name, const QString &caption) {
    UserWidget *ws = workspace();
    J_CHECK(ws, "no workspace");
    // Blanked first, so that the figures read are the ones of this click's answer.
    if (auto *old = named<QLabel>(ws->findChild<QDialog *>(QStringLiteral("fundsDialog")), "availableCashValue"))
        old->clear();
    QDialog *dialog = nullptr;
    if (!openDialog("fundsDialogButton", "fundsDialog", &dialog)) return false;
    auto *availableValue = named<QLabel>(dialog, "availableCashValue");
    auto *feeValue = named<QLabel>(dialog, "feeValue");
    J_CHECK(availableValue && feeValue, "the funds dialog lacks its figures");
    J_CHECK(waitFor([&] { return !availableValue->text().isEmpty(); }, 15000), "no funds answer");
    bool okA = false, okF = false;
    *available = availableValue->text().toDouble(&okA);
    *fee = feeValue->text().toDouble(&okF);
    J_CHECK(okA && okF, "funds dialog shows no figures");
    shot(name, caption, dialog);
    dialog->close();
    return true;
}

// The search box scrolls the watch list to the code; its row's order button opens the order
// window on that code.
bool JourneyDriver::openOrderWindow(const QString &code, QDialog **window) {
    QTableWidget *quotes = quoteTable();
    J_CHECK(quotes, "no watch list");
    QWidget *quotesWindow = quotes->parentWidget();
    const int row = findRow(quotes, [&](int r) { return cell(quotes, r, kCodeColumn) == code; });
    J_CHECK(row >= 0, "code not in the watch list: " + code);
    typeInto(named<QLineEdit>(quotesWindow, "searchEdit"), code);
    J_CHECK(click(named<QPushButton>(quotesWindow, "searchButton")), "no search button on the watch list");
    QPushButton *orderButton = nullptr;
    J_CHECK(waitFor(
                [&] {
                    QWidget *w = quotes->cellWidget(row, column(quotes, kOperationColumn));
                    orderButton = w ? w->findChild<QPushButton *>() : nullptr;
                    return orderButton != nullptr;
                },
                5000),
            "no order button on the watch-list row");
    J_CHECK(click(orderButton), "order button not clickable");
    if (!waitDialog("orderWindow", window)) return false;
    auto *codeBox = named<QLineEdit>(*window, "codeBox");
    J_CHECK(codeBox && codeBox->text() == code, "order form code is " + (codeBox ? codeBox->text() : QString()));
    auto *name = named<QLabel>(*window, "nameLabel");
    J_CHECK(name && name->text() == cell(quotes, row, kNameColumn), "order form name differs from the watch list's");
    return true;
}

// A price clicked in the five-level panel, buy, the quantity typed.
bool JourneyDriver::fillOrder(QDialog *window, const QString &priceLabel, int quantity) {
    auto *price = window->findChild<QLabel *>(priceLabel);
    J_CHECK(price, "no panel label " + priceLabel);
    J_CHECK(waitFor([&] { return price->text() != QStringLiteral("-"); }, 5000), "five-level panel stays empty");
    const QString clickedPrice = price->text();
    QTest::mouseClick(price, Qt::LeftButton);
    auto *priceBox = named<QDoubleSpinBox>(window, "priceBox");
    J_CHECK(qAbs(priceBox->value() - clickedPrice.toDouble()) < 1e-6, "the clicked price did not reach the form");
    auto *buy = named<QRadioButton>(window, "buyButton");
    QTest::mouseClick(buy, Qt::LeftButton);
    J_CHECK(buy->isChecked(), "buy not chosen");
    typeInto(named<QSpinBox>(window, "quantityBox"), QString::number(quantity));
    return true;
}

bool JourneyDriver::orderFromWatchList(const QString &code, const QString &priceLabel, int quantity,
                                       const QString &name, const QString &caption) {
    QDialog *window = nullptr;
    if (!openOrderWindow(code, &window) || !fillOrder(window, priceLabel, quantity)) return false;
    shot(name, caption, window);
    mBoxMark = mBoxes.count();
    J_CHECK(click(named<QPushButton>(window, "orderButton")), "no order button");
    J_CHECK(waitBox(QStringLiteral("是否确认交易")), "no confirmation before sending");
    J_CHECK(waitBox(QStringLiteral("报单发送成功")), "order not accepted");
    ++mOwnShOrders;
    window->close();
    return true;
}

bool JourneyDriver::orderByKeyboard(const QString &code, const QString &priceLabel, int quantity, const QString &name,
                                    const QString &caption) {
    // The trader's hands never leave the keyboard once the main window has the focus.
    mWindow->activateWindow();
    J_CHECK(QTest::qWaitForWindowActive(mWindow.get()), "main window not active");
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : mWindow.get(), Qt::Key(HotKeys::kBuy));
    QDialog *window = nullptr;
    if (!waitDialog("orderWindow", &window)) return false;
    auto *codeBox = named<QLineEdit>(window, "codeBox");
    auto *priceBox = named<QDoubleSpinBox>(window, "priceBox");
    auto *quantityBox = named<QSpinBox>(window, "quantityBox");
    J_CHECK(codeBox && priceBox && quantityBox, "order form incomplete");
    J_CHECK(waitFor([&] { return QApplication::focusWidget() == codeBox; }, 5000), "F1 left the focus elsewhere");
    J_CHECK(named<QRadioButton>(window, "buyButton")->isChecked(), "F1 did not choose 买");
    QTest::keyClicks(codeBox, code);
    J_CHECK(codeBox->text() == code, "the code box holds " + codeBox->text());
    auto *price = window->findChild<QLabel *>(priceLabel);
    J_CHECK(price, "no panel label " + priceLabel);
    J_CHECK(waitFor([&] { return price->text() != QStringLiteral("-"); }, 5000), "five-level panel stays empty");
    const QString priceText = price->text();
    QTest::keyClick(codeBox, Qt::Key_Tab);
    J_CHECK(QApplication::focusWidget() == priceBox, "Tab did not lead from the code to the price");
    QTest::keyClicks(priceBox, priceText);
    J_CHECK(qAbs(priceBox->value() - priceText.toDouble()) < 1e-6, "typed price " + priceBox->text());
    QTest::keyClick(priceBox, Qt::Key_Tab);
    J_CHECK(QApplication::focusWidget() == quantityBox, "Tab did not lead from the price to the quantity");
    QTest::keyClicks(quantityBox, QString::number(quantity));
    J_CHECK(quantityBox->value() == quantity, "typed quantity " + quantityBox->text());
    auto *send = named<QPushButton>(window, "orderButton");
    toolTipsShot(name, caption, window, {{send, send->rect()}});

    mBoxMark = mBoxes.count();
    bool enterInBox = false;
    mWhileOpen = [&](QMessageBox *box) {
        enterInBox = box->text() == QStringLiteral("是否确认交易");
        QTest::keyClick(box, Qt::Key_Return);
    };
    QTest::keyClick(quantityBox, Qt::Key_Return);
    J_CHECK(waitBox(QStringLiteral("是否确认交易")), "no confirmation before sending");
    J_CHECK(enterInBox, "Enter did not answer the confirmation");
    J_CHECK(waitBox(QStringLiteral("报单发送成功")), "order not accepted");
    ++mOwnShOrders;
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key(HotKeys::kCloseOrder));
    J_CHECK(waitFor([&] { return !window->isVisible(); }, 5000), "Esc did not close the order window");
    return true;
}

void JourneyDriver::toolTipsShot(const QString &name, const QString &caption, QWidget *window,
                                 const QList<QPair<QWidget *, QRect>> &controls) {
    if (!mShot) return;
    QCoreApplication::processEvents();
    QPixmap picture = window->grab();
    QPainter painter(&picture);
    for (const auto &control : controls) {
        QWidget *widget = control.first;
        QString text = widget->toolTip();
        if (auto *bar = qobject_cast<QTabBar *>(widget)) text = bar->tabToolTip(bar->tabAt(control.second.center()));
        if (text.isEmpty()) continue;
        // Where the pointer would rest on the control; the tip shows just below it.
        QToolTip::showText(widget->mapToGlobal(control.second.center()), text, widget, control.second);
        QCoreApplication::processEvents();
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (!top->inherits("QTipLabel") || !top->isVisible()) continue;
            painter.drawPixmap(top->pos() - window->mapToGlobal(QPoint(0, 0)), top->grab());
        }
        QToolTip::hideText();
    }
    painter.end();
    QLabel composed;
    composed.setPixmap(picture);
    composed.setContentsMargins(0, 0, 0, 0);
    composed.resize(picture.size());
    shot(name, caption, &composed);
}

// The hot keys in the workspace's tool tips: 委托 F1/F2, the tabs F3/F4, the search F5.
bool JourneyDriver::hotKeysShot() {
    UserWidget *ws = workspace();
    J_CHECK(ws, "no workspace");
    QWidget *tab = queryTab(kOrderQueryTitle);
    J_CHECK(tab, "no order table");
    auto *tabs = ws->findChild<QTabWidget *>();
    QTabBar *bar = tabs->tabBar();
    QList<QPair<QWidget *, QRect>> controls;
    auto *orderButton = named<QPushButton>(ws, "orderWindowButton");
    auto *search = named<QPushButton>(tab, "searchButton");
    controls << qMakePair(static_cast<QWidget *>(orderButton), orderButton->rect())
             << qMakePair(static_cast<QWidget *>(search), search->rect());
    for (int i = 0; i < tabs->count(); ++i)
        if (!tabs->tabToolTip(i).isEmpty()) controls << qMakePair(static_cast<QWidget *>(bar), bar->tabRect(i));
    for (const auto &control : controls) {
        const QString tip =
            control.first == bar ? bar->tabToolTip(bar->tabAt(control.second.center())) : control.first->toolTip();
        J_CHECK(tip.contains(QRegularExpression(QStringLiteral("F[1-5]"))), "a tool tip without its key: " + tip);
    }
    J_CHECK(controls.size() == 4, "not every hot key is in a tool tip");
    toolTipsShot(QStringLiteral("hot-keys"),
                 QStringLiteral("Hot keys in the tool tips: 委托 F1 买 / F2 卖, F3 委托查询, F4 持仓查询, F5 搜索"),
                 mWindow.get(), controls);
    return true;
}

bool JourneyDriver::searchOrders(const QString &code) {
    QWidget *tab = queryTab(kOrderQueryTitle);
    J_CHECK(tab, "no order table");
    typeInto(named<QLineEdit>(tab, "codeEdit"), code);
    auto *search = named<QPushButton>(tab, "searchButton");
    J_CHECK(click(search), "order search not clickable");
    J_CHECK(waitFor([&] { return search->isEnabled(); }, 30000), "order search never finished");
    return true;
}

bool JourneyDriver::startMdServer(const std::string &port, const char *codes) {
    std::string error;
    if (!mMdSim.start(mSimProgram.toStdString(),
                      {"--deterministic", "--md-interval-ms", "300", "--md-port", port, "--md-codes", codes}, &error))
        return fail(QString::fromStdString(error), __LINE__);
    return true;
}

// ---------------------------------------------------------------- the journey

bool JourneyDriver::setUp() {
    std::string error;
    if (!mSim.start(mSimProgram.toStdString(),
                    {"--deterministic", "--preload-orders", std::to_string(kPreloadedOrders), "--rtn-delay-ms", "100"},
                    &error))
        return fail(QString::fromStdString(error), __LINE__);
    J_CHECK(writeConfig(mSim.counterPort, mSim.mdPort), "cannot write config/ beside the executable");
    // The catalogue and the version as the build lays them beside the client.
    for (const QString &name : {kErrorMsgFile, kVersionFile}) {
        QFile source(QStringLiteral(QETO_SOURCE_DIR) + name);
        J_CHECK(source.open(QIODevice::ReadOnly) && writeFile(besideApp(name), source.readAll()),
                "cannot lay " + name + " beside the executable");
    }
    QDir(mWorkDir).mkpath(QStringLiteral("."));

    mWindow = std::make_unique<MainWindow>();
    mWindow->show();
    // As main() does.
    mWindow->setWindowTitle(windowTitleFor(getVersion()));
    J_CHECK(QTest::qWaitForWindowExposed(mWindow.get()), "main window not exposed");
    return true;
}

bool JourneyDriver::stepStart() {
    const QString version = appVersion();
    J_CHECK(!version.isEmpty(), "no version beside the executable");
    J_CHECK(mWindow->windowTitle() == QStringLiteral("Qeto-Desk ") + version, "title is " + mWindow->windowTitle());
    J_CHECK(mWindow->stack()->currentIndex() == 0, "the client does not start on the login page");
    shot(QStringLiteral("start"), QStringLiteral("Start: the login page, the version in the title"), mWindow.get());

    mBoxMark = mBoxes.count();
    if (!login(kShanghai, kAccount, QStringLiteral("654321"), QStringLiteral("login-wrong-password"))) return false;
    J_CHECK(waitBox(kRefusedText, 30000), "wrong password not refused with [1001]");
    J_CHECK(mWindow->stack()->currentIndex() == 0, "left the login page after a refusal");

    // Shenzhen first: its funds before the day's transfers.
    if (!loginToWorkspace(kShenzhen, mPassword, QStringLiteral("workspace-shenzhen"),
                          QStringLiteral("Workspace after logging in on 深交 (Shenzhen)")))
        return false;
    double fee = 0;
    if (!funds(&mSzAvailableAtStart, &fee, QStringLiteral("funds-shenzhen"),
               QStringLiteral("Funds dialog (资金查询), Shenzhen counter")))
        return false;
    if (!dropCounter(QStringLiteral("dropped-at-start"),
                     QStringLiteral("Back on the login page after the counter dropped the connection")))
        return false;
    return loginToWorkspace(kShanghai, mPassword, QStringLiteral("workspace-shanghai"),
                            QStringLiteral("Workspace after logging in on 上交 (Shanghai)"));
}

bool JourneyDriver::stepOrder() {
    J_CHECK(workspace(), "no workspace");
    QTableWidget *quotes = quoteTable();
    const int shRow = findRow(quotes, [&](int r) { return cell(quotes, r, kCodeColumn) == QStringLiteral("600000"); });
    J_CHECK(shRow >= 0, "600000 not in the watch list");
    mShCode = cell(quotes, shRow, kCodeColumn);
    if (!restTwoBuys() || !cancelBoth()) return false;

    // A marketable buy at the upper limit fills at once against the offers.
    double availableBefore = 0, feeBefore = 0, tradePrice = 0;
    if (!funds(&availableBefore, &feeBefore, QStringLiteral("funds-before-buy"),
               QStringLiteral("Funds dialog before the marketable buy")))
        return false;
    return marketableBuy(&tradePrice) && boughtToday() && paidForTheFill(availableBefore, feeBefore, tradePrice);
}

// Two buys at the lower limit rest on the book, shown 已报 and ticked for one batch cancel: the
// first sent by keyboard alone, the second from the watch list.
bool JourneyDriver::restTwoBuys() {
    if (!hotKeysShot()) return false;
    if (!orderByKeyboard(mShCode, QStringLiteral("lowerLimit"), 100, QStringLiteral("order-window-keyboard"),
                         QStringLiteral("Order window by keyboard alone: F1, %1, Tab, the 跌停 price, Tab, 100 "
                                        "shares, then Enter here and Enter in the 确认 box")
                             .arg(mShCode)))
        return false;
    for (int quantity : {200}) {
        if (!orderFromWatchList(mShCode, QStringLiteral("lowerLimit"), quantity,
                                QStringLiteral("order-window-resting-%1").arg(quantity),
                                QStringLiteral("Order window: %1 from the watch list, 跌停 price clicked in the "
                                               "five-level panel, %2 shares")
                                    .arg(mShCode)
                                    .arg(quantity)))
            return false;
    }
    if (!searchOrders(mShCode)) return false;
    auto *orders = queryTab(kOrderQueryTitle)->findChild<QTableWidget *>();
    const int last = orders->rowCount() - 1;
    J_CHECK(last >= 1, "the order table lacks the new orders");
    for (int row : {last - 1, last}) {
        J_CHECK(cell(orders, row, kCodeColumn) == mShCode &&
                    cell(orders, row, kOrderStatusColumn) == QStringLiteral("已报"),
                QStringLiteral("row %1: %2 %3")
                    .arg(row)
                    .arg(cell(orders, row, kCodeColumn), cell(orders, row, kOrderStatusColumn)));
        J_CHECK(cell(orders, row, kOrderVolumeColumn) == (row == last ? QStringLiteral("200") : QStringLiteral("100")),
                "order quantity " + cell(orders, row, kOrderVolumeColumn));
        J_CHECK(checkRow(orders, row), "could not tick the order");
    }
    shot(QStringLiteral("orders-ticked"),
         QStringLiteral("Order table (委托查询): the two resting orders ticked for 批量撤单"), mWindow.get());
    return true;
}

bool JourneyDriver::cancelBoth() {
    QWidget *tab = queryTab(kOrderQueryTitle);
    auto *orders = tab->findChild<QTableWidget *>();
    auto *search = named<QPushButton>(tab, "searchButton");
    const int last = orders->rowCount() - 1;
    mBoxMark = mBoxes.count();
    J_CHECK(click(named<QPushButton>(tab, "cancelButton")), "cancel button");
    J_CHECK(waitBox(QStringLiteral("批量撤单发送成功")), "batch cancel not confirmed");
    // The table searches again by itself after the answer.
    J_CHECK(waitFor(
                [&] {
                    return search->isEnabled() && orders->rowCount() > last &&
                           cell(orders, last, kOrderStatusColumn) == QStringLiteral("已撤") &&
                           cell(orders, last - 1, kOrderStatusColumn) == QStringLiteral("已撤");
                },
                20000),
            "cancelled orders not shown as 已撤");
    shot(QStringLiteral("orders-cancelled"), QStringLiteral("Order table after the batch cancel: both orders 已撤"),
         mWindow.get());
    return true;
}

bool JourneyDriver::marketableBuy(double *tradePrice) {
    if (!orderFromWatchList(mShCode, QStringLiteral("upperLimit"), 100, QStringLiteral("order-window-marketable"),
                            QStringLiteral("Order window: a marketable buy of 100 %1 at the 涨停 price").arg(mShCode)))
        return false;
    QWidget *tradesTab = queryTab(kTradeQueryTitle);
    J_CHECK(tradesTab, "no trade table");
    auto *trades = tradesTab->findChild<QTableWidget *>();
    typeInto(named<QLineEdit>(tradesTab, "codeEdit"), mShCode);
    // The fill happened on arrival, before the answer to the order, so one query finds it.
    auto *query = named<QPushButton>(tradesTab, "queryButton");
    J_CHECK(click(query), "trade query");
    J_CHECK(waitFor([&] { return query->isEnabled(); }, 20000), "trade query never finished");
    const int row = trades->rowCount() - 1;
    J_CHECK(row >= 0 && cell(trades, row, kCodeColumn) == mShCode &&
                cell(trades, row, kDirectionColumn) == QStringLiteral("买") &&
                cell(trades, row, kTradeVolumeColumn) == QStringLiteral("100") &&
                cell(trades, row, kLeavesColumn) == QStringLiteral("0"),
            "the fill is not the trade table's last row");
    *tradePrice = cell(trades, row, kTradePriceColumn).toDouble();
    shot(QStringLiteral("trades-fill"), QStringLiteral("Trade table (成交查询): the fill of the marketable buy"),
         mWindow.get());
    return true;
}

bool JourneyDriver::boughtToday() {
    QWidget *positionsTab = queryTab(kPositionQueryTitle);
    J_CHECK(positionsTab, "no position table");
    auto *positions = positionsTab->findChild<QTableWidget *>();
    typeInto(named<QLineEdit>(positionsTab, "codeEdit"), mShCode);
    J_CHECK(click(named<QPushButton>(positionsTab, "searchButton")), "position search");
    J_CHECK(waitFor([&] { return positions->rowCount() > 0 && cell(positions, 0, kCodeColumn) == mShCode; }, 15000),
            "no position row for the code");
    J_CHECK(cell(positions, 0, kTodayBuyColumn) == QStringLiteral("100"),
            "today's bought quantity is " + cell(positions, 0, kTodayBuyColumn));
    shot(QStringLiteral("positions-bought"), QStringLiteral("Position table (持仓查询): 100 bought today"),
         mWindow.get());
    return true;
}

bool JourneyDriver::paidForTheFill(double availableBefore, double feeBefore, double tradePrice) {
    double availableAfter = 0, feeAfter = 0;
    if (!funds(&availableAfter, &feeAfter, QStringLiteral("funds-after-fill"),
               QStringLiteral("Funds dialog after the fill: less by price × quantity + fee")))
        return false;
    const double expected = tradePrice * 100 + (feeAfter - feeBefore);
    J_CHECK(feeAfter > feeBefore, "no fee charged");
    J_CHECK(qAbs((availableBefore - availableAfter) - expected) < 0.011,
            QStringLiteral("available fell by %1, price × quantity + fee is %2")
                .arg(availableBefore - availableAfter, 0, 'f', 3)
                .arg(expected, 0, 'f', 3));
    return true;
}

bool JourneyDriver::stepPaging() {
    QWidget *tab = queryTab(kOrderQueryTitle);
    J_CHECK(tab, "no order table");
    return searchEveryOrder(tab) && exportOrders(tab) && pageToTheEnd(tab);
}

int JourneyDriver::shanghaiOrders() const { return kPreloadedOrders / 2 + mOwnShOrders; }

bool JourneyDriver::searchEveryOrder(QWidget *tab) {
    auto *orders = tab->findChild<QTableWidget *>();
    auto *search = named<QPushButton>(tab, "searchButton");
    J_CHECK(click(named<QPushButton>(tab, "clearButton")), "clear button");
    QElapsedTimer clock;
    clock.start();
    J_CHECK(click(search), "order search");
    J_CHECK(waitFor([&] { return orders->rowCount() > 0; }, 60000), "no rows after the search");
    figure(QStringLiteral("order search to first rows"), clock.elapsed());
    J_CHECK(waitFor([&] { return search->isEnabled(); }, 120000), "the search never finished");
    figure(QStringLiteral("order search to the last answer"), clock.elapsed());
    J_CHECK(orders->rowCount() == kPageRows, QStringLiteral("first page has %1 rows").arg(orders->rowCount()));
    J_CHECK(named<QPushButton>(tab, "moreButton")->isEnabled(), "更多 not offered");
    shot(QStringLiteral("orders-first-page"),
         QStringLiteral("Order table: the first 10,000 of %1 orders, 更多 offered").arg(shanghaiOrders()),
         mWindow.get());
    return true;
}

bool JourneyDriver::exportOrders(QWidget *tab) {
    const QString shownFile = mWorkDir + QStringLiteral("/orders-shown.csv");
    const QString allFile = mWorkDir + QStringLiteral("/orders-all.csv");
    QueryWindow::setSaveFileNameProvider([&] { return shownFile; });
    mBoxMark = mBoxes.count();
    QElapsedTimer clock;
    clock.start();
    J_CHECK(click(named<QPushButton>(tab, "exportButton")), "export button");
    J_CHECK(waitBox(QStringLiteral("文件写入成功")), "export not reported written");
    figure(QStringLiteral("export of the shown rows"), clock.elapsed());
    J_CHECK(csvLines(shownFile) == 1 + kPageRows, QStringLiteral("导出 wrote %1 lines").arg(csvLines(shownFile)));
    QueryWindow::setSaveFileNameProvider([&] { return allFile; });
    clock.restart();
    J_CHECK(click(named<QPushButton>(tab, "exportAllButton")), "export-all button");
    J_CHECK(waitBox(QStringLiteral("文件写入成功")), "export-all not reported written");
    figure(QStringLiteral("export of every record"), clock.elapsed());
    QueryWindow::setSaveFileNameProvider({});
    J_CHECK(csvLines(allFile) == 1 + shanghaiOrders(),
            QStringLiteral("全部导出 wrote %1 lines").arg(csvLines(allFile)));
    return true;
}

bool JourneyDriver::pageToTheEnd(QWidget *tab) {
    auto *orders = tab->findChild<QTableWidget *>();
    auto *more = named<QPushButton>(tab, "moreButton");
    for (int page = 0; page < 10 && more->isEnabled(); ++page) click(more);
    J_CHECK(orders->rowCount() == shanghaiOrders(), QStringLiteral("%1 rows after 更多").arg(orders->rowCount()));
    orders->scrollToBottom();
    shot(QStringLiteral("orders-all"), QStringLiteral("Order table after 更多: all %1 orders").arg(shanghaiOrders()),
         mWindow.get());
    return true;
}

bool JourneyDriver::stepMoney() {
    J_CHECK(workspace(), "no workspace");
    double start = 0, fee = 0;
    if (!funds(&start, &fee, QStringLiteral("funds-before-money"),
               QStringLiteral("Funds dialog before the money movements")))
        return false;
    if (!depositAndWithdraw()) return false;
    double afterCash = 0;
    if (!funds(&afterCash, &fee, QStringLiteral("funds-after-money"),
               QStringLiteral("Funds dialog: 3000 more available")))
        return false;
    J_CHECK(qAbs(afterCash - start - 3000) < 0.011, QStringLiteral("available moved by %1").arg(afterCash - start));
    return transferBothWays(afterCash);
}

// 5000 in and 2000 out, both in the records after a refresh.
bool JourneyDriver::depositAndWithdraw() {
    QDialog *money = nullptr;
    if (!openDialog("depositDialogButton", "depositDialog", &money)) return false;
    auto *amount = named<QLineEdit>(money, "amountEdit");
    mBoxMark = mBoxes.count();
    typeInto(amount, QStringLiteral("5000"));
    J_CHECK(click(named<QPushButton>(money, "depositButton")), "入金");
    J_CHECK(waitBox(QStringLiteral("调入资金成功")), "deposit not confirmed");
    typeInto(amount, QStringLiteral("2000"));
    J_CHECK(click(named<QPushButton>(money, "withdrawButton")), "出金");
    J_CHECK(waitBox(QStringLiteral("调出资金成功")), "withdrawal not confirmed");
    J_CHECK(click(named<QPushButton>(money, "refreshButton")), "刷新");
    auto *records = money->findChild<QTableWidget *>();
    J_CHECK(waitFor(
                [&] {
                    const int n = records->rowCount();
                    return n >= 2 && cell(records, n - 2, kInOutAmountColumn) == QStringLiteral("5000.00") &&
                           cell(records, n - 2, kOperationColumn) == QStringLiteral("入金") &&
                           cell(records, n - 1, kInOutAmountColumn) == QStringLiteral("2000.00") &&
                           cell(records, n - 1, kOperationColumn) == QStringLiteral("出金");
                },
                15000),
            "deposit and withdrawal records missing");
    shot(QStringLiteral("deposit-withdrawal"),
         QStringLiteral("出入金: a deposit of 5000 and a withdrawal of 2000 with their records"), money);
    money->close();
    return true;
}

// 3000 to Shenzhen and 1000 back, each confirmed and seen in the Shanghai funds.
bool JourneyDriver::transferBothWays(double shCash) {
    QDialog *transfer = nullptr;
    if (!openDialog("transferDialogButton", "transferDialog", &transfer)) return false;
    struct Move {
        const char *direction;
        double amount;
        double toShanghai;  // what Shanghai gains per unit moved
    };
    for (const Move &m : {Move{"shToSzButton", 3000, -1}, Move{"szToShButton", 1000, 1}}) {
        auto *direction = named<QRadioButton>(transfer, m.direction);
        QTest::mouseClick(direction, Qt::LeftButton);
        J_CHECK(direction->isChecked(), "direction not chosen");
        typeInto(named<QDoubleSpinBox>(transfer, "amountBox"), QString::number(m.amount, 'f', 2));
        mBoxMark = mBoxes.count();
        J_CHECK(click(named<QPushButton>(transfer, "transferButton")), "调拨");
        J_CHECK(waitBox(QStringLiteral("是否确认调拨")), "no confirmation before the transfer");
        J_CHECK(waitBox(QStringLiteral("调拨成功")), "transfer return not successful");
        double now = 0, fee = 0;
        if (!funds(&now, &fee, QStringLiteral("funds-after-transfer-%1").arg(m.amount),
                   QStringLiteral("Funds dialog after the transfer")))
            return false;
        const double moved = m.amount * m.toShanghai;
        J_CHECK(qAbs(now - shCash - moved) < 0.011, QStringLiteral("Shanghai funds moved by %1").arg(now - shCash));
        shCash = now;
        transfer->show();
    }
    mTransferredToSz = 3000 - 1000;
    return transferRecordsShow(transfer);
}

bool JourneyDriver::transferRecordsShow(QDialog *transfer) {
    J_CHECK(click(named<QPushButton>(transfer, "refreshButton")), "transfer records refresh");
    auto *transfers = transfer->findChild<QTableWidget *>();
    J_CHECK(waitFor([&] { return transfers->rowCount() >= 2; }, 15000), "no transfer records");
    const int n = transfers->rowCount();
    J_CHECK(cell(transfers, n - 2, kTransferAmountColumn) == QStringLiteral("3000.00") &&
                cell(transfers, n - 2, kTransferDirectionColumn) == QStringLiteral("上交柜台调往深交柜台") &&
                cell(transfers, n - 1, kTransferAmountColumn) == QStringLiteral("1000.00") &&
                cell(transfers, n - 1, kTransferDirectionColumn) == QStringLiteral("深交柜台调往上交柜台"),
            "transfer records differ");
    shot(QStringLiteral("transfer"), QStringLiteral("沪深资金调拨: 3000 to Shenzhen and 1000 back, with their records"),
         transfer);
    transfer->close();
    return true;
}

bool JourneyDriver::stepPassword() {
    J_CHECK(workspace(), "no workspace");
    QDialog *dialog = nullptr;
    if (!openDialog("passwordDialogButton", "passwordDialog", &dialog)) return false;
    auto *oldEdit = named<QLineEdit>(dialog, "oldPasswordEdit");
    auto *newEdit = named<QLineEdit>(dialog, "newPasswordEdit");
    J_CHECK(oldEdit && newEdit && oldEdit->text().isEmpty() && newEdit->text().isEmpty(),
            "password fields not empty on opening");
    typeInto(oldEdit, mPassword);
    typeInto(newEdit, kNewPassword);
    shot(QStringLiteral("password-typed"), QStringLiteral("修改密码: old and new password typed"), dialog);
    mBoxMark = mBoxes.count();
    J_CHECK(click(named<QPushButton>(dialog, "confirmButton")), "确认");
    J_CHECK(waitBox(QStringLiteral("是否确认修改密码")), "no confirmation before the change");
    J_CHECK(waitBox(QStringLiteral("密码修改成功")), "password change not confirmed");

    if (!dropCounter(QStringLiteral("dropped-after-password"),
                     QStringLiteral("Logged out by the counter dropping the connection")))
        return false;
    if (!login(kShanghai, kAccount, mPassword, QStringLiteral("login-old-password"))) return false;
    J_CHECK(waitBox(kRefusedText, 30000), "the old password still logs in");
    mPassword = kNewPassword;
    return loginToWorkspace(kShanghai, mPassword, QStringLiteral("workspace-new-password"),
                            QStringLiteral("Workspace after logging in with the new password"));
}

bool JourneyDriver::stepFaults() {
    // A drop: back to the login page, and the next login builds a new workspace.
    QPointer<UserWidget> first = workspace();
    J_CHECK(first, "no workspace");
    if (!dropCounter(QStringLiteral("dropped"),
                     QStringLiteral("Counter dropped every connection: back on the login page")))
        return false;
    J_CHECK(!first, "the old workspace survived the drop");
    if (!loginToWorkspace(kShanghai, mPassword, QStringLiteral("workspace-again"),
                          QStringLiteral("A fresh workspace after logging in again")))
        return false;
    return secondDropWhileMessageOpen() && mdServerOfItsOwn() && mdServerComesBack();
}

// A second drop while the first one's message is still open gives no second message.
bool JourneyDriver::secondDropWhileMessageOpen() {
    QPointer<UserWidget> second = workspace();
    // Counted on this thread after the main window's own slot, which was connected first.
    auto counts = std::make_shared<DropCounts>();
    SignalInterface *hub = SignalInterface::instance();
    const QMetaObject::Connection c1 = connect(
        hub, &SignalInterface::signal_sendLoginRequest, this, [counts] { ++counts->reconnects; }, Qt::QueuedConnection);
    const QMetaObject::Connection c2 = connect(
        hub, &SignalInterface::signal_onFrontDisconnected, this, [counts] { ++counts->drops; }, Qt::QueuedConnection);
    const int messages = boxesWith(kDropText);
    QString whileOpenError;
    bool whileOpenDone = false;
    mWhileOpen = [&](QMessageBox *) {
        whileOpenDone = true;
        whileOpenError = dropAgain(*counts, messages, second);
    };
    mSim.dropConnections();
    const bool answered = waitFor([&] { return whileOpenDone && !second; }, 60000);
    disconnect(c1);
    disconnect(c2);
    J_CHECK(whileOpenError.isEmpty(), whileOpenError);
    J_CHECK(answered, "no message, or the workspace stayed after it");
    J_CHECK(mWindow->stack()->currentIndex() == 0, "not on the login page after the drops");
    J_CHECK(boxesWith(kDropText) == messages + 1, "a second message box came after the first");
    mBoxMark = mBoxes.count();
    return true;
}

// Inside the first message: the library reconnects by itself, and that connection drops too.
QString JourneyDriver::dropAgain(const DropCounts &counts, int messages, const QPointer<UserWidget> &workspace) {
    if (!waitFor([&] { return counts.reconnects > 0; }, 20000)) return QStringLiteral("the library did not reconnect");
    const int dropsBefore = counts.drops;
    mSim.dropConnections();
    if (!waitFor([&] { return counts.drops > dropsBefore; }, 20000))
        return QStringLiteral("the second drop was not reported");
    if (boxesWith(kDropText) != messages + 1) return QStringLiteral("a second message box for the second drop");
    if (!workspace) return QStringLiteral("workspace deleted while its message was open");
    return QString();
}

// Market data from a server of its own, on Shenzhen this time: the other side of the day's
// transfers.
bool JourneyDriver::mdServerOfItsOwn() {
    if (!startMdServer("0", "200")) return false;
    J_CHECK(writeConfig(mSim.counterPort, mMdSim.mdPort), "cannot rewrite the market-data address");
    if (!loginToWorkspace(kShenzhen, mPassword, QStringLiteral("workspace-md-server"),
                          QStringLiteral("Workspace on 深交 with market data from another server")))
        return false;
    double szCash = 0, fee = 0;
    if (!funds(&szCash, &fee, QStringLiteral("funds-shenzhen-after-transfers"),
               QStringLiteral("Funds dialog, Shenzhen counter, after the transfers")))
        return false;
    J_CHECK(qAbs(szCash - mSzAvailableAtStart - mTransferredToSz) < 0.011,
            QStringLiteral("Shenzhen funds moved by %1").arg(szCash - mSzAvailableAtStart));
    QTableWidget *quotes = quoteTable();
    J_CHECK(waitFor([&] { return quotes->rowCount() == 200; }, 15000), "watch list not filled from the md server");
    return true;
}

// The market-data server killed and started again on its port, with more codes, so that fresh
// quotes are told from the old ones.
bool JourneyDriver::mdServerComesBack() {
    QTableWidget *quotes = quoteTable();
    QStringList codes;
    for (int r = 0; r < quotes->rowCount(); ++r) codes << cell(quotes, r, kCodeColumn);
    const quint16 mdPort = mMdSim.mdPort;
    mMdSim.stop();
    QElapsedTimer clock;
    clock.start();
    if (!startMdServer(std::to_string(mdPort), "300")) return false;
    // Until a code of the new server shows, the list holds exactly the codes it had.
    bool kept = true;
    J_CHECK(waitFor(
                [&] {
                    if (quotes->rowCount() > codes.size()) return true;
                    for (int r = 0; r < codes.size() && kept; ++r) kept = cell(quotes, r, kCodeColumn) == codes.at(r);
                    kept = kept && quotes->rowCount() == codes.size();
                    return !kept;
                },
                20000),
            "quotes did not flow again after the market-data server came back");
    J_CHECK(kept, "the watch list lost its codes while the market-data server was away");
    J_CHECK(waitFor([&] { return quotes->rowCount() == 300; }, 10000), "not every code of the new server shows");
    figure(QStringLiteral("market data back after the server restarted"), clock.elapsed());
    shot(QStringLiteral("md-server-back"),
         QStringLiteral("Watch list after the market-data server came back with 300 codes"), mWindow.get());
    return true;
}
