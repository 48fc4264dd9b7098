#include <QApplication>

#include "constants.h"
#include "crash_dump.h"
#include "log_handler.h"
#include "mainwindow.h"
#include "version.h"

int main(int argc, char *argv[]) {
    // Fixed-size windows keep their logical size on a 150 % or 200 % display. It only takes
    // effect when set before the application exists.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    qInstallMessageHandler(messageHandler);
    installCrashDumpFilter();
    QApplication::setApplicationName(kAppName);

    MainWindow window;
    window.show();

    window.setWindowTitle(windowTitleFor(getVersion()));
    return app.exec();
}
