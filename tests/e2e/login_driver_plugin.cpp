// A Qt generic plugin that plays the user inside the real client (loaded through
// QT_QPA_GENERIC_PLUGINS): at the login page it reports the window title, logs in, and then
// reports what the client shows, one line each on standard output.
// Loaded as "qetologindriver:crash" it then crashes the client on purpose, for checking the
// crash report where no signal can be sent from outside (Windows): a write through a null
// pointer, which every platform's crash handler sees.
#include <QApplication>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <thread>

#include "login_page.h"
#include "modal_box.h"

namespace {

void say(const QString &line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

class LoginDriver : public QObject {
public:
    explicit LoginDriver(bool crashAfterLogin) : mCrashAfterLogin(crashAfterLogin) {
        connect(&mTimer, &QTimer::timeout, this, &LoginDriver::tick);
        mTimer.start(50);
        // A box ends the drive and stays for the one reading the output.
        mBoxes.setAnswer(ModalBoxWatcher::kLeaveOpen);
        mBoxes.setOnBox([this](QMessageBox *box) {
            say(QStringLiteral("box: %1 | %2").arg(box->windowTitle(), box->text()));
            mTimer.stop();
        });
    }

private:
    void tick() {
        if (mBoxes.count() > 0) return;
        if (!mClicked) {
            QPushButton *button = qeto::test::fillDemoLogin();
            if (!button) return;
            say(QStringLiteral("title: ") + button->window()->windowTitle());
            // Queued: a message box opened by the click runs its own event loop, in which this
            // timer must fire again.
            QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
            mClicked = true;
        } else if (QPushButton *button = qeto::test::findInWindows<QPushButton>("loginButton");
                   button && !button->isVisible()) {
            say(QStringLiteral("page: workspace"));
            mTimer.stop();
            // A moment for the workspace to be seen (and photographed) first.
            if (mCrashAfterLogin) QTimer::singleShot(3000, this, &LoginDriver::crash);
        }
    }

    // On a thread of its own: a fault inside a window procedure can be swallowed on 64-bit
    // Windows, one on a plain thread always reaches the unhandled-exception filter. The GUI
    // thread waits in join, so its stack still shows the event loop.
    static void crash() {
        std::thread([] {
            // The thread's id as the system knows it (on Windows the minidump's exception stream
            // names it).
            say(QStringLiteral("crash: thread %1").arg(reinterpret_cast<quintptr>(QThread::currentThreadId())));
            volatile int *volatile target = nullptr;
            *target = 1;
        }).join();
    }

    QTimer mTimer;
    ModalBoxWatcher mBoxes;
    bool mClicked = false;
    const bool mCrashAfterLogin;
};

}  // namespace

class LoginDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "login_driver.json")
public:
    QObject *create(const QString &, const QString &options) override {
        return new LoginDriver(options == QLatin1String("crash"));
    }
};

#include "login_driver_plugin.moc"
