// SPDX-License-Identifier: MIT
// Links only velmora::resources, as the program does, so it also proves that the embedded files
// reach an executable through the static library.
#include "design/layout.h"
#include "resources/RawPicture.h"
#include "resources/resources.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QResource>
#include <QTest>

namespace {

// The background's corners are rounded with this radius; only they may be transparent.
constexpr int kCornerRadius = 18;

// The caption rows, each beside its box: the input box's row carries "Converter".
constexpr const char* kRows[] = {"Text1", "Text2", "Text3", "Text4"};
constexpr int kInputBoxLeft = design::toPixels(design::findPlacement("Text1")->left);

// An embedded raw picture, as the program reads it.
QImage rawPicture(const QString& path) {
    const QResource resource(path);
    if (resource.compressionAlgorithm() != QResource::NoCompression)
        return {};
    return resources::rawpicture::wrap(resource.data(), resource.size());
}

QString artworkFile(const QString& name) {
    return QStringLiteral(VELMORA_ARTWORK_DIR "/") + name;
}

bool isLettering(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void pictures_data();
    void pictures();
    void rawPicturesHoldThePngPixels_data();
    void rawPicturesHoldThePngPixels();
    void rawPictureRefusesDamagedBytes_data();
    void rawPictureRefusesDamagedBytes();
    void backgroundIsTransparentOnlyInCorners_data();
    void backgroundIsTransparentOnlyInCorners();
    void captionsAreCentredOnTheirRows_data();
    void captionsAreCentredOnTheirRows();
    void textFontIsUsable();
    void windowIconHasTheWindowSizes();
};

void TestResources::pictures_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("alpha");

    // Only the background has transparent (rounded) corners.
    const struct {
        const design::pictures::Picture& picture;
        QSize size;
        bool alpha;
    } pictures[] = {
        {design::pictures::background, {704, 304}, true},
        {design::pictures::titleBanner, {744, 67}, false},
        {design::pictures::closeButton, {22, 18}, false},
        {design::pictures::aboutBanner, {704, 67}, false},
        {design::pictures::aboutCard, {541, 332}, false},
    };
    QCOMPARE(std::size(pictures), design::pictures::all.size());
    for (const auto& picture : pictures) {
        const QString path = QString::fromLatin1(resources::picture::pathOf(picture.picture).text);
        QString twice = path;
        twice.replace(QStringLiteral(".pixels"), QStringLiteral("@2x.png"));
        QTest::newRow(qPrintable(path)) << path << picture.size << picture.alpha;
        QTest::newRow(qPrintable(twice)) << twice << picture.size * 2 << picture.alpha;
    }
    for (const int size : design::pictures::windowIconSizes) {
        const QString path = resources::iconPath(size);
        QTest::newRow(qPrintable(path)) << path << QSize(size, size) << true;
    }
}

void TestResources::pictures() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(bool, alpha);

    QImage image;
    if (path.endsWith(QLatin1String(".pixels"))) {
        image = rawPicture(path);
        QVERIFY2(!image.isNull(), "not an uncompressed raw picture");
        // Shared with the resource, not copied.
        QCOMPARE(static_cast<const void*>(image.constBits()),
                 static_cast<const void*>(QResource(path).data() + 16));
    } else {
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    }
    QCOMPARE(image.size(), size);
    QCOMPARE(image.hasAlphaChannel(), alpha);
}

void TestResources::rawPicturesHoldThePngPixels_data() {
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("png");
    for (const auto& picture : design::pictures::all)
        QTest::newRow(picture.name)
            << QString::fromLatin1(resources::picture::pathOf(picture).text)
            << artworkFile(QStringLiteral("pictures/%1.png").arg(QLatin1String(picture.name)));
    for (const int size : design::pictures::windowIconSizes)
        QTest::newRow(qPrintable(QStringLiteral("icon %1").arg(size)))
            << resources::iconPath(size)
            << artworkFile(QStringLiteral("icons/velmora-%1.png").arg(size));
}

void TestResources::rawPicturesHoldThePngPixels() {
    QFETCH(QString, raw);
    QFETCH(QString, png);
    const QImage shown = rawPicture(raw);
    const QImage drawn(png);
    QVERIFY(!shown.isNull() && !drawn.isNull());
    QCOMPARE(shown, drawn.convertToFormat(shown.format()));
}

void TestResources::rawPictureRefusesDamagedBytes_data() {
    QTest::addColumn<int>("offset"); // of the byte changed, or -1 for a missing last byte
    QTest::addColumn<int>("value");
    QTest::newRow("magic") << 0 << int('X');
    QTest::newRow("width one more") << 4 << 23;
    QTest::newRow("height zero") << 8 << 0;
    QTest::newRow("unknown format") << 12 << 99;
    QTest::newRow("cut short") << -1 << 0;
}

void TestResources::rawPictureRefusesDamagedBytes() {
    QFETCH(int, offset);
    QFETCH(int, value);
    const QResource resource(QString::fromLatin1(
        resources::picture::pathOf(design::pictures::closeButton).text)); // 22 x 18
    QByteArray bytes(reinterpret_cast<const char*>(resource.data()), resource.size());
    QVERIFY(!resources::rawpicture::wrap(reinterpret_cast<const uchar*>(bytes.constData()),
                                         bytes.size())
                 .isNull());
    if (offset < 0)
        bytes.chop(1);
    else
        bytes[offset] = char(value);
    QVERIFY(
        resources::rawpicture::wrap(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size())
            .isNull());
}

void TestResources::backgroundIsTransparentOnlyInCorners_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("scale");
    QTest::newRow("1x") << QString::fromLatin1(
                               resources::picture::pathOf(design::pictures::background).text)
                        << 1;
    QTest::newRow("2x") << QStringLiteral(":/pictures/background@2x.png") << 2;
}

namespace {
QImage anyPicture(const QString& path) {
    return path.endsWith(QLatin1String(".pixels")) ? rawPicture(path) : QImage(path);
}
} // namespace

void TestResources::backgroundIsTransparentOnlyInCorners() {
    QFETCH(QString, path);
    QFETCH(int, scale);
    const QImage image = anyPicture(path).convertToFormat(QImage::Format_ARGB32);
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
    for (const char* box : kRows) {
        const design::Placement& row = *design::findPlacement(box);
        // The first row's arrow reaches almost to the input box.
        const bool first = row.top == design::findPlacement("Text1")->top;
        const int rightLimit = first ? kInputBoxLeft - 1 : 235;
        QTest::newRow(box) << design::toPixels(row.top) << design::toPixels(row.height)
                           << rightLimit;
    }
}

void TestResources::captionsAreCentredOnTheirRows() {
    QFETCH(int, top);
    QFETCH(int, height);
    QFETCH(int, rightLimit);
    const QImage image =
        rawPicture(
            QString::fromLatin1(resources::picture::pathOf(design::pictures::background).text))
            .convertToFormat(QImage::Format_ARGB32);

    QRect lettering;
    for (int y = top; y < top + height; ++y) {
        for (int x = 0; x < kInputBoxLeft; ++x) {
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

void TestResources::windowIconHasTheWindowSizes() {
    const QIcon icon = resources::windowIcon();
    const QList<QSize> available = icon.availableSizes();
    QCOMPARE(available.size(), qsizetype(design::pictures::windowIconSizes.size()));
    for (const int size : design::pictures::windowIconSizes) {
        QVERIFY2(available.contains(QSize(size, size)), qPrintable(QString::number(size)));
        QCOMPARE(icon.pixmap(size).size(), QSize(size, size));
        QCOMPARE(icon.pixmap(size).toImage(), rawPicture(resources::iconPath(size)));
    }
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
