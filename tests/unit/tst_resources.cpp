// Every picture the screens load from the resources is there and decodes.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void pictureLoads_data();
    void pictureLoads();
    void windowIconSizes();
    void dataFilesKept();
};

void TestResources::pictureLoads_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");  // exact size of raster pictures; empty for drawings

    QTest::newRow("window icon") << ":/resource/qeto.ico" << QSize();
    QTest::newRow("logo") << ":/resource/Qeto-Desk.png" << QSize(380, 60);
    QTest::newRow("background") << ":/resource/background.jpg" << QSize(1280, 720);
    QTest::newRow("compass") << ":/resource/compass.svg" << QSize();
    QTest::newRow("user") << ":/resource/user.svg" << QSize();
    QTest::newRow("lock") << ":/resource/lock.svg" << QSize();
    QTest::newRow("account") << ":/resource/account.svg" << QSize();
    QTest::newRow("sse") << ":/resource/sse.svg" << QSize();
    QTest::newRow("szse") << ":/resource/szse.svg" << QSize();
    QTest::newRow("business") << ":/resource/business.svg" << QSize();
}

void TestResources::pictureLoads() {
    QFETCH(QString, path);
    QFETCH(QSize, size);

    QVERIFY(QFile::exists(path));
    QImageReader reader(path);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(path + ": " + reader.errorString()));
    if (size.isValid()) QCOMPARE(image.size(), size);

    // Something is drawn: not every pixel is the same.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb first = argb.pixel(0, 0);
    bool varied = false;
    for (int y = 0; y < argb.height() && !varied; ++y)
        for (int x = 0; x < argb.width() && !varied; ++x) varied = argb.pixel(x, y) != first;
    QVERIFY2(varied, qPrintable(path));
}

void TestResources::windowIconSizes() {
    // Title bar, task bar and desktop each pick their own size from the icon.
    const QIcon icon(QStringLiteral(":/resource/qeto.ico"));
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (const QSize &want : {QSize(16, 16), QSize(32, 32), QSize(48, 48)})
        QVERIFY2(sizes.contains(want), qPrintable(QStringLiteral("%1 missing").arg(want.width())));
}

void TestResources::dataFilesKept() {
    QFile exchanges(QStringLiteral(":/resource/exchange.json"));
    QVERIFY(exchanges.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(exchanges.readAll()).array().size(), 2);
    QVERIFY(QFile::exists(QStringLiteral(":/build/Qeto-Desk/config/api_config.txt")));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
