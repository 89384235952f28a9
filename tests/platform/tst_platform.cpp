// SPDX-License-Identifier: MIT
#include "ModalCloser.h"
#include "platform/ComboBox.h"
#include "platform/FormWindow.h"
#include "platform/InputFilter.h"
#include "platform/MessageBoxes.h"
#include "platform/Picture.h"
#include "platform/TextBox.h"
#include "platform/WindowHolder.h"

#include <QClipboard>
#include <QImage>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A window with nothing in it, the smallest thing a holder can hold.
class PlainWindow : public platform::FormWindow {
public:
    explicit PlainWindow(QSize size = QSize(200, 100))
        : FormWindow(size, QString()) {}
};

} // namespace

class tst_Platform : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void holderMakesOneWindowAtATime();
    void holderOwnsItsWindow();
    void closeCannotBeVetoedAndUnloads();

    void pictureKeepsItsOwnSize();
    void pictureClick_data();
    void pictureClick();
    void upperPictureTakesTheClick();

    void dragMovesWindow_data();
    void dragMovesWindow();

    void centredWhereItFits_data();
    void centredWhereItFits();
    void messageBoxIsTheRealOne();

    void inputFilter_data();
    void inputFilter();
    void textBox_data();
    void textBox();
    void typedEntryIsNotAPick_data();
    void typedEntryIsNotAPick();

private:
    QTemporaryDir m_dir;
    QString m_redPicture; // 4 x 3 px, solid red
};

void tst_Platform::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_redPicture = m_dir.filePath(QStringLiteral("red.png"));
    QImage red(4, 3, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(m_redPicture));
}

// Every test must leave no window behind, or the next one would see it.
void tst_Platform::cleanup() {
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_Platform::holderMakesOneWindowAtATime() {
    int made = 0;
    platform::WindowHolder<PlainWindow> holder([&made] {
        ++made;
        return std::make_unique<PlainWindow>();
    });
    QVERIFY(!holder.isLoaded());

    PlainWindow& first = holder.show();
    QCOMPARE(&holder.show(), &first);
    QCOMPARE(made, 1);
    QVERIFY(first.isVisible());
    QVERIFY(!first.parentWidget());

    QPointer<PlainWindow> gone(&first);
    holder.unload();
    QVERIFY(!holder.isLoaded());
    QTRY_VERIFY(gone.isNull()); // its widgets are destroyed, not just hidden

    PlainWindow& second = holder.show();
    QCOMPARE(made, 2);
    QVERIFY(second.isVisible());
    holder.unload();
}

void tst_Platform::holderOwnsItsWindow() {
    QPointer<PlainWindow> window;
    {
        platform::WindowHolder<PlainWindow> holder;
        window = &holder.show();
    }
    QVERIFY(window.isNull());
}

void tst_Platform::closeCannotBeVetoedAndUnloads() {
    platform::WindowHolder<PlainWindow> holder;
    QPointer<PlainWindow> window(&holder.show());
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::keyClick(window, Qt::Key_F4, Qt::AltModifier); // the keyboard way, no frame needed
    QVERIFY(!holder.isLoaded());
    QTRY_VERIFY(window.isNull());
}

void tst_Platform::pictureKeepsItsOwnSize() {
    QWidget parent;
    parent.resize(20, 20);
    platform::Picture picture(m_redPicture, platform::Picture::Role::Decoration, &parent);
    QCOMPARE(picture.size(), QSize(4, 3));
    picture.setGeometry(0, 0, 10, 8); // larger than the picture: no stretching
    const QImage shot = picture.grab().toImage();
    QCOMPARE(shot.pixelColor(3, 2), QColor(Qt::red));
    QVERIFY(shot.pixelColor(5, 2) != QColor(Qt::red));
    QVERIFY(shot.pixelColor(3, 4) != QColor(Qt::red));
}

void tst_Platform::pictureClick_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<int>("clicks");

    QTest::newRow("press and release inside") << Qt::LeftButton << QPoint(2, 1) << 1;
    QTest::newRow("released outside") << Qt::LeftButton << QPoint(30, 1) << 0;
    QTest::newRow("right button") << Qt::RightButton << QPoint(2, 1) << 0;
}

void tst_Platform::pictureClick() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, releaseAt);
    QFETCH(int, clicks);

    QWidget parent;
    platform::Picture picture(m_redPicture, platform::Picture::Role::Button, &parent);
    QSignalSpy clicked(&picture, &platform::Picture::clicked);
    QTest::mousePress(&picture, button, {}, QPoint(1, 1));
    QTest::mouseRelease(&picture, button, {}, releaseAt);
    QCOMPARE(clicked.size(), clicks);
}

// Clicks go through the window, which finds the widget under the mouse as the user's would.
void tst_Platform::upperPictureTakesTheClick() {
    PlainWindow window;
    platform::Picture lower(m_redPicture, platform::Picture::Role::Button, &window);
    platform::Picture upper(m_redPicture, platform::Picture::Role::Button, &window);
    platform::Picture decoration(m_redPicture, platform::Picture::Role::Decoration, &window);
    lower.move(10, 10);
    upper.move(12, 10);
    decoration.move(10, 10); // on top of both, but lets the mouse through
    QSignalSpy lowerClicked(&lower, &platform::Picture::clicked);
    QSignalSpy upperClicked(&upper, &platform::Picture::clicked);
    QSignalSpy windowClicked(&window, &platform::FormWindow::clicked);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(13, 11)); // overlap
    QCOMPARE(upperClicked.size(), 1);
    QCOMPARE(lowerClicked.size(), 0);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(10, 11)); // lower only
    QCOMPARE(lowerClicked.size(), 1);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(100, 50)); // background
    QCOMPARE(windowClicked.size(), 1);
}

void tst_Platform::dragMovesWindow_data() {
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<bool>("moves");

    const int threshold = QApplication::startDragDistance();
    QTest::newRow("drag beyond the threshold") << QPoint(threshold + 30, 20) << true;
    QTest::newRow("jitter below the threshold is a click") << QPoint(threshold / 2, 0) << false;
}

void tst_Platform::dragMovesWindow() {
    QFETCH(QPoint, offset);
    QFETCH(bool, moves);

    PlainWindow window;
    window.move(100, 100);
    QSignalSpy clicked(&window, &platform::FormWindow::clicked);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint start = window.pos();
    const QPoint press(20, 20);

    QTest::mousePress(&window, Qt::LeftButton, {}, press);
    QTest::mouseMove(&window, press + offset);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, press + offset);

    if (moves) {
        QTRY_COMPARE(window.pos(), start + offset);
        QCOMPARE(clicked.size(), 0);
    } else {
        QCOMPARE(window.pos(), start);
        QCOMPARE(clicked.size(), 1);
    }
}

void tst_Platform::centredWhereItFits_data() {
    QTest::addColumn<QSize>("extra"); // beyond the screen's available area
    QTest::newRow("fits") << QSize(-100, -100);
    QTest::newRow("too wide") << QSize(300, -100);
    QTest::newRow("too tall") << QSize(-100, 200);
    QTest::newRow("too large both ways") << QSize(300, 200);
}

void tst_Platform::centredWhereItFits() {
    QFETCH(QSize, extra);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    PlainWindow window(area.size() + extra);
    window.centreOnScreen();
    // Centred on each axis where it fits; otherwise its top-left corner stays on the screen.
    const QPoint expected(extra.width() < 0 ? area.left() - extra.width() / 2 : area.left(),
                          extra.height() < 0 ? area.top() - extra.height() / 2 : area.top());
    QCOMPARE(window.pos(), expected);
}

void tst_Platform::messageBoxIsTheRealOne() {
    QWidget owner;
    platform::MessageBoxes boxes;
    ModalCloser closer;

    boxes.information(&owner, QStringLiteral("A title"), QStringLiteral(" a text, <b>plain</b>"));

    QCOMPARE(closer.count(), 1);
    const ModalCloser::Seen& seen = closer.seen().front();
    QCOMPARE(seen.title, QStringLiteral("A title"));
    QCOMPARE(seen.text, QStringLiteral(" a text, <b>plain</b>"));
    QCOMPARE(seen.icon, QMessageBox::Information);
    QCOMPARE(seen.buttonCount, 1);
}

void tst_Platform::inputFilter_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("refusals"); // calls of the key-press handler that dropped a character
    QTest::addColumn<int>("tooLong");

    // The rule takes "x" only, the edit at most six characters.
    QTest::newRow("typed, accepted") << "type"
                                     << ""
                                     << "xx"
                                     << "xx" << 0 << 0;
    QTest::newRow("typed, refused by the handler") << "type"
                                                   << ""
                                                   << "x1x"
                                                   << "xx" << 1 << 0;
    QTest::newRow("paste, mixed: one report") << "paste"
                                              << "x"
                                              << "1x2x"
                                              << "xxx" << 1 << 0;
    QTest::newRow("paste of a backspace character") << "paste"
                                                    << "x"
                                                    << "x"
                                                    << "xx" << 1 << 0;
    QTest::newRow("paste up to the limit") << "paste"
                                           << "x"
                                           << "xxxxx"
                                           << "xxxxxx" << 0 << 0;
    QTest::newRow("paste past the limit, refused whole") << "paste"
                                                         << "x"
                                                         << "xxxxxx"
                                                         << "x" << 0 << 1;
    QTest::newRow("typed into a full edit") << "type"
                                            << "xxxxxx"
                                            << "x"
                                            << "xxxxxx" << 0 << 1;
}

void tst_Platform::inputFilter() {
    QFETCH(QString, how);
    QFETCH(QString, before);
    QFETCH(QString, inserted);
    QFETCH(QString, after);
    QFETCH(int, refusals);
    QFETCH(int, tooLong);

    QLineEdit edit;
    int refused = 0;
    int tooLongCalls = 0;
    const auto accepts = [](int code) {
        return code == 'x';
    };
    platform::InputFilter::install(
        edit, accepts,
        [&refused, accepts](int& keyAscii) {
            if (accepts(keyAscii) || keyAscii == 8)
                return;
            ++refused;
            keyAscii = 0;
        },
        6, [&tooLongCalls] { ++tooLongCalls; });
    QTest::keyClicks(&edit, before);
    if (how == QLatin1String("type")) {
        QTest::keyClicks(&edit, inserted);
    } else {
        QGuiApplication::clipboard()->setText(inserted);
        edit.paste();
    }
    QCoreApplication::processEvents(); // the reports of an insertion come queued
    QCOMPARE(edit.text(), after);
    QCOMPARE(refused, refusals);
    QCOMPARE(tooLongCalls, tooLong);
}

void tst_Platform::textBox_data() {
    QTest::addColumn<platform::TextBox::Role>("role");
    QTest::newRow("input") << platform::TextBox::Role::Input;
    QTest::newRow("output") << platform::TextBox::Role::Output;
}

void tst_Platform::textBox() {
    QFETCH(platform::TextBox::Role, role);
    const bool output = role == platform::TextBox::Role::Output;
    platform::TextBox box(role);
    const QString text(40'000, QLatin1Char('7')); // past QLineEdit's own 32767
    box.setText(text);
    QCOMPARE(box.text(), text);
    QCOMPARE(box.isReadOnly(), output);
    QVERIFY(box.focusPolicy() & Qt::TabFocus); // outputs too take the focus
    box.selectAll();
    QCOMPARE(box.selectedText(), text);
    QTest::keyClicks(&box, "5");
    QCOMPARE(box.text(), output ? text : QStringLiteral("5"));
}

void tst_Platform::typedEntryIsNotAPick_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("an entry but for case") << "kelvin";
    QTest::newRow("an entry exactly") << "Kelvin";
    QTest::newRow("the start of an entry") << "K";
}

void tst_Platform::typedEntryIsNotAPick() {
    QFETCH(QString, typed);
    QWidget window;
    platform::ComboBox box(&window);
    QLineEdit other(&window);
    box.addItems({QStringLiteral("Celsius"), QStringLiteral("Kelvin")});
    QSignalSpy picked(&box, &QComboBox::activated);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    box.lineEdit()->setFocus();
    box.lineEdit()->selectAll();
    QTest::keyClicks(box.lineEdit(), typed);
    QTest::keyClick(box.lineEdit(), Qt::Key_Return);
    other.setFocus(); // the field loses the focus
    QCOMPARE(box.currentText(), typed);
    QCOMPARE(box.count(), 2);
    QCOMPARE(picked.size(), 0);
}

QTEST_MAIN(tst_Platform)
#include "tst_platform.moc"
