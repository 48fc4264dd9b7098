// The sign that an order came back: the main window's taskbar entry flashes (when the window
// is not active) and a short beep, for every order return and every refused order or cancel,
// at most once a second however many arrive. "/Alert/onReturn=0" in the settings file
// switches it off; the log lines and message boxes of the answers stay as they are.
#ifndef QETO_RETURN_ALERT_H
#define QETO_RETURN_ALERT_H

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>

class QWidget;

class ReturnAlert : public QObject {
    Q_OBJECT
public:
    // window: the widget whose top-level window is flashed; also the parent. Reads the
    // settings key once, here. The workspace connects the screens' answers to slotReturn.
    explicit ReturnAlert(QWidget *window);
    ~ReturnAlert() override;

    bool isOn() const { return mOn; }
    // Alerts given so far.
    int alerts() const { return mAlerts; }

    // The key of the settings file; absent or anything but the number 0 means on.
    static const QString kSettingsKey;
    static constexpr qint64 kMinIntervalMs = 1000;
    static bool readSetting();

    // Replaces what an alert does (tests); an empty function restores QApplication::alert on
    // the window and QApplication::beep.
    using AlertFunction = std::function<void(QWidget *window)>;
    static void setAlertFunction(AlertFunction function);

public slots:
    // An answer that deserves the user's eye: alerts unless switched off or the last alert is
    // under a second old.
    void slotReturn();

private:
    QWidget *mWindow = nullptr;
    bool mOn = true;
    int mAlerts = 0;
    QElapsedTimer mSinceLast;
};

#endif  // QETO_RETURN_ALERT_H
