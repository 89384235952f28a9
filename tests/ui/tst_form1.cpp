// SPDX-License-Identifier: MIT
#include "InputCue.h"
#include "ModalCloser.h"
#include "platform/Accessibility.h"
#include "platform/Picture.h"
#include "platform/WindowHolder.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QHash>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <optional>

namespace {

// A key as Qt on X11 reports it: control keys carry their control character as text.
class X11Key : public QTestEvent {
public:
    X11Key(Qt::Key key, QString text, Qt::KeyboardModifiers modifiers, bool repeat = false)
        : m_key(key)
        , m_text(std::move(text))
        , m_modifiers(modifiers)
        , m_repeat(repeat) {}
    void simulate(QWidget* widget) override {
        if (!m_repeat) {
            QTest::sendKeyEvent(QTest::Click, widget, m_key, m_text, m_modifiers);
            return;
        }
        for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
            QKeyEvent event(type, m_key, m_modifiers, m_text, true);
            QApplication::sendEvent(widget, &event);
        }
    }
    QTestEvent* clone() const override { return new X11Key(*this); }

private:
    Qt::Key m_key;
    QString m_text;
    Qt::KeyboardModifiers m_modifiers;
    bool m_repeat;
};

struct Stroke {
    Stroke(const char* typed)
        : text(QString::fromLatin1(typed)) {} // plain typing
    Stroke(Qt::Key k, const char* t, Qt::KeyboardModifiers m = {}, int r = 0)
        : key(k)
        , text(QString::fromLatin1(t))
        , modifiers(m)
        , repeats(r) {}
    Qt::Key key = Qt::Key_unknown;
    QString text;
    Qt::KeyboardModifiers modifiers;
    int repeats = 0; // auto-repeats while the key is held
};

QTestEventList keys(std::initializer_list<Stroke> strokes) {
    QTestEventList list;
    for (const Stroke& stroke : strokes) {
        if (stroke.key == Qt::Key_unknown)
            list.addKeyClicks(stroke.text);
        else
            list.append(new X11Key(stroke.key, stroke.text, stroke.modifiers)); // the list owns it
        for (int i = 0; i < stroke.repeats; ++i)
            list.append(new X11Key(stroke.key, stroke.text, stroke.modifiers, true));
    }
    return list;
}

constexpr Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers shift = Qt::ShiftModifier;

} // namespace

using Form2Holder = platform::WindowHolder<ui::Form2>;
using Form1Holder = platform::WindowHolder<ui::Form1>;

class tst_Form1 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void initialState();
    void accessibility_data();
    void accessibility();
    void geometry_data();
    void geometry();
    void tabOrder();
    void outputBoxesRefuseEditing();

    void workedResults_data();
    void workedResults();
    void emptiedInputKeepsOutputs();
    void longInputIsNotCut();

    void keystrokes_data();
    void keystrokes();
    void insertions_data();
    void insertions();

    void pasteLeavesCursorAfterKept_data();
    void pasteLeavesCursorAfterKept();
    void filteredPasteKeepsUndo_data();
    void filteredPasteKeepsUndo();
    void heldKeyKeepsItsMessage();
    void contextMenuListsNoShortcuts();

    void failureMarksInput_data();
    void failureMarksInput();

    void typedScaleIsNotAPick();
    void keyboardPickConverts();

    void pictureClicks();
    void oneAboutWindow();
    void aboutDismissal_data();
    void aboutDismissal();
    void aboutOutlivesMainWindow();
    void lastUnloadEndsTheLoop();

private:
    QLineEdit* box(const char* name) const { return m_form->findChild<QLineEdit*>(name); }
    QComboBox* combo() const { return m_form->findChild<QComboBox*>("Combo1"); }
    platform::Picture* picture(const char* name) const {
        return m_form->findChild<platform::Picture*>(name);
    }
    QStringList outputs() const {
        return {box("Text2")->text(), box("Text3")->text(), box("Text4")->text()};
    }
    void pickScale(const QString& scale);
    void clickOnWindow(QWidget* window, QPoint at);

    std::optional<Form2Holder> m_about;
    std::optional<Form1Holder> m_main;
    ui::Form1* m_form = nullptr;
    QLineEdit* m_input = nullptr;
};

// Picks an entry the way a user does: open the list and click the entry.
void tst_Form1::pickScale(const QString& scale) {
    QComboBox* scales = combo();
    const int row = scales->findText(scale, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QVERIFY(row >= 0);
    scales->showPopup();
    QAbstractItemView* list = scales->view();
    QTRY_VERIFY(list->isVisible());
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!list->isVisible());
}

// Clicks go through the window so that it picks the widget under the mouse, as for a user.
void tst_Form1::clickOnWindow(QWidget* window, QPoint at) {
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
}

void tst_Form1::initTestCase() {
    platform::installAccessibility(); // as main() does
}

void tst_Form1::init() {
    m_about.emplace();
    m_main.emplace([this] { return std::make_unique<ui::Form1>(*m_about); });
    m_form = &m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    m_input = box("Text1");
    QGuiApplication::clipboard()->clear();
}

// The holders own the windows; destroying them must leave no window, box or tooltip behind.
void tst_Form1::cleanup() {
    m_main.reset();
    m_about.reset();
    m_form = nullptr;
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_Form1::initialState() {
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Velmora Temperature Converter"));
    QCOMPARE(m_form->size(), QSize(572, 287));
    QCOMPARE(m_form->geometry().center(),
             QGuiApplication::primaryScreen()->availableGeometry().center());
    QVERIFY(!m_form->windowIcon().isNull());
    QCOMPARE(QApplication::focusWidget(), m_input);

    QCOMPARE(outputs(), QStringList({"", "", ""}));
    QVERIFY(m_input->text().isEmpty());
    QCOMPARE(combo()->currentText(), QStringLiteral("Celsius"));
    QCOMPARE(combo()->count(), 3);
    QCOMPARE(combo()->itemText(1), QStringLiteral("Fahrenheit"));
    QCOMPARE(combo()->itemText(2), QStringLiteral("Kelvin"));

    QCOMPARE(m_input->toolTip(), QStringLiteral("Please enter the value to convert"));
    for (const char* name : {"Text2", "Text3", "Text4"})
        QVERIFY2(box(name)->toolTip().isEmpty(), name);
    for (const char* name : {"Text1", "Text2", "Text3", "Text4"}) {
        QCOMPARE(box(name)->font().pixelSize(), 16);
        QCOMPARE(box(name)->palette().color(QPalette::Text), QColor(192, 0, 0));
        QCOMPARE(box(name)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }
    QCOMPARE(combo()->font().pixelSize(), 13);
    QCOMPARE(combo()->palette().color(QPalette::Text), QColor(128, 0, 0));
}

// What a screen reader is told: each control's role, name and actions, and for the text boxes
// whether they may be edited: read-only boxes must not also claim to be editable.
enum class Editing { NotText, Editable, ReadOnly };
Q_DECLARE_METATYPE(Editing)

void tst_Form1::accessibility_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<Editing>("editing");

    const QStringList none;
    const QStringList press{QAccessibleActionInterface::pressAction()};
    const QStringList focus{QAccessibleActionInterface::setFocusAction()};
    const QStringList combo{QAccessibleActionInterface::showMenuAction(),
                            QAccessibleActionInterface::pressAction()};
    QTest::newRow("main window, not dismissible")
        << "Form1" << QAccessible::Window << "Velmora Temperature Converter" << none
        << Editing::NotText;
    QTest::newRow("about window, closed by a press")
        << "Form2" << QAccessible::Window << "About Velmora Temperature Converter" << press
        << Editing::NotText;
    QTest::newRow("input") << "Text1" << QAccessible::EditableText << "Temperature to convert"
                           << focus << Editing::Editable;
    QTest::newRow("scale, not its current text")
        << "Combo1" << QAccessible::ComboBox << "Scale" << combo << Editing::NotText;
    QTest::newRow("scale's text field, named after it")
        << "Combo1 field" << QAccessible::EditableText << "Scale" << focus << Editing::Editable;
    QTest::newRow("Fahrenheit output")
        << "Text2" << QAccessible::EditableText << "Fahrenheit" << focus << Editing::ReadOnly;
    QTest::newRow("Kelvin output (25 px high)")
        << "Text4" << QAccessible::EditableText << "Kelvin" << focus << Editing::ReadOnly;
    QTest::newRow("close picture")
        << "Image1" << QAccessible::PushButton << "Close" << press << Editing::NotText;
    QTest::newRow("about picture")
        << "Image4" << QAccessible::PushButton << "About" << press << Editing::NotText;
    QTest::newRow("title banner") << "Image3" << QAccessible::Graphic
                                  << "Velmora Temperature Converter" << none << Editing::NotText;
}

void tst_Form1::accessibility() {
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(QStringList, actions);
    QFETCH(Editing, editing);

    QObject* object = nullptr;
    if (control == QLatin1String("Form1")) {
        object = m_form;
    } else if (control == QLatin1String("Form2")) {
        object = &m_about->show();
    } else if (control == QLatin1String("Combo1 field")) {
        object = combo()->lineEdit();
    } else {
        object = m_form->findChild<QWidget*>(control);
    }
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    QVERIFY(face);
    QCOMPARE(face->role(), role);
    QCOMPARE(face->text(QAccessible::Name), name);
    QAccessibleActionInterface* doer = face->actionInterface();
    QCOMPARE(doer ? doer->actionNames() : QStringList(), actions);
    if (editing == Editing::NotText)
        return;
    const bool readOnly = editing == Editing::ReadOnly;
    QCOMPARE(bool(face->state().readOnly), readOnly);
    QCOMPARE(bool(face->state().editable), !readOnly);
    QCOMPARE(face->editableTextInterface() == nullptr, readOnly);
    QVERIFY(face->textInterface());
    QCOMPARE(face->textInterface()->text(0, face->textInterface()->characterCount()),
             qobject_cast<QLineEdit*>(object)->text());
}

void tst_Form1::geometry_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("Text1 overlaps Combo1 by one pixel") << "Text1" << QRect(264, 72, 169, 27);
    QTest::newRow("Text2") << "Text2" << QRect(264, 112, 265, 27);
    QTest::newRow("Text3") << "Text3" << QRect(264, 144, 265, 27);
    QTest::newRow("Text4 is 25 px high") << "Text4" << QRect(264, 176, 265, 25);
    QTest::newRow("Combo1") << "Combo1" << QRect(432, 72, 97, 26);
    QTest::newRow("Image1 overhangs right") << "Image1" << QRect(552, 0, 22, 18);
    QTest::newRow("Image4 overhangs sides") << "Image4" << QRect(-56, 224, 704, 67);
    QTest::newRow("Image3 overhangs sides") << "Image3" << QRect(-88, 0, 744, 67);
}

void tst_Form1::geometry() {
    QFETCH(QString, control);
    QFETCH(QRect, pixels);
    auto* widget = m_form->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), pixels);
}

void tst_Form1::tabOrder() {
    const auto focusOwner = [] {
        QWidget* focus = QApplication::focusWidget();
        // An editable combo box's field has the focus on the box's behalf.
        if (auto* scales = qobject_cast<QComboBox*>(focus ? focus->parentWidget() : nullptr))
            return static_cast<QWidget*>(scales);
        return focus;
    };
    QStringList visited;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focusOwner()->objectName();
    }
    QCOMPARE(visited, QStringList({"Text2", "Text3", "Combo1", "Text4", "Text1"}));
    QStringList back;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        back << focusOwner()->objectName();
    }
    QCOMPARE(back, QStringList({"Text4", "Combo1", "Text3"}));
}

void tst_Form1::outputBoxesRefuseEditing() {
    QTest::keyClicks(m_input, "37");
    QLineEdit* kelvin = box("Text4");
    kelvin->setFocus();
    QTest::keyClicks(kelvin, "9");
    QTest::keyClick(kelvin, Qt::Key_Backspace);
    QCOMPARE(kelvin->text(), QStringLiteral("310°K"));
    QTest::keyClick(kelvin, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(kelvin->selectedText(), QStringLiteral("310°K"));
}

void tst_Form1::workedResults_data() {
    QTest::addColumn<bool>("scaleFirst");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QStringList>("expected");

    struct Row {
        const char* input;
        const char* scale;
        QStringList expected;
    };
    const Row rows[] = {
        {"100", "Fahrenheit", {"100°F", "37.7777777777778°C", "310.927777777778°K"}},
        {"32", "Fahrenheit", {"32°F", "0°C", "273.15°K"}},
        {"212", "Fahrenheit", {"212°F", "100°C", "373.15°K"}},
        {".5", "Fahrenheit", {".5°F", "-17.5°C", "255.65°K"}},
        {"100", "Celsius", {"212°F", "100°C", "373°K"}},
        {"37", "Celsius", {"98.6°F", "37°C", "310°K"}},
        {"007", "Celsius", {"44.6°F", "007°C", "280°K"}},
        {"0", "Kelvin", {"-459.4°F", "-273°C", "0°K"}},
        {"273.15", "Kelvin", {"32.27°F", "0.149999999999977°C", "273.15°K"}},
        {"373", "Kelvin", {"212°F", "100°C", "373°K"}},
    };
    for (const Row& row : rows) {
        for (const bool scaleFirst : {true, false}) {
            QTest::addRow("%s %s, %s", row.input, row.scale,
                          scaleFirst ? "scale picked, then typed" : "typed, then scale picked")
                << scaleFirst << QString::fromLatin1(row.input) << QString::fromLatin1(row.scale)
                << row.expected;
        }
    }
}

void tst_Form1::workedResults() {
    QFETCH(bool, scaleFirst);
    QFETCH(QString, input);
    QFETCH(QString, scale);
    QFETCH(QStringList, expected);

    if (scaleFirst)
        pickScale(scale);
    QTest::keyClicks(m_input, input);
    if (!scaleFirst)
        pickScale(scale);

    QCOMPARE(outputs(), expected);
    QCOMPARE(m_input->text(), input);
}

// QLineEdit's default limit of 32767 characters would cut both the input and its echo.
void tst_Form1::longInputIsNotCut() {
    pickScale(QStringLiteral("Fahrenheit"));
    const QString digits(40'000, QLatin1Char('7'));
    QGuiApplication::clipboard()->setText(digits);
    m_input->paste();
    QCOMPARE(m_input->text(), digits);
    QCOMPARE(box("Text2")->text(), digits + QStringLiteral("°F"));
    QCOMPARE(inputCue(*m_input), InputCue::OutOfRange);
}

void tst_Form1::emptiedInputKeepsOutputs() {
    QTest::keyClicks(m_input, "100");
    m_input->selectAll();
    QTest::keyClick(m_input, Qt::Key_Delete);
    QVERIFY(m_input->text().isEmpty());
    QCOMPARE(outputs(), QStringList({"212°F", "100°C", "373°K"}));
    pickScale(QStringLiteral("Kelvin")); // a pick with no input converts nothing either
    QCOMPARE(outputs(), QStringList({"212°F", "100°C", "373°K"}));
}

void tst_Form1::keystrokes_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("conversions");
    const auto row = [](const char* name, const char* before, const QTestEventList& keys,
                        const char* after, int messages, int conversions) {
        QTest::newRow(name) << before << keys << after << messages << conversions;
    };

    // The clipboard holds "6a-7" in every row.
    row("digits and full stop pass", "", keys({{"1.5"}}), "1.5", 0, 3);
    row("second full stop passes", "1.2", keys({{".3"}}), "1.2.3", 0, 2);
    row("minus sign refused", "5", keys({{Qt::Key_Minus, "-"}}), "5", 1, 0);
    row("blank, comma, plus, letter each refused", "5", keys({{" ,+e"}}), "5", 4, 0);
    row("only refused keys are dropped", "5", keys({{"a5b"}}), "55", 2, 1);
    row("Enter refused", "5", keys({{Qt::Key_Return, "\r"}}), "5", 1, 0);
    row("Escape refused", "5", keys({{Qt::Key_Escape, "\x1b"}}), "5", 1, 0);
    row("Ctrl+V refused, nothing pasted", "5", keys({{Qt::Key_V, "\x16", ctrl}}), "5", 1, 0);
    row("Ctrl+X refused, nothing cut", "56",
        keys({{Qt::Key_Left, "", shift}, {Qt::Key_X, "\x18", ctrl}}), "56", 1, 0);
    row("Ctrl+Z refused, nothing undone", "5", keys({{"6"}, {Qt::Key_Z, "\x1a", ctrl}}), "56", 1,
        1);
    row("Ctrl+A refused, nothing selected", "5", keys({{Qt::Key_A, "\x01", ctrl}, {"6"}}), "56", 1,
        1);
    row("Backspace passes", "56", keys({{Qt::Key_Backspace, "\b"}}), "5", 0, 1);
    row("Delete works though X11 gives it a character", "56",
        keys({{Qt::Key_Home, ""}, {Qt::Key_Delete, "\x7f"}}), "6", 0, 1);
    row("arrows and Home move the cursor", "56",
        keys({{Qt::Key_Left, ""}, {Qt::Key_Home, ""}, {"4"}}), "456", 0, 1);
    row("function key ignored", "5", keys({{Qt::Key_F2, ""}}), "5", 0, 0);
    row("held Enter: one message", "5", keys({{Qt::Key_Return, "\r", {}, 5}}), "5", 1, 0);
    row("held Space: one message", "5", keys({{Qt::Key_Space, " ", {}, 5}}), "5", 1, 0);
    row("held Escape, pressed again: two messages", "5",
        keys({{Qt::Key_Escape, "\x1b", {}, 3}, {Qt::Key_Escape, "\x1b"}}), "5", 2, 0);
    row("held digit repeats", "5", keys({{Qt::Key_6, "6", {}, 3}}), "56666", 0, 4);
    row("Shift+Insert pastes only what passes", "5", keys({{Qt::Key_Insert, "", shift}}), "567", 1,
        1);
}

void tst_Form1::keystrokes() {
    QFETCH(QString, before);
    QFETCH(QTestEventList, keys);
    QFETCH(QString, after);
    QFETCH(int, messages);
    QFETCH(int, conversions);

    if (!before.isEmpty())
        QTest::keyClicks(m_input, before);
    QGuiApplication::clipboard()->setText(QStringLiteral("6a-7"));
    QSignalSpy changes(m_input, &QLineEdit::textChanged);
    ModalCloser closer;

    keys.simulate(m_input);

    QTRY_COMPARE(closer.count(), messages);
    QCOMPARE(m_input->text(), after);
    QCOMPARE(changes.size(), conversions); // each change of Text1 runs one conversion
    for (const ModalCloser::Seen& seen : closer.seen()) {
        QCOMPARE(seen.title, QStringLiteral("Input validation"));
        QCOMPARE(seen.text,
                 QStringLiteral(" The character you entered is not allowed in the TextBox"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.buttonCount, 1);
    }
}

void tst_Form1::insertions_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("tooLong"); // the message is the one for a text that does not fit

    QTest::newRow("paste of digits") << "paste"
                                     << "34"
                                     << "1234" << 0 << false;
    QTest::newRow("paste, mixed: one message") << "paste"
                                               << "3x-4 "
                                               << "1234" << 1 << false;
    QTest::newRow("paste, all refused") << "paste"
                                        << "abc"
                                        << "12" << 1 << false;
    QTest::newRow("drop, mixed: one message") << "drop"
                                              << "a3b4"
                                              << "1234" << 1 << false;
    // The kept digits equal the start or end of the replaced text; only the refused part differs.
    QTest::newRow("paste over all, kept digit matches the head") << "paste over all"
                                                                 << "1x"
                                                                 << "1" << 1 << false;
    QTest::newRow("paste over all, kept digit matches the tail") << "paste over all"
                                                                 << "x2"
                                                                 << "2" << 1 << false;
    // Code 8 is the Backspace key only; in text it is an invisible control character.
    QTest::newRow("paste with a backspace character") << "paste"
                                                      << "3\b4"
                                                      << "1234" << 1 << false;
    QTest::newRow("drop of a lone backspace character") << "drop"
                                                        << "\b"
                                                        << "12" << 1 << false;
    QTest::newRow("input method commit of a backspace character") << "commit"
                                                                  << "\b3"
                                                                  << "123" << 1 << false;
    QTest::newRow("input method commit, mixed") << "commit"
                                                << "3,4"
                                                << "1234" << 1 << false;
    QTest::newRow("input method commit, refused") << "commit"
                                                  << "é"
                                                  << "12" << 1 << false;
    // A screen reader's edits are filtered like a paste.
    QTest::newRow("screen reader inserts digits") << "screen reader"
                                                  << "34"
                                                  << "1234" << 0 << false;
    QTest::newRow("screen reader inserts, mixed: one message") << "screen reader"
                                                               << "3x4"
                                                               << "1234" << 1 << false;
    // The input holds "12": what fits is taken, anything longer is refused whole, by every route.
    const qsizetype room = ui::Form1::maxInputLength - 2;
    const QString fits(room, QLatin1Char('7'));
    QTest::newRow("paste that fills the input") << "paste" << fits << "12" + fits << 0 << false;
    QTest::newRow("paste one past the limit") << "paste" << fits + "7"
                                              << "12" << 1 << true;
    QTest::newRow("paste of 10 MB")
        << "paste" << QString(10'000'000, QLatin1Char('7')) << "12" << 1 << true;
    QTest::newRow("paste past the limit, mixed: one message") << "paste" << fits + "x7"
                                                              << "12" << 1 << true;
    QTest::newRow("paste over all, too long") << "paste over all" << fits + "777"
                                              << "12" << 1 << true;
    QTest::newRow("drop past the limit") << "drop" << fits + "7"
                                         << "12" << 1 << true;
    QTest::newRow("input method commit past the limit") << "commit" << fits + "7"
                                                        << "12" << 1 << true;
    QTest::newRow("digit typed into a full input")
        << "paste, then type 5" << fits << "12" + fits << 1 << true;
}

void tst_Form1::insertions() {
    QFETCH(QString, how);
    QFETCH(QString, inserted);
    QFETCH(QString, after);
    QFETCH(int, messages);
    QFETCH(bool, tooLong);

    QTest::keyClicks(m_input, "12");
    QSignalSpy changes(m_input, &QLineEdit::textChanged);
    ModalCloser closer;

    if (how.startsWith(QLatin1String("paste"))) {
        if (how.endsWith(QLatin1String("over all")))
            m_input->selectAll();
        QGuiApplication::clipboard()->setText(inserted);
        m_input->paste(); // what the context menu's Paste does
        if (how.endsWith(QLatin1String("type 5")))
            QTest::keyClick(m_input, Qt::Key_5);
    } else if (how == QLatin1String("drop")) {
        QMimeData data;
        data.setText(inserted);
        const QPointF end(m_input->width() - 4, m_input->height() / 2);
        QDragEnterEvent enter(end.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(m_input, &enter);
        QDragMoveEvent move(end.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(m_input, &move);
        QDropEvent drop(end, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(m_input, &drop);
    } else if (how == QLatin1String("screen reader")) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(m_input);
        QVERIFY(face && face->editableTextInterface());
        face->editableTextInterface()->insertText(2, inserted);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(inserted);
        QApplication::sendEvent(m_input, &commit);
    }

    QTRY_COMPARE(closer.count(), messages);
    QCOMPARE(m_input->text(), after);
    QCOMPARE(changes.size(), after == QLatin1String("12") ? 0 : 1);
    for (const ModalCloser::Seen& seen : closer.seen())
        QCOMPARE(seen.text.contains(QLatin1String("too long")), tooLong);
    QTRY_VERIFY(m_input->hasFocus()); // the user goes on typing where they were
    // An insertion refused whole costs no history: what was typed before can still be undone.
    if (after == QLatin1String("12")) {
        m_input->undo();
        QVERIFY(m_input->text().size() < 2);
    }
}

void tst_Form1::pasteLeavesCursorAfterKept_data() {
    QTest::addColumn<int>("from"); // where the cursor is in "56", or -1 for all of it selected
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("cursor");

    QTest::newRow("mixed, at the end") << 2 << "1a2"
                                       << "5612" << 4;
    QTest::newRow("mixed, in the middle") << 1 << "1a2"
                                          << "5126" << 3;
    QTest::newRow("mixed, at the start") << 0 << "-1 2"
                                         << "1256" << 2;
    QTest::newRow("mixed, over a selection") << -1 << "x1a2"
                                             << "12" << 2;
    QTest::newRow("all refused, cursor stays") << 1 << "ab"
                                               << "56" << 1;
}

// What a mixed paste keeps goes in as if only it had been pasted: the cursor ends after it.
void tst_Form1::pasteLeavesCursorAfterKept() {
    QFETCH(int, from);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    QFETCH(int, cursor);

    QTest::keyClicks(m_input, "56");
    if (from < 0)
        m_input->selectAll();
    else
        m_input->setCursorPosition(from);
    QGuiApplication::clipboard()->setText(pasted);
    ModalCloser closer;
    m_input->paste();
    QTRY_COMPARE(closer.count(), 1);
    QCOMPARE(m_input->text(), after);
    QCOMPARE(m_input->cursorPosition(), cursor);
    QVERIFY(!m_input->hasSelectedText());
}

void tst_Form1::filteredPasteKeepsUndo_data() {
    QTest::addColumn<bool>("overAll");
    QTest::addColumn<QString>("pasted");
    QTest::newRow("at the cursor") << false << "45123";
    QTest::newRow("over a selection") << true << "123";
}

// The filter keeps the edit's history: Undo and Redo go on working after a filtered paste.
void tst_Form1::filteredPasteKeepsUndo() {
    QFETCH(bool, overAll);
    QFETCH(QString, pasted);
    QTest::keyClicks(m_input, "45");
    if (overAll)
        m_input->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("12abc3"));
    ModalCloser closer;
    m_input->paste();
    QTRY_COMPARE(closer.count(), 1);
    QCOMPARE(m_input->text(), pasted);
    QVERIFY(m_input->isUndoAvailable());
    m_input->undo();
    QCOMPARE(m_input->text(), QStringLiteral("45"));
    QVERIFY(m_input->isRedoAvailable());
    m_input->redo();
    QCOMPARE(m_input->text(), pasted);
    QCOMPARE(outputs()[1], pasted + QStringLiteral("°C"));
}

// A key held when its message comes up repeats into the box; only a fresh press closes it.
void tst_Form1::heldKeyKeepsItsMessage() {
    bool stayedOpen = false;
    QTimer::singleShot(0, this, [&stayedOpen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QWidget* target : std::initializer_list<QWidget*>{box, box->button(QMessageBox::Ok)})
            X11Key(Qt::Key_Return, QStringLiteral("\r"), {}, true).simulate(target);
        stayedOpen = box->isVisible();
        box->button(QMessageBox::Ok)->click();
    });
    X11Key(Qt::Key_Return, QStringLiteral("\r"), {}).simulate(m_input);
    QVERIFY(stayedOpen);
    QVERIFY(!QApplication::activeModalWidget());
}

// Ctrl+Z, Ctrl+V and the like only bring the refusal message in the input, so its menu does not
// offer them; the commands themselves are there.
void tst_Form1::contextMenuListsNoShortcuts() {
    QTest::keyClicks(m_input, "45");
    QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(5, 5),
                           m_input->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(m_input, &open);
    QMenu* menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
    QStringList commands;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        commands << action->text();
        QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));
    }
    QVERIFY2(commands.filter(QStringLiteral("\t")).isEmpty(), qPrintable(commands.join(u'|')));
    QVERIFY2(commands.contains(QStringLiteral("&Undo")), qPrintable(commands.join(u'|')));
    QVERIFY(menu->actions().constFirst()->isEnabled());
    menu->close();
}

void tst_Form1::failureMarksInput_data() {
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("echo"); // what Text2 shows after the failure, empty if unchanged
    QTest::addColumn<InputCue>("problem");

    QTest::newRow("lone full stop, Fahrenheit writes its echo only")
        << "Fahrenheit"
        << "."
        << ".°F" << InputCue::NotANumber;
    QTest::newRow("lone full stop, Celsius writes nothing") << "Celsius"
                                                            << "."
                                                            << "" << InputCue::NotANumber;
    QTest::newRow("two full stops, Kelvin writes nothing") << "Kelvin"
                                                           << ".."
                                                           << "" << InputCue::NotANumber;
    QTest::newRow("400 digits, Celsius writes nothing")
        << "Celsius" << QString(400, QLatin1Char('9')) << "" << InputCue::OutOfRange;
}

// A failed conversion must neither end the program nor interrupt the user: it marks the input.
void tst_Form1::failureMarksInput() {
    QFETCH(QString, scale);
    QFETCH(QString, pasted);
    QFETCH(QString, echo);
    QFETCH(InputCue, problem);

    QTest::keyClicks(m_input, "37");
    pickScale(scale);
    QStringList expected = outputs();
    if (!echo.isEmpty())
        expected[0] = echo;
    m_input->selectAll();
    QGuiApplication::clipboard()->setText(pasted);
    ModalCloser closer;
    m_input->paste();

    QCOMPARE(m_input->text(), pasted);
    QCOMPARE(outputs(), expected);
    QCOMPARE(inputCue(*m_input), problem);
    QCOMPARE(closer.count(), 0);

    m_input->selectAll();
    QTest::keyClick(m_input, Qt::Key_Backspace); // an empty input converts nothing, successfully
    QCOMPARE(inputCue(*m_input), InputCue::None);
}

void tst_Form1::typedScaleIsNotAPick() {
    QTest::keyClicks(m_input, "100");
    const QStringList celsius{"212°F", "100°C", "373°K"};
    QLineEdit* field = combo()->lineEdit();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "kelvin"); // matches an entry except for case
    QTest::keyClick(field, Qt::Key_Return);
    m_input->setFocus(); // the field loses the focus
    QCOMPARE(combo()->currentText(), QStringLiteral("kelvin"));
    QCOMPARE(combo()->count(), 3);
    QCOMPARE(outputs(), celsius);

    QTest::keyClicks(m_input, "0"); // the next change reads a name that is none of the three
    QCOMPARE(outputs(), celsius);

    field->selectAll();
    QTest::keyClicks(field, "Fahrenheit");
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(combo()->count(), 3);
    QCOMPARE(outputs(), celsius); // typed exactly, still not a pick
}

void tst_Form1::keyboardPickConverts() {
    QTest::keyClicks(m_input, "212");
    combo()->setFocus();
    QTest::keyClick(combo(), Qt::Key_Down);
    QCOMPARE(combo()->currentText(), QStringLiteral("Fahrenheit"));
    QCOMPARE(outputs(), QStringList({"212°F", "100°C", "373.15°K"}));
}

void tst_Form1::pictureClicks() {
    clickOnWindow(m_form, QPoint(500, 10));  // the title banner beside the close button
    clickOnWindow(m_form, QPoint(100, 120)); // the background
    QVERIFY(m_main->isLoaded());
    clickOnWindow(m_form, QPoint(553, 1)); // the close button's corner, over the banner
    QVERIFY(!m_main->isLoaded());
}

void tst_Form1::oneAboutWindow() {
    QVERIFY(!m_about->isLoaded());
    for (int i = 0; i < 3; ++i)
        clickOnWindow(m_form, QPoint(286, 250));
    QVERIFY(m_about->isLoaded());
    ui::Form2* about = m_about->window();
    QCOMPARE(about->size(), QSize(542, 290));
    QCOMPARE(about->windowTitle(), QStringLiteral("Form2"));
    QVERIFY(!about->parentWidget());
    QCOMPARE(about->geometry().center(),
             QGuiApplication::primaryScreen()->availableGeometry().center());
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget* w) { return qobject_cast<ui::Form2*>(w) != nullptr; }),
             1);

    QVERIFY(QTest::qWaitForWindowExposed(about));
    about->showMinimized();
    clickOnWindow(m_form, QPoint(286, 250)); // showing it again restores it
    QVERIFY(!about->isMinimized());
    QVERIFY(about->isVisible());
    about->move(10, 10);
    clickOnWindow(about, QPoint(541, 200)); // the rightmost column is still the window
    QVERIFY(!m_about->isLoaded());

    clickOnWindow(m_form, QPoint(286, 250)); // loads afresh, centred again
    QVERIFY(m_about->isLoaded());
    QCOMPARE(m_about->window()->geometry().center(),
             QGuiApplication::primaryScreen()->availableGeometry().center());
}

// Every way of closing About unloads it and leaves the main window as it was.
void tst_Form1::aboutDismissal_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("click") << "click";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("Alt+F4") << "Alt+F4";
    QTest::newRow("press through accessibility") << "press";
}

void tst_Form1::aboutDismissal() {
    QFETCH(QString, how);
    ui::Form2& about = m_about->show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    if (how == QLatin1String("click")) {
        clickOnWindow(&about, QPoint(100, 100));
    } else if (how == QLatin1String("Escape")) {
        QTest::keyClick(&about, Qt::Key_Escape);
    } else if (how == QLatin1String("Alt+F4")) {
        QTest::keyClick(&about, Qt::Key_F4, Qt::AltModifier);
    } else {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&about);
        QVERIFY(face && face->actionInterface());
        face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    QVERIFY(!m_about->isLoaded());
    QVERIFY(m_main->isLoaded());

    // Escape is no way to close the main window (in the input it is a refused character).
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    box("Text2")->setFocus();
    QTest::keyClick(box("Text2"), Qt::Key_Escape);
    QVERIFY(m_main->isLoaded());
}

void tst_Form1::aboutOutlivesMainWindow() {
    clickOnWindow(m_form, QPoint(286, 250));
    ui::Form2* about = m_about->window();
    QVERIFY(QTest::qWaitForWindowExposed(about));

    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QTest::keyClick(m_input, Qt::Key_F4, Qt::AltModifier); // behaves like Image1
    QVERIFY(!m_main->isLoaded());
    QVERIFY(m_about->isLoaded());
    QVERIFY(about->isVisible());
}

// The real event loop, as main() runs it: closing Form1 first keeps it running for Form2, and
// unloading the last window ends it.
void tst_Form1::lastUnloadEndsTheLoop() {
    bool aboutClosedInLoop = false;
    QTimer::singleShot(0, this, [this, &aboutClosedInLoop] {
        clickOnWindow(m_form, QPoint(286, 250)); // About
        QTimer::singleShot(0, this, [this, &aboutClosedInLoop] {
            clickOnWindow(m_form, QPoint(560, 8)); // close
            QTimer::singleShot(0, this, [this, &aboutClosedInLoop] {
                aboutClosedInLoop = m_about->isLoaded();
                if (aboutClosedInLoop)
                    clickOnWindow(m_about->window(), QPoint(100, 100));
            });
        });
    });
    QTimer failsafe;
    failsafe.callOnTimeout(qApp, [] { QCoreApplication::exit(1); });
    failsafe.start(10'000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(aboutClosedInLoop);
    QVERIFY(!m_main->isLoaded());
    QVERIFY(!m_about->isLoaded());
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
