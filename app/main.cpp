#include <QApplication>

#include "constants.h"
#include "crash_dump.h"
#include "log_handler.h"
#include "mainwindow.h"
#include "version.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    qInstallMessageHandler(messageHandler);
    installCrashDumpFilter();
    QApplication::setApplicationName(kAppName);

    MainWindow window;
    window.show();

    window.setWindowTitle(windowTitleFor(getVersion()));
    return app.exec();
}
