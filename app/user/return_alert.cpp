#include "user/return_alert.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <QWidget>

#include "constants.h"
#include "utils/settings_value.h"

namespace {

ReturnAlert::AlertFunction &alertFunction() {
    static ReturnAlert::AlertFunction function;
    return function;
}

}  // namespace

const QString ReturnAlert::kSettingsKey = QStringLiteral("/Alert/onReturn");

ReturnAlert::ReturnAlert(QWidget *window) : QObject(window), mWindow(window), mOn(readSetting()) {}

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
    if (!mOn) return;
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
