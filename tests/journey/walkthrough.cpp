// qeto-walkthrough: the trader's journey against a qeto-sim child, under the offscreen
// platform, with a picture of every window, dialog and message box on the way and an
// index.html that captions them.
//   qeto-walkthrough [--sim PATH] [OUTPUT-FOLDER]     (default folder: ./walkthrough)
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTextStream>
#include <QWidget>
#include <cstdio>

#include "journey_driver.h"
#include "mainwindow.h"
#include "sim_process.h"
#include "utils/immediate_exit.h"

namespace {

struct Picture {
    QString file;
    QString name;
    QString caption;
};

QString htmlEscaped(const QString &text) { return text.toHtmlEscaped(); }

bool writeGallery(const QString &folder, const QList<Picture> &pictures, const QString &failure) {
    QFile f(folder + QStringLiteral("/index.html"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return false;
    QTextStream out(&f);
    out.setCodec("UTF-8");
    out << "<!DOCTYPE html>\n<html lang=\"zh\"><head><meta charset=\"utf-8\">\n"
        << "<title>Qeto-Desk walkthrough</title>\n<style>body{font-family:sans-serif;margin:2em;background:#fafafa}"
           "figure{margin:0 0 2.5em 0}img{border:1px solid #ccc;max-width:100%}"
           "figcaption{margin:.4em 0;font-weight:bold}.fail{color:#b00}</style></head><body>\n"
        << "<h1>Qeto-Desk " << htmlEscaped(JourneyDriver::appVersion()) << ": a trader's day against qeto-sim</h1>\n";
    if (!failure.isEmpty()) out << "<p class=\"fail\">The journey stopped: " << htmlEscaped(failure) << "</p>\n";
    for (int i = 0; i < pictures.size(); ++i) {
        out << "<figure id=\"" << pictures.at(i).name << "\"><figcaption>" << (i + 1) << ". "
            << htmlEscaped(pictures.at(i).caption) << "</figcaption><img src=\"" << pictures.at(i).file << "\" alt=\""
            << htmlEscaped(pictures.at(i).caption) << "\"></figure>\n";
    }
    out << "</body></html>\n";
    return out.status() == QTextStream::Ok;
}

}  // namespace

int main(int argc, char *argv[]) {
    // Pictures need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QString sim = QString::fromStdString(qeto::test::simPath());
    QString folder = QDir::current().filePath(QStringLiteral("walkthrough"));
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--sim") && i + 1 < args.size()) {
            sim = args.at(++i);
        } else if (args.at(i).startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "usage: qeto-walkthrough [--sim PATH] [OUTPUT-FOLDER]\n");
            return 2;
        } else {
            folder = QDir(args.at(i)).absolutePath();
        }
    }
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "qeto-walkthrough: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    JourneyDriver::routeClientLog(folder + QStringLiteral("/client.log"));

    QList<Picture> pictures;
    JourneyDriver driver(sim, folder + QStringLiteral("/exports"));
    driver.setShot([&](const QString &name, const QString &caption, QWidget *widget) {
        const QString file = QStringLiteral("%1-%2.png").arg(pictures.size() + 1, 2, 10, QLatin1Char('0')).arg(name);
        if (widget->grab().save(folder + QLatin1Char('/') + file)) pictures.append({file, name, caption});
        std::fprintf(stderr, "  %s  %s\n", qPrintable(file), caption.toUtf8().constData());
    });

    using Step = bool (JourneyDriver::*)();
    const Step steps[] = {&JourneyDriver::setUp,      &JourneyDriver::stepStart, &JourneyDriver::stepOrder,
                          &JourneyDriver::stepPaging, &JourneyDriver::stepMoney, &JourneyDriver::stepPassword,
                          &JourneyDriver::stepFaults};
    QString failure;
    for (Step step : steps) {
        if (!(driver.*step)()) {
            failure = driver.error();
            break;
        }
    }
    const bool written = writeGallery(folder, pictures, failure);
    std::printf("gallery: %s/index.html (%d pictures)\n", qPrintable(folder), int(pictures.size()));
    std::fflush(stdout);
    driver.stopSimulators();
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "qeto-walkthrough: %s\n", failure.toUtf8().constData());
        std::fflush(nullptr);
        qeto::immediateExit(1);
    }
    // The way a user ends the day: closing the window ends the process with status 0.
    if (written && driver.window()) driver.window()->close();
    std::fflush(nullptr);
    qeto::immediateExit(written ? 0 : 1);
}
