#include "user/return_alert.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <QWidget>

#include "constants.h"
#include "utils/settings_value.h"
#include "utils/signal_interface.h"

namespace {

ReturnAlert::AlertFunction &alertFunction() {
    static ReturnAlert::AlertFunction function;
    return function;
}

}  // namespace

const QString ReturnAlert::kSettingsKey = QStringLiteral("/Alert/onReturn");

ReturnAlert::ReturnAlert(QWidget *window) : QObject(window), mWindow(window), mOn(readSetting()) {
    SignalInterface *hub = SignalInterface::instance();
    if (!mOn || !hub) return;
    // Automatic connections like every other listener of the hub: the answers arrive queued on
    // the GUI thread, where the once-a-second check is a look at a clock.
    connect(hub, &SignalInterface::signal_rtnOrder, this, &ReturnAlert::slotReturn);
    auto refused = [this](const auto &, const CQetoRspInfo &info) {
        if (info.ErrorID != 0) slotReturn();
    };
    connect(hub, &SignalInterface::signal_rspInsertOrder, this, refused);
    connect(hub, &SignalInterface::signal_rspErrInsertOrder, this, refused);
    connect(hub, &SignalInterface::signal_rspCancelOrder, this, refused);
}

ReturnAlert::~ReturnAlert() = default;

bool ReturnAlert::readSetting() {
    QSettings settings(QCoreApplication::applicationDirPath() + kSettingsFile, QSettings::IniFormat);
    const QVariant value = settingsValue(settings, kSettingsKey);
    if (!value.isValid()) return true;
    bool number = false;
    const int on = value.toString().trimmed().toInt(&number);
    return !(number && on == 0);
}

void ReturnAlert::setAlertFunction(AlertFunction function) { alertFunction() = std::move(function); }

void ReturnAlert::slotReturn() {
    if (mSinceLast.isValid() && mSinceLast.elapsed() < kMinIntervalMs) return;
    mSinceLast.start();
    ++mAlerts;
    QWidget *window = mWindow->window();
    if (alertFunction()) {
        alertFunction()(window);
        return;
    }
    QApplication::alert(window);
    QApplication::beep();
}
