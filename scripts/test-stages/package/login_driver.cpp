// Test-only: preloaded (LD_PRELOAD) into the installed client by the package stage. Once the
// login form is on screen it fills it from QETO_LOGIN_ACCOUNT / QETO_LOGIN_PASSWORD and presses
// the login button, as a person would; everything after that is the client's own doing.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

template <typename T>
T *widgetNamed(const char *name) {
    for (QWidget *w : QApplication::allWidgets())
        if (w->objectName() == QLatin1String(name))
            if (T *t = qobject_cast<T *>(w)) return t;
    return nullptr;
}

// Runs inside QCoreApplication's constructor, before the QApplication is complete: the
// widgets are looked for from the event loop.
void startDriver() {
    auto *timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
            timer->stop();  // not a widget application
            return;
        }
        auto *exchange = widgetNamed<QComboBox>("exchangeBox");
        auto *account = widgetNamed<QLineEdit>("accountEdit");
        auto *password = widgetNamed<QLineEdit>("passwordEdit");
        auto *login = widgetNamed<QPushButton>("loginButton");
        if (!exchange || !account || !password || !login || !login->isVisible() || !login->isEnabled()) return;
        timer->stop();
        timer->deleteLater();
        exchange->setCurrentIndex(0);
        account->setText(qEnvironmentVariable("QETO_LOGIN_ACCOUNT"));
        password->setText(qEnvironmentVariable("QETO_LOGIN_PASSWORD"));
        login->click();
    });
    timer->start(100);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriver)
