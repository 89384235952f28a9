// SPDX-License-Identifier: MIT
// Links only velmora::resources, as the program does, so it also proves that the embedded files
// reach an executable through the static library.
#include "resources/resources.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QTest>

namespace {

// The background's corners are rounded with this radius; only they may be transparent.
constexpr int kCornerRadius = 18;

struct Row {
    const char* name;
    int top;
    int height;
};
constexpr Row kRows[] = {
    {"Converter", 72, 27}, {"Fahrenheit", 112, 27}, {"Celsius", 144, 27}, {"Kelvin", 176, 25}};

bool isLettering(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pictures_data();
    void pictures();
    void backgroundIsTransparentOnlyInCorners_data();
    void backgroundIsTransparentOnlyInCorners();
    void captionsAreCentredOnTheirRows_data();
    void captionsAreCentredOnTheirRows();
    void textFontIsUsable();
    void programIconHasEveryRenderedSize();
};

void TestResources::initTestCase() {
    resources::initialise();
}

void TestResources::pictures_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("alpha");

    const struct {
        const char* path;
        QSize size;
        bool alpha;
    } pictures[] = {
        {resources::picture::background, {704, 304}, true},
        {resources::picture::titleBanner, {744, 67}, false},
        {resources::picture::closeButton, {22, 18}, false},
        {resources::picture::aboutBanner, {704, 67}, false},
        {resources::picture::aboutCard, {541, 332}, false},
    };
    for (const auto& picture : pictures) {
        const QString path = QString::fromLatin1(picture.path);
        QString twice = path;
        twice.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
        QTest::newRow(picture.path) << path << picture.size << picture.alpha;
        QTest::newRow(qPrintable(twice)) << twice << picture.size * 2 << picture.alpha;
    }
    for (const int size : resources::icon::sizes) {
        const QString path = QStringLiteral(":/icons/velmora-%1.png").arg(size);
        QTest::newRow(qPrintable(path)) << path << QSize(size, size) << true;
    }
}

void TestResources::pictures() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(bool, alpha);

    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    QCOMPARE(image.hasAlphaChannel(), alpha);
}

void TestResources::backgroundIsTransparentOnlyInCorners_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("scale");
    QTest::newRow("1x") << QString::fromLatin1(resources::picture::background) << 1;
    QTest::newRow("2x") << QStringLiteral(":/pictures/background@2x.png") << 2;
}

void TestResources::backgroundIsTransparentOnlyInCorners() {
    QFETCH(QString, path);
    QFETCH(int, scale);
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!image.isNull());
    const int corner = kCornerRadius * scale;
    const int right = image.width() - 1;
    const int bottom = image.height() - 1;
    for (const QPoint point :
         {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
        QCOMPARE(qAlpha(image.pixel(point)), 0);

    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 255)
                continue;
            const bool inCorner =
                (x < corner || x > right - corner) && (y < corner || y > bottom - corner);
            QVERIFY2(inCorner, qPrintable(QStringLiteral("transparent at %1,%2").arg(x).arg(y)));
        }
    }
}

void TestResources::captionsAreCentredOnTheirRows_data() {
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("rightLimit");
    for (const Row& row : kRows) {
        // The first row's arrow reaches almost to the input box at x = 264.
        const int rightLimit = row.top == 72 ? 263 : 235;
        QTest::newRow(row.name) << row.top << row.height << rightLimit;
    }
}

void TestResources::captionsAreCentredOnTheirRows() {
    QFETCH(int, top);
    QFETCH(int, height);
    QFETCH(int, rightLimit);
    const QImage image = QImage(QString::fromLatin1(resources::picture::background))
                             .convertToFormat(QImage::Format_ARGB32);

    QRect lettering;
    for (int y = top; y < top + height; ++y) {
        for (int x = 0; x < 264; ++x) {
            if (isLettering(image.pixel(x, y)))
                lettering |= QRect(x, y, 1, 1);
        }
    }
    QVERIFY(!lettering.isEmpty());
    QVERIFY2(
        lettering.left() >= 70 && lettering.right() <= rightLimit,
        qPrintable(QStringLiteral("spans x %1..%2").arg(lettering.left()).arg(lettering.right())));
    // The letters' middle sits on the row's middle, within a pixel and a half.
    const qreal letteringMiddle = (lettering.top() + lettering.bottom() + 1) / 2.0;
    const qreal rowMiddle = top + height / 2.0;
    QVERIFY2(qAbs(letteringMiddle - rowMiddle) <= 1.5,
             qPrintable(QStringLiteral("letters centred at %1, row at %2")
                            .arg(letteringMiddle)
                            .arg(rowMiddle)));
}

void TestResources::textFontIsUsable() {
    QVERIFY(QFile::exists(QString::fromLatin1(resources::bundledFont)));
    const QString family = resources::textFontFamily();
    QVERIFY(!family.isEmpty());
    QVERIFY2(QFontDatabase::families().contains(family), qPrintable(family));
    QCOMPARE(QFontInfo(QFont(family)).family(), family);
    if (!QFontDatabase::families().contains(QStringLiteral("Comic Sans MS")))
        QCOMPARE(family, QStringLiteral("Comic Neue"));
}

void TestResources::programIconHasEveryRenderedSize() {
    const QIcon icon = resources::programIcon();
    const QList<QSize> available = icon.availableSizes();
    for (const int size : resources::icon::sizes) {
        QVERIFY2(available.contains(QSize(size, size)), qPrintable(QString::number(size)));
        QCOMPARE(icon.pixmap(size).size(), QSize(size, size));
    }
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
