// A trader's whole day in one run: the real main window and gateway library against a
// qeto-sim child, driven through the widgets (tests/journey/journey_driver), and the
// real Qeto-Desk binary closed through its window.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "journey_driver.h"

#ifdef QETO_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

class TstJourney : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void start();
    void order();
    void paging();
    void money();
    void password();
    void faults();
    void closingTheWindowEndsTheProgram();

private:
    JourneyDriver *mDriver = nullptr;
    bool mBroken = false;  // a step failed: the later ones would only repeat it
};

void TstJourney::initTestCase() {
    const QString sim = qEnvironmentVariable("QETO_SIM");
    if (sim.isEmpty() || !QFileInfo(sim).isExecutable()) QSKIP("QETO_SIM does not name the simulator");
    JourneyDriver::routeClientLog(QDir::current().filePath(QStringLiteral("journey-client.log")));
    mDriver = new JourneyDriver(sim, QDir::current().filePath(QStringLiteral("journey-out")));
    QVERIFY2(mDriver->setUp(), qPrintable(mDriver->error()));
}

void TstJourney::cleanupTestCase() {
    delete mDriver;
    mDriver = nullptr;
}

void TstJourney::init() {
    if (mBroken && QByteArray(QTest::currentTestFunction()) != "closingTheWindowEndsTheProgram")
        QSKIP("an earlier step failed");
    mBroken = true;  // until the step passes
}

#define JOURNEY_STEP(step)                                       \
    do {                                                         \
        QVERIFY2(mDriver->step(), qPrintable(mDriver->error())); \
        mBroken = false;                                         \
    } while (0)

void TstJourney::start() { JOURNEY_STEP(stepStart); }
void TstJourney::order() { JOURNEY_STEP(stepOrder); }
void TstJourney::paging() { JOURNEY_STEP(stepPaging); }
void TstJourney::money() { JOURNEY_STEP(stepMoney); }
void TstJourney::password() { JOURNEY_STEP(stepPassword); }
void TstJourney::faults() { JOURNEY_STEP(stepFaults); }

#ifdef QETO_HAVE_X11
namespace {

Window findWindowNamed(Display *display, Window parent, const QByteArray &name) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char *title = nullptr;
        if (XFetchName(display, children[i], &title) && title) {
            if (name == title) found = children[i];
            XFree(title);
        }
        if (!found) found = findWindowNamed(display, children[i], name);
    }
    if (children) XFree(children);
    return found;
}

// What a window manager sends when the user clicks the close button.
void askToClose(Display *display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

}  // namespace
#endif

void TstJourney::closingTheWindowEndsTheProgram() {
    mBroken = false;
#ifndef QETO_HAVE_X11
    QSKIP("built without X11");
#else
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty()) QSKIP("xvfb-run is not installed");
    QFile versionFile(QFileInfo(QStringLiteral(QETO_DESK_EXE)).absolutePath() + QStringLiteral("/version.txt"));
    QVERIFY(versionFile.open(QIODevice::ReadOnly));
    const QByteArray title = "Qeto-Desk " + versionFile.readLine().trimmed();

    // The real program on a display of its own; the shell says which one first.
    QTemporaryDir cwd;
    QProcess program;
    program.setWorkingDirectory(cwd.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(env);
    program.start(xvfbRun,
                  {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x800x24"),
                   QStringLiteral("sh"), QStringLiteral("-c"),
                   QStringLiteral("echo \"$DISPLAY $XAUTHORITY\"; exec \"$0\""), QStringLiteral(QETO_DESK_EXE)});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), 30000);
    const QList<QByteArray> where = program.readLine().trimmed().split(' ');
    QVERIFY(where.size() == 2);
    qputenv("XAUTHORITY", where.at(1));
    Display *display = XOpenDisplay(where.at(0).constData());
    QVERIFY2(display, where.at(0).constData());

    Window window = 0;
    QTRY_VERIFY_WITH_TIMEOUT((window = findWindowNamed(display, DefaultRootWindow(display), title)) != 0, 30000);
    QElapsedTimer clock;
    clock.start();
    askToClose(display, window);
    // Gone before the server goes with the program, or Xlib would end this process too.
    XCloseDisplay(display);
    const bool ended = program.waitForFinished(15000);
    const qint64 ms = clock.elapsed();
    if (!ended) program.kill();
    QVERIFY2(ended, "the program kept running after its window was closed");
    qInfo("journey figure: window close to process end %lld ms", static_cast<long long>(ms));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
#endif
}

QTEST_MAIN(TstJourney)
#include "tst_journey.moc"
