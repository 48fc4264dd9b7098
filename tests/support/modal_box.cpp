#include "modal_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

ModalBoxWatcher::ModalBoxWatcher(QObject *parent) : QObject(parent) {
    mTimer.setInterval(5);
    connect(&mTimer, &QTimer::timeout, this, &ModalBoxWatcher::poll);
    mTimer.start();
}

ModalBoxWatcher::~ModalBoxWatcher() { mTimer.stop(); }

void ModalBoxWatcher::poll() {
    QWidget *modal = QApplication::activeModalWidget();
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box || !box->isVisible() || box->property("qetoSeen").toBool()) return;
    box->setProperty("qetoSeen", true);

    SeenBox seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    const QList<QAbstractButton *> buttons = box->buttons();
    // buttons() is in no defined order; the layout order is what the user sees, which for
    // boxes built with button texts is the order they were added.
    for (QAbstractButton *b : buttons) seen.buttons << b->text();
    mBoxes << seen;
    if (mOnBox) {
        const QPointer<QMessageBox> alive(box);
        mOnBox(box);
        if (!alive || !alive->isVisible()) return;
    }

    if (mQueued.isEmpty() && !mAnswerText.isEmpty()) {
        for (QAbstractButton *b : buttons) {
            if (b->text() == mAnswerText) {
                b->click();
                return;
            }
        }
    }
    int answer = mQueued.isEmpty() ? mAnswer : mQueued.takeFirst();
    if (answer == kLeaveOpen) return;
    if (answer == kDefaultButton) {
        QAbstractButton *b = box->defaultButton() ? box->defaultButton() : buttons.value(0);
        if (b) b->click();
        return;
    }
    if (answer < 0 || answer >= buttons.size()) {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &esc);
        if (box->isVisible()) box->reject();
        return;
    }
    buttons.at(answer)->click();
}
