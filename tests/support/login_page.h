// The client's login page as code loaded into the running client finds it: by object name among
// the top-level windows, with nothing of the client linked in.
#ifndef QETO_TEST_LOGIN_PAGE_H
#define QETO_TEST_LOGIN_PAGE_H

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "qeto_demo_accounts.h"

namespace qeto::test {

template <typename T>
T *findInWindows(const char *name) {
    for (QWidget *top : QApplication::topLevelWidgets())
        if (T *w = top->findChild<T *>(QLatin1String(name))) return w;
    return nullptr;
}

// Types the demo account (Shanghai counter) into the shown login page and returns its login
// button, not yet clicked; null while no login page is shown.
inline QPushButton *fillDemoLogin() {
    QPushButton *button = findInWindows<QPushButton>("loginButton");
    if (!button || !button->isVisible()) return nullptr;
    findInWindows<QComboBox>("exchangeBox")->setCurrentIndex(0);
    findInWindows<QLineEdit>("accountEdit")->setText(QLatin1String(qeto::sim::demo::kAccount));
    findInWindows<QLineEdit>("passwordEdit")->setText(QLatin1String(qeto::sim::demo::kPassword));
    return button;
}

}  // namespace qeto::test

#endif  // QETO_TEST_LOGIN_PAGE_H
