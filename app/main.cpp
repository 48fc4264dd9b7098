#include <QApplication>

#include "constants.h"
#include "crash_dump.h"
#include "log_handler.h"
#include "mainwindow.h"
#include "version.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char *argv[]) {
#ifdef __GLIBC__
    // Freed heap above 1 MiB goes back to the system. glibc's own threshold grows with the
    // largest block freed so far and kept about 6 MB that the login page and the first quote
    // tables had freed resident all day.
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
#endif
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
