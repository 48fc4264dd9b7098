// A trader's whole day against qeto-sim, driven through the client's widgets only: the
// journey suite checks it, the walkthrough program photographs it. Each step returns false
// with error() set at the first outcome that is not what the simulator's state says.
#ifndef QETO_JOURNEY_DRIVER_H
#define QETO_JOURNEY_DRIVER_H

#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

#include "modal_box.h"
#include "qeto_demo_accounts.h"
#include "sim_process.h"

class MainWindow;
class QAbstractButton;
class QDialog;
class QMessageBox;
class QTableWidget;
class QWidget;
class UserWidget;

class JourneyDriver : public QObject {
    Q_OBJECT
public:
    // name: the step the picture is of, unique in a run; caption: what it shows; widget: the
    // window, dialog or message box to grab.
    using Shot = std::function<void(const QString &name, const QString &caption, QWidget *widget)>;

    JourneyDriver(const QString &simProgram, const QString &workDir);
    ~JourneyDriver() override;

    void setShot(Shot shot) { mShot = std::move(shot); }
    QString error() const { return mError; }
    MainWindow *window() const { return mWindow.get(); }
    // Wall times in ms, in the order measured.
    const QList<QPair<QString, qint64>> &figures() const { return mFigures; }

    // Starts the simulator, lays version.txt and config/ beside the executable, shows the window.
    bool setUp();
    bool stepStart();
    bool stepOrder();
    bool stepPaging();
    bool stepMoney();
    bool stepPassword();
    bool stepFaults();

    // Ends the simulator children (before a quick exit, which runs no destructors).
    void stopSimulators();

    static QString appVersion();
    // Client log lines go to this file; lines of the journey's own ("journey …") go on to the
    // handler installed before, so a run's output keeps to the figures and failures.
    static void routeClientLog(const QString &file);

private:
    struct DropCounts {
        int reconnects = 0;
        int drops = 0;
    };

    bool fail(const QString &what, int line);
    bool waitFor(const std::function<bool()> &condition, int timeoutMs);
    void figure(const QString &name, qint64 ms);
    // name: what the walkthrough's gallery and the README's pictures pick the picture by.
    void shot(const QString &name, const QString &caption, QWidget *widget);
    void onBox(QMessageBox *box);
    bool waitBox(const QString &text, int timeoutMs = 20000);
    int boxesWith(const QString &text) const;

    // The page: the workspace, its tabs, tables and dialogs, controls by their object names.
    bool writeConfig(quint16 counterPort, quint16 mdPort);
    void typeInto(QWidget *edit, const QString &text);
    bool click(QAbstractButton *button);
    UserWidget *workspace() const;
    QTableWidget *quoteTable() const;
    QWidget *queryTab(const QString &title) const;
    QDialog *shownDialog(const char *name) const;
    bool waitDialog(const char *name, QDialog **shown);
    bool openDialog(const char *button, const char *name, QDialog **opened);
    int findRow(QTableWidget *table, const std::function<bool(int row)> &match) const;
    bool checkRow(QTableWidget *table, int row);

    // Moves made more than once.
    bool login(int exchangeIndex, const QString &account, const QString &password, const QString &name);
    bool loginToWorkspace(int exchangeIndex, const QString &password, const QString &name, const QString &caption);
    bool dropCounter(const QString &name, const QString &caption);
    bool funds(double *available, double *fee, const QString &name, const QString &caption);
    bool openOrderWindow(const QString &code, QDialog **window);
    bool fillOrder(QDialog *window, const QString &priceLabel, int quantity);
    bool orderFromWatchList(const QString &code, const QString &priceLabel, int quantity, const QString &name,
                            const QString &caption);
    // F1, the code, Tab, the price, Tab, the quantity, Enter; Enter again in the 确认 box.
    bool orderByKeyboard(const QString &code, const QString &priceLabel, int quantity, const QString &name,
                         const QString &caption);
    // A picture of `window` with the tool tips of `controls` on it, where they show.
    void toolTipsShot(const QString &name, const QString &caption, QWidget *window,
                      const QList<QPair<QWidget *, QRect>> &controls);
    bool hotKeysShot();
    bool searchOrders(const QString &code);
    bool startMdServer(const std::string &port, const char *codes);

    // The steps' parts, in journey order.
    bool restTwoBuys();
    bool cancelBoth();
    bool marketableBuy(double *tradePrice);
    bool boughtToday();
    bool paidForTheFill(double availableBefore, double feeBefore, double tradePrice);
    int shanghaiOrders() const;
    bool searchEveryOrder(QWidget *tab);
    bool exportOrders(QWidget *tab);
    bool pageToTheEnd(QWidget *tab);
    bool depositAndWithdraw();
    bool transferBothWays(double shCash);
    bool transferRecordsShow(QDialog *transfer);
    bool secondDropWhileMessageOpen();
    QString dropAgain(const DropCounts &counts, int messages, const QPointer<UserWidget> &workspace);
    bool mdServerOfItsOwn();
    bool mdServerComesBack();

    QString mSimProgram;
    QString mWorkDir;
    qeto::test::SimProcess mSim;
    qeto::test::SimProcess mMdSim;
    std::unique_ptr<MainWindow> mWindow;
    Shot mShot;
    QString mError;
    QList<QPair<QString, qint64>> mFigures;

    ModalBoxWatcher mBoxes;
    int mBoxMark = 0;  // boxes before this one were already waited for
    // Runs for the next box instead of answering it, inside the box's own event loop (the
    // only place code can run while a modal box is open); the box is answered after it.
    std::function<void(QMessageBox *)> mWhileOpen;

    QString mPassword = QLatin1String(qeto::sim::demo::kPassword);
    QString mShCode;  // the Shanghai code traded
    double mSzAvailableAtStart = 0;
    double mTransferredToSz = 0;
    int mOwnShOrders = 0;  // orders placed on the Shanghai counter by the journey
};

#endif  // QETO_JOURNEY_DRIVER_H
