// SPDX-License-Identifier: MIT
#include "ico_reader.h"
#include "ico_writer.h"

#include <QFile>
#include <QTest>

namespace {

QList<QRgb> ramp(int count) {
    QList<QRgb> palette;
    for (int i = 0; i < count; ++i)
        palette.append(qRgb(i * 255 / (count - 1), i * 255 / (count - 1), 0));
    return palette;
}

// An image of palette colours in a varied pattern, with some transparent pixels.
QImage patterned(int width, int height, const QList<QRgb>& palette, int transparentEvery) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int n = y * width + x;
            image.setPixel(x, y,
                           n % transparentEvery == 0 ? qRgba(0, 0, 0, 0)
                                                     : palette[(n * 7 + 3) % palette.size()]);
        }
    }
    return image;
}

} // namespace

class TestIcoWriter : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void reducesAlphaToMaskForPalettes();
    void mapsColoursToNearestEntry();
    void refuses_data();
    void refuses();
    void generatedIconHasThirteenImages();
};

void TestIcoWriter::roundTrip_data() {
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QList<QRgb>>("palette");
    QTest::addColumn<int>("bits");

    QImage alpha(5, 3, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            alpha.setPixel(x, y, qRgba(40 * x, 80 * y, 200, (x * 60 + y * 7) % 256));
    }
    QImage large(256, 256, QImage::Format_ARGB32);
    large.fill(qRgba(10, 200, 30, 255));
    large.setPixel(255, 0, qRgba(1, 2, 3, 0));

    QTest::newRow("4 bpp, 3 px rows padded to a word")
        << patterned(3, 5, ramp(16), 4) << ramp(16) << 4;
    QTest::newRow("4 bpp, odd width splits a byte")
        << patterned(9, 2, ramp(16), 5) << ramp(16) << 4;
    QTest::newRow("8 bpp, mask row longer than 16 px")
        << patterned(17, 4, ramp(256), 6) << ramp(256) << 8;
    QTest::newRow("32 bpp keeps partial alpha") << alpha << QList<QRgb>() << 32;
    QTest::newRow("256 px stored as size 0") << large << QList<QRgb>() << 32;
}

void TestIcoWriter::roundTrip() {
    QFETCH(QImage, image);
    QFETCH(QList<QRgb>, palette);
    QFETCH(int, bits);

    IcoWriter writer;
    QVERIFY(writer.addImage(image, palette));
    QString error;
    const auto images = IcoReader::read(writer.data(), &error);
    QVERIFY2(images, qPrintable(error));
    QCOMPARE(images->size(), 1);
    const IcoReader::Image& read = images->first();
    QCOMPARE(read.width, image.width());
    QCOMPARE(read.height, image.height());
    QCOMPARE(read.bitCount, bits);
    QCOMPARE(read.palette, palette);
    QCOMPARE(read.image, image);
}

void TestIcoWriter::reducesAlphaToMaskForPalettes() {
    QImage image(4, 1, QImage::Format_ARGB32);
    const QList<QRgb> palette = ramp(16);
    image.setPixel(0, 0, qRgba(0xff, 0xff, 0, 0));
    image.setPixel(1, 0, qRgba(0xff, 0xff, 0, 127));
    image.setPixel(2, 0, qRgba(0xff, 0xff, 0, 128));
    image.setPixel(3, 0, qRgba(0xff, 0xff, 0, 255));
    IcoWriter writer;
    QVERIFY(writer.addImage(image, palette));
    QString error;
    const auto images = IcoReader::read(writer.data(), &error);
    QVERIFY2(images, qPrintable(error));
    const QImage& read = images->first().image;
    QCOMPARE(read.pixel(0, 0), qRgba(0, 0, 0, 0));
    QCOMPARE(read.pixel(1, 0), qRgba(0, 0, 0, 0));
    QCOMPARE(read.pixel(2, 0), qRgb(0xff, 0xff, 0));
    QCOMPARE(read.pixel(3, 0), qRgb(0xff, 0xff, 0));
}

void TestIcoWriter::mapsColoursToNearestEntry() {
    const QList<QRgb> palette = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(200, 0, 0),
                                 qRgb(0, 160, 0)};
    QCOMPARE(IcoWriter::nearestIndex(palette, qRgb(250, 20, 10)), 2);
    QCOMPARE(IcoWriter::nearestIndex(palette, qRgb(30, 140, 40)), 3);
    QCOMPARE(IcoWriter::nearestIndex(palette, qRgb(220, 230, 240)), 1);
    QCOMPARE(IcoWriter::nearestIndex(palette, qRgb(20, 10, 30)), 0);
}

void TestIcoWriter::refuses_data() {
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QList<QRgb>>("palette");

    QImage small(8, 8, QImage::Format_ARGB32);
    small.fill(Qt::white);
    QList<QRgb> noBlackFirst = ramp(16);
    std::swap(noBlackFirst[0], noBlackFirst[15]);
    QImage wide(257, 8, QImage::Format_ARGB32);
    wide.fill(Qt::white);

    QTest::newRow("null image") << QImage() << QList<QRgb>();
    QTest::newRow("wider than 256 px") << wide << QList<QRgb>();
    QTest::newRow("palette of 8 colours") << small << ramp(8);
    QTest::newRow("palette not starting with black") << small << noBlackFirst;
}

void TestIcoWriter::refuses() {
    QFETCH(QImage, image);
    QFETCH(QList<QRgb>, palette);
    IcoWriter writer;
    QVERIFY(!writer.addImage(image, palette));
    QCOMPARE(writer.imageCount(), 0);
}

void TestIcoWriter::generatedIconHasThirteenImages() {
    QFile file(QStringLiteral(VELMORA_WINDOWS_ICON));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
    QString error;
    const auto images = IcoReader::read(file.readAll(), &error);
    QVERIFY2(images, qPrintable(error));

    const QList<std::pair<int, int>> expected = {{48, 4},  {32, 4},  {24, 4}, {16, 4},   {48, 8},
                                                 {32, 8},  {24, 8},  {16, 8}, {128, 32}, {48, 32},
                                                 {32, 32}, {24, 32}, {16, 32}};
    QCOMPARE(images->size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const IcoReader::Image& image = images->at(i);
        const auto [size, bits] = expected[i];
        const QByteArray where = QByteArray::number(i);
        QVERIFY2(image.width == size && image.height == size, where);
        QVERIFY2(image.bitCount == bits, where);
        // The face fills the middle; the corners around the round head stay clear.
        QVERIFY2(qAlpha(image.image.pixel(size / 2, size / 2)) == 255, where);
        QVERIFY2(qAlpha(image.image.pixel(0, size - 1)) == 0, where);
        QVERIFY2(qAlpha(image.image.pixel(size - 1, size - 1)) == 0, where);
    }
}

QTEST_GUILESS_MAIN(TestIcoWriter)
#include "tst_icowriter.moc"
