// SPDX-License-Identifier: MIT
// The forms runtime on Qt beyond its contract (tests/platform/contract, which both backends pass):
// what only Qt has (Shift+Insert, compose keys, cheap cuts of huge pastes, the context menu, the
// combo list's accessibility, palettes) and the program's windows as Qt shows them. What the
// program decides is tested once, on the fake runtime (tests/ui); here the handlers only record.
#include "ProgramWindow.h"
#include "digits.h"
#include "platform/qt/ComboBox.h"
#include "platform/qt/FormWindow.h"
#include "platform/qt/Runtime.h"
#include "platform/qt/TextBox.h"
#include "ui/Program.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <array>
#include <optional>

namespace {

using platform::qt::FormWindow;

// A key as Qt on X11 reports it: control keys carry their control character as text.
class X11Key : public QTestEvent {
public:
    X11Key(Qt::Key key, QString text, Qt::KeyboardModifiers modifiers = {}, bool repeat = false)
        : m_key(key)
        , m_text(std::move(text))
        , m_modifiers(modifiers)
        , m_repeat(repeat) {}
    void simulate(QWidget* widget) override {
        QKeyEvent press(QEvent::KeyPress, m_key, m_modifiers, m_text, m_repeat);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, m_key, m_modifiers, m_text, m_repeat);
        QApplication::sendEvent(widget, &release);
    }
    QTestEvent* clone() const override { return new X11Key(*this); }

private:
    Qt::Key m_key;
    QString m_text;
    Qt::KeyboardModifiers m_modifiers;
    bool m_repeat;
};

constexpr design::Placement inputPlace{"Input", 150, 150, 1500, 405};
constexpr design::Placement comboPlace{"Combo", 1800, 150, 1455, 390};
constexpr std::array<std::string_view, 2> entries{"Celsius", "Kelvin"};

// The box's context menu, opened as the keyboard's menu key opens it.
QMenu* contextMenu(QLineEdit& box) {
    QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(5, 5),
                           box.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&box, &open);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// What the handlers of a box saw.
struct Seen {
    QList<int> codes;          // typed, in order; a repeat as its negative
    QStringList inserted;      // handed to onInsert
    QList<QPair<int, int>> at; // the selection then: its start and length
    int changes = 0;
};

} // namespace

class tst_QtForms : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void insertions_data();
    void insertions();
    void burstOfPastesLosesNothing();
    void contextMenuListsNoShortcutHints();
    void boxesTakeLongTextsAndOutputsRefuseEdits();
    void tipAndMark();
    void screenReaderPicksAnEntry();

    void oversizedWindowStaysOnTheScreen();
    void messageBoxIsReal();

    void programGeometryAndTabOrder();

private:
    FormWindow& makeWindow(bool escapeDismisses = false, int width = 300, int height = 150);
    platform::qt::TextBox& makeInput(FormWindow& window, std::size_t maxLength = 0);

    std::optional<platform::qt::Runtime> m_runtime;
    Seen m_seen;
};

void tst_QtForms::init() {
    m_runtime.emplace("tst_qtforms");
    m_seen = {};
    QGuiApplication::clipboard()->clear();
}

// The runtime deletes its windows; nothing may stay behind.
void tst_QtForms::cleanup() {
    m_runtime.reset();
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

FormWindow& tst_QtForms::makeWindow(bool escapeDismisses, int width, int height) {
    auto& window =
        static_cast<FormWindow&>(m_runtime->load({.title = "Test",
                                                  .width = width,
                                                  .height = height,
                                                  .background = design::pictures::background,
                                                  .escapeDismisses = escapeDismisses}));
    return window;
}

// An input box whose handlers record, refuse the letter x when typed, and keep the digits of
// inserted text.
platform::qt::TextBox& tst_QtForms::makeInput(FormWindow& window, std::size_t maxLength) {
    auto& box = static_cast<platform::qt::TextBox&>(
        window.addTextBox({.place = inputPlace, .maxLength = maxLength}));
    box.onKeyPress = [this](platform::KeyPress& key) {
        m_seen.codes << (key.repeat ? -key.code : key.code);
        if (key.code == 'x' || key.code == 0x16)
            key.code = 0;
    };
    box.onInsert = [this, &box](std::string_view text) {
        m_seen.inserted << QString::fromUtf8(text.data(), qsizetype(text.size()));
        m_seen.at << qMakePair(box.hasSelectedText() ? box.selectionStart() : box.cursorPosition(),
                               box.selectionLength());
        box.insert(digitsOf(text));
    };
    box.onChange = [this] {
        ++m_seen.changes;
    };
    window.show();
    return box;
}

void tst_QtForms::insertions_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("handed");   // to onInsert; empty when it is not called
    QTest::addColumn<int>("replacedFrom"); // the selection onInsert finds
    QTest::addColumn<int>("replaced");
    QTest::addColumn<QString>("after"); // the box held "56", the cursor after the 5

    QTest::newRow("compose: two characters in a key event") << "compose"
                                                            << "e1"
                                                            << "e1" << 1 << 0 << "516";
    // The box takes at most 6; Qt cuts a longer text one past that, cheaply.
    QTest::newRow("a huge paste comes cut") << "paste" << QString(10'000'000, QLatin1Char('7'))
                                            << QString(5, QLatin1Char('7')) << 1 << 0 << "56";
}

void tst_QtForms::insertions() {
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QString, handed);
    QFETCH(int, replacedFrom);
    QFETCH(int, replaced);
    QFETCH(QString, after);

    auto& input = makeInput(makeWindow(), 6);
    input.setText("56");
    input.setCursorPosition(1);
    if (handed.size() == 5) // the huge paste: the handler would refuse it whole, as too long
        input.onInsert = [&](std::string_view t) {
            m_seen.inserted << QString::fromUtf8(t.data(), qsizetype(t.size()));
        };
    m_seen = {};
    QGuiApplication::clipboard()->setText(text);
    if (how.startsWith(QLatin1String("paste"))) {
        if (how.endsWith(QLatin1String("over all")))
            input.selectAll();
        input.paste(); // what the context menu's Paste does
    } else if (how == QLatin1String("Shift+Insert")) {
        QTest::keyClick(&input, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (how == QLatin1String("commit")) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(&input, &commit);
    } else if (how == QLatin1String("compose")) {
        X11Key(Qt::Key_unknown, text).simulate(&input);
    } else {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&input);
        QVERIFY(face && face->editableTextInterface());
        if (how.endsWith(QLatin1String("set")))
            face->setText(QAccessible::Value, text);
        else
            face->editableTextInterface()->insertText(1, text);
    }
    QCOMPARE(input.QLineEdit::text(), QStringLiteral("56")); // the handler comes later
    QTRY_COMPARE(m_seen.inserted, QStringList{handed});
    if (!m_seen.at.isEmpty())
        QCOMPARE(m_seen.at.front(), qMakePair(replacedFrom, replaced));
    QCOMPARE(input.QLineEdit::text(), after);
    QVERIFY(m_seen.codes.isEmpty());
}

// Two pastes before the event loop comes back: both reach the handler, the later one where the
// earlier one left the cursor.
void tst_QtForms::burstOfPastesLosesNothing() {
    auto& input = makeInput(makeWindow());
    input.setText("56");
    input.setCursorPosition(1);
    for (const char* text : {"1", "2"}) {
        QGuiApplication::clipboard()->setText(QLatin1String(text));
        input.paste();
    }
    QTRY_COMPARE(m_seen.inserted, QStringList({"1", "2"}));
    QCOMPARE(input.QLineEdit::text(), QStringLiteral("5126"));
}

// Ctrl+Z, Ctrl+V and the like type characters the handler judges, so the menu does not offer
// them; the commands themselves are there.
void tst_QtForms::contextMenuListsNoShortcutHints() {
    auto& input = makeInput(makeWindow());
    QVERIFY(QTest::qWaitForWindowExposed(input.window()));
    QTest::keyClicks(&input, "45");
    QMenu* menu = contextMenu(input);
    QVERIFY(menu);
    QStringList commands;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        commands << action->text();
        QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));
    }
    QVERIFY2(commands.filter(QStringLiteral("\t")).isEmpty(), qPrintable(commands.join(u'|')));
    QVERIFY2(commands.contains(QStringLiteral("&Undo")), qPrintable(commands.join(u'|')));
    menu->close();
}

void tst_QtForms::boxesTakeLongTextsAndOutputsRefuseEdits() {
    FormWindow& window = makeWindow();
    auto& output = static_cast<platform::qt::TextBox&>(
        window.addTextBox({.place = inputPlace, .readOnly = true}));
    const std::string text(40'000, '7'); // past QLineEdit's own 32767
    output.setText(text);
    QCOMPARE(output.text(), text);
    QVERIFY(output.focusPolicy() & Qt::TabFocus); // outputs too take the focus
    output.selectAll();
    QCOMPARE(output.selectedText().size(), 40'000);
    QTest::keyClicks(&output, "5");
    QTest::keyClick(&output, Qt::Key_Backspace);
    QCOMPARE(output.length(), 40'000u);
}

// The tip is the tooltip and the description a screen reader hears; the mark is the background.
void tst_QtForms::tipAndMark() {
    auto& input = makeInput(makeWindow());
    const QColor normal = input.palette().color(QPalette::Base);
    input.setTip("Not a number");
    input.setMarked(true);
    QCOMPARE(input.toolTip(), QStringLiteral("Not a number"));
    QCOMPARE(input.accessibleDescription(), QStringLiteral("Not a number"));
    QCOMPARE(input.palette().color(QPalette::Base), QColor(255, 224, 224));
    QCOMPARE(input.palette().color(QPalette::Text), QColor(192, 0, 0));
    input.setMarked(false);
    QCOMPARE(input.palette().color(QPalette::Base), normal);
}

// A screen reader's press on an entry of the list picks it.
void tst_QtForms::screenReaderPicksAnEntry() {
    FormWindow& window = makeWindow();
    auto& combo = static_cast<platform::qt::ComboBox&>(window.addComboBox(
        {.place = comboPlace, .accessibleName = "Scale", .entries = entries, .text = "Celsius"}));
    QStringList seen;
    combo.onPick = [&] {
        seen << QString::fromStdString(combo.text());
    };
    window.show();
    combo.setFocus();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&combo)->child(0);
    QVERIFY(list && list->childCount() == 2);
    QAccessibleInterface* entry = list->child(1);
    QCOMPARE(entry->text(QAccessible::Name), QStringLiteral("Kelvin"));
    QCOMPARE(list->indexOfChild(entry), 1);
    QCOMPARE(entry->actionInterface()->actionNames(),
             QStringList{QAccessibleActionInterface::pressAction()});
    entry->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(seen, QStringList{"Kelvin"});
}

void tst_QtForms::oversizedWindowStaysOnTheScreen() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    FormWindow& window = makeWindow(false, area.width() + 300, area.height() - 100);
    window.show();
    QCOMPARE(window.pos(), QPoint(area.left(), area.top() + 50));
}

// The box is Qt's own, its text plain.
void tst_QtForms::messageBoxIsReal() {
    FormWindow& window = makeWindow();
    makeInput(window);
    QTimer::singleShot(0, this, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        QCOMPARE(box->text(), QStringLiteral(" a text, <b>plain</b>"));
        QCOMPARE(box->windowTitle(), QStringLiteral("A title"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->buttons().size(), 1);
        box->button(QMessageBox::Ok)->click();
    });
    m_runtime->messageBox(window, " a text, <b>plain</b>", "A title");
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_QtForms::programGeometryAndTabOrder() {
    ui::Program program(*m_runtime);
    program.start();
    QWidget* main = mainWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QCOMPARE(main->size(), QSize(572, 287));
    QCOMPARE(main->geometry().center(),
             QGuiApplication::primaryScreen()->availableGeometry().center());
    const std::pair<const char*, QRect> placed[] = {
        {"Text1", {264, 72, 169, 27}},   {"Text2", {264, 112, 265, 27}},
        {"Text3", {264, 144, 265, 27}},  {"Text4", {264, 176, 265, 25}},
        {"Combo1", {432, 72, 97, 26}},   {"Image1", {552, 0, 22, 18}},
        {"Image4", {-56, 224, 704, 67}}, {"Image3", {-88, 0, 744, 67}}};
    for (const auto& [control, rect] : placed)
        QCOMPARE(main->findChild<QWidget*>(control)->geometry(), rect);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text1"));
    const auto owner = [] { // an editable combo box's field has the focus on the box's behalf
        QWidget* focus = QApplication::focusWidget();
        auto* combo = qobject_cast<QComboBox*>(focus->parentWidget());
        return combo ? combo->objectName() : focus->objectName();
    };
    QStringList visited;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << owner();
    }
    QCOMPARE(visited, QStringList({"Text2", "Text3", "Combo1", "Text4", "Text1"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(owner(), QStringLiteral("Text4"));
}

QTEST_MAIN(tst_QtForms)
#include "tst_qtforms.moc"
