// SPDX-License-Identifier: MIT
// Both windows drawn on a screen of the density the test runs at (QT_SCALE_FACTOR): the layout
// keeps its size in device-independent pixels, and every picture is the one made for that
// density, pixel for pixel: never a 1x picture scaled up.
#include "ProgramWindow.h"
#include "platform/qt/PictureFile.h"
#include "platform/qt/Runtime.h"
#include "resources/resources.h"
#include "ui/Program.h"

#include <QLineEdit>
#include <QTest>
#include <optional>

namespace {

QImage forRatio(const QString& path, qreal ratio) {
    if (ratio <= 1)
        return platform::qt::readPicture(path);
    return QImage(path.left(path.lastIndexOf(QLatin1Char('.'))) + QLatin1String("@2x.png"));
}

// Counts the opaque pixels of `picture` (placed at `origin`, in device pixels) inside `area` that
// differ from the window's own pixels.
int mismatches(const QImage& window, const QImage& picture, QPoint origin, QRect area) {
    int differing = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb expected = picture.pixel(x - origin.x(), y - origin.y());
            if (qAlpha(expected) == 255 && window.pixel(x, y) != expected)
                ++differing;
        }
    }
    return differing;
}

} // namespace

class tst_HighDensity : public QObject {
    Q_OBJECT

public:
    explicit tst_HighDensity(platform::qt::Runtime& runtime)
        : m_runtime(runtime) {}

private slots:
    void initTestCase();
    void layoutKeepsItsSize();
    void picturesSuitTheDensity_data();
    void picturesSuitTheDensity();

private:
    // The main window, and About beside it, as the program shows them.
    QWidget* window(bool about) const;

    platform::qt::Runtime& m_runtime;
    std::optional<ui::Program> m_program;
    qreal m_ratio = 1;
};

void tst_HighDensity::initTestCase() {
    m_program.emplace(m_runtime);
    m_program->start();
    QWidget* main = window(false);
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_F1); // About
    QTRY_VERIFY(window(true));
    m_ratio = main->devicePixelRatioF();
    qInfo("device pixel ratio %g", m_ratio);
    // Below 1, Qt Widgets draws the controls larger than it places them, and most not at all.
    QVERIFY(m_ratio >= 1);
}

QWidget* tst_HighDensity::window(bool about) const {
    return about ? programWindow("Form2") : mainWindow();
}

QImage grabbed(QWidget& window) {
    if (!QTest::qWaitForWindowExposed(&window))
        return {};
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void tst_HighDensity::layoutKeepsItsSize() {
    QWidget& main = *window(false);
    QCOMPARE(grabbed(main).size(), QSize(572, 287) * m_ratio);
    auto* input = main.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QVERIFY(input);
    QCOMPARE(input->geometry(), QRect(264, 72, 169, 27));
    QCOMPARE(input->grab().size(), QSize(169, 27) * m_ratio);
    QCOMPARE(grabbed(*window(true)).size(), QSize(542, 290) * m_ratio);
}

void tst_HighDensity::picturesSuitTheDensity_data() {
    QTest::addColumn<bool>("aboutWindow");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QPoint>("position"); // where the window places it
    QTest::addColumn<QRect>("area");      // a part of the window where nothing covers it

    const auto row = [](const char* name, bool about, const design::pictures::Picture& picture,
                        QPoint position, QRect area) {
        QTest::newRow(name) << about
                            << QString::fromLatin1(resources::picture::pathOf(picture).text)
                            << position << area;
    };
    using namespace design::pictures;
    row("main background beside the captions", false, background, {0, 0}, {0, 70, 260, 150});
    row("title banner", false, titleBanner, {-88, 0}, {0, 0, 540, 67});
    row("close picture", false, closeButton, {552, 0}, {552, 0, 20, 18});
    row("About banner", false, aboutBanner, {-56, 224}, {0, 224, 572, 63});
    row("about card", true, aboutCard, {0, 0}, {0, 0, 541, 290});
}

void tst_HighDensity::picturesSuitTheDensity() {
    QFETCH(bool, aboutWindow);
    QFETCH(QString, picture);
    QFETCH(QPoint, position);
    QFETCH(QRect, area);

    const QImage screen = grabbed(*window(aboutWindow));
    QVERIFY(!screen.isNull());
    const QImage single = platform::qt::readPicture(picture);
    const QImage suited = forRatio(picture, m_ratio);
    QCOMPARE(suited.size(), single.size() * m_ratio);

    const QRect device(area.topLeft() * m_ratio, area.size() * m_ratio);
    QCOMPARE(mismatches(screen, suited, position * m_ratio, device), 0);

    if (m_ratio > 1) {
        // The check can tell: the 1x picture scaled up would not match.
        const QImage scaledUp = single.scaled(suited.size());
        QVERIFY(mismatches(screen, scaledUp, position * m_ratio, device) > device.width());
    }
}

// The runtime makes the application, as in the program, since it decides the density.
int main(int argc, char* argv[]) {
    platform::qt::Runtime runtime(argv[0]);
    tst_HighDensity test(runtime);
    return QTest::qExec(&test, argc, argv);
}
#include "tst_highdensity.moc"
