// SPDX-License-Identifier: MIT
// The forms runtime on Qt: what each control does with Qt's own events (keys as X11 reports
// them, pastes, drops, input methods, a screen reader's edits, the mouse), and the program's
// windows as Qt shows them. What the program decides is tested once, on the fake runtime
// (tests/ui); here the handlers only record.
#include "ModalCloser.h"
#include "ProgramWindow.h"
#include "platform/qt/ComboBox.h"
#include "platform/qt/FormWindow.h"
#include "platform/qt/Picture.h"
#include "platform/qt/Runtime.h"
#include "platform/qt/TextBox.h"
#include "ui/Program.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <array>
#include <optional>
#include <stdexcept>

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

QTestEventList keys(std::initializer_list<X11Key> strokes) {
    QTestEventList list;
    for (const X11Key& stroke : strokes)
        list.append(stroke.clone()); // the list owns it
    return list;
}

constexpr design::Placement inputPlace{"Input", 150, 150, 1500, 405};
constexpr design::Placement comboPlace{"Combo", 1800, 150, 1455, 390};
constexpr design::Placement picturePlace{"Picture", 150, 900, 60, 45}; // 4 x 3 px
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

    void typedKeys_data();
    void typedKeys();
    void insertions_data();
    void insertions();
    void burstOfPastesLosesNothing();
    void undoAndRedo_data();
    void undoAndRedo();
    void dropsAreCopies_data();
    void dropsAreCopies();
    void contextMenuListsNoShortcutHints();
    void boxesTakeLongTextsAndOutputsRefuseEdits();
    void tipAndMark();
    void typedEntryIsNotAPick_data();
    void typedEntryIsNotAPick();
    void pickShowsTheEntry_data();
    void pickShowsTheEntry();

    void pictureClicks_data();
    void pictureClicks();
    void commands_data();
    void commands();
    void oversizedWindowStaysOnTheScreen();
    void unloadFromItsOwnHandler();
    void messageBoxIsRealAndIgnoresAHeldKey();
    void messageBoxesNeverNest_data();
    void messageBoxesNeverNest();
    void aFaultEndsTheLoop();

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
        std::string digits;
        for (char c : text)
            if (c >= '0' && c <= '9')
                digits += c;
        box.insert(digits);
    };
    box.onChange = [this] {
        ++m_seen.changes;
    };
    window.show();
    return box;
}

void tst_QtForms::typedKeys_data() {
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QList<int>>("codes"); // what the handler saw
    QTest::addColumn<QString>("after");    // the box held "56", the cursor at the end

    const QList<int> none;
    QTest::newRow("a digit") << keys({{Qt::Key_7, "7"}}) << QList<int>{'7'} << "567";
    QTest::newRow("refused: dropped") << keys({{Qt::Key_X, "x"}}) << QList<int>{'x'} << "56";
    QTest::newRow("Ctrl+V refused: nothing pasted")
        << keys({{Qt::Key_V, "\x16", Qt::ControlModifier}}) << QList<int>{0x16} << "56";
    QTest::newRow("backspace is a character")
        << keys({{Qt::Key_Backspace, "\b"}}) << QList<int>{8} << "5";
    QTest::newRow("Ctrl+H is a backspace too")
        << keys({{Qt::Key_H, "\b", Qt::ControlModifier}}) << QList<int>{8} << "5";
    QTest::newRow("Delete, though X11 gives it a character, is an editing key")
        << keys({{Qt::Key_Home, ""}, {Qt::Key_Delete, "\x7f"}}) << none << "6";
    QTest::newRow("arrows move the cursor")
        << keys({{Qt::Key_Left, ""}, {Qt::Key_4, "4"}}) << QList<int>{'4'} << "546";
    QTest::newRow("Tab moves the focus") << keys({{Qt::Key_Tab, "\t"}}) << none << "56";
    QTest::newRow("function key") << keys({{Qt::Key_F2, ""}}) << none << "56";
    QTest::newRow("auto-repeat is told")
        << keys({{Qt::Key_8, "8"}, {Qt::Key_8, "8", {}, true}}) << QList<int>{'8', -'8'} << "5688";
}

void tst_QtForms::typedKeys() {
    QFETCH(QTestEventList, keys);
    QFETCH(QList<int>, codes);
    QFETCH(QString, after);
    auto& input = makeInput(makeWindow());
    input.setText("56");
    QGuiApplication::clipboard()->setText(QStringLiteral("99"));
    m_seen = {};
    keys.simulate(&input);
    QCOMPARE(m_seen.codes, codes);
    QCOMPARE(input.QLineEdit::text(), after);
    QVERIFY(m_seen.inserted.isEmpty());
}

void tst_QtForms::insertions_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("handed");   // to onInsert; empty when it is not called
    QTest::addColumn<int>("replacedFrom"); // the selection onInsert finds
    QTest::addColumn<int>("replaced");
    QTest::addColumn<QString>("after"); // the box held "56", the cursor after the 5

    QTest::newRow("paste") << "paste"
                           << "1a2"
                           << "1a2" << 1 << 0 << "5126";
    QTest::newRow("paste over all") << "paste over all"
                                    << "x3"
                                    << "x3" << 0 << 2 << "3";
    QTest::newRow("paste of a lone backspace") << "paste"
                                               << "\b"
                                               << "\b" << 1 << 0 << "56";
    QTest::newRow("Shift+Insert") << "Shift+Insert"
                                  << "a9"
                                  << "a9" << 1 << 0 << "596";
    QTest::newRow("input method commit") << "commit"
                                         << "\b3"
                                         << "\b3" << 1 << 0 << "536";
    QTest::newRow("compose: two characters in a key event") << "compose"
                                                            << "e1"
                                                            << "e1" << 1 << 0 << "516";
    QTest::newRow("screen reader's insertion") << "screen reader"
                                               << "7z"
                                               << "7z" << 1 << 0 << "576";
    QTest::newRow("screen reader's set") << "screen reader set"
                                         << "7z"
                                         << "7z" << 0 << 2 << "7";
    QTest::newRow("screen reader's set to nothing") << "screen reader set"
                                                    << ""
                                                    << "" << 0 << 2 << "";
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

void tst_QtForms::undoAndRedo_data() {
    QTest::addColumn<QStringList>("steps"); // typed text, or a command of the context menu
    QTest::newRow("a backspace undone") << QStringList{"123", "\b", "&Undo"};
    QTest::newRow("typing undone and redone") << QStringList{"123", "&Undo", "&Redo"};
    QTest::newRow("a paste is a step of its own")
        << QStringList{"12", "&Paste", "&Undo", "&Undo", "&Redo", "&Redo"};
}

// Undo and redo bring back the box's own texts, step by step as a plain edit does after the same
// accepted edits: changes, never insertions.
void tst_QtForms::undoAndRedo() {
    QFETCH(QStringList, steps);
    auto& input = makeInput(makeWindow());
    QLineEdit plain;
    QGuiApplication::clipboard()->setText(QStringLiteral("34"));
    for (const QString& step : steps) {
        if (!step.startsWith(u'&')) {
            QTest::keyClicks(&input, step);
            QTest::keyClicks(&plain, step);
        } else {
            QMenu* menu = contextMenu(input);
            QVERIFY(menu);
            for (QAction* action : menu->actions())
                if (action->text() == step)
                    action->trigger();
            menu->close();
            const char* slot = step == "&Undo" ? "undo" : step == "&Redo" ? "redo" : "paste";
            QMetaObject::invokeMethod(&plain, slot);
        }
        QCoreApplication::processEvents(); // where a paste reaches the handler
        QCOMPARE(input.QLineEdit::text(), plain.text());
    }
    QCOMPARE(m_seen.inserted, QStringList(steps.count("&Paste"), QStringLiteral("34")));
}

void tst_QtForms::dropsAreCopies_data() {
    QTest::addColumn<Qt::DropActions>("offered");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");    // as a copy; else refused to the source
    QTest::addColumn<QString>("after"); // the box held "56"
    const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;
    QTest::newRow("a move asked for, taken") << copyOrMove << "4b" << true << "564";
    QTest::newRow("a move asked for, refused whole") << copyOrMove << "ab" << false << "56";
    QTest::newRow("only a move offered") << Qt::DropActions(Qt::MoveAction) << "4" << false << "56";
}

// A drop is judged at once and is a copy, or refused: the source keeps its text either way.
void tst_QtForms::dropsAreCopies() {
    QFETCH(Qt::DropActions, offered);
    QFETCH(QString, text);
    QFETCH(bool, taken);
    QFETCH(QString, after);
    auto& input = makeInput(makeWindow());
    input.setText("56");
    QMimeData data;
    data.setText(text);
    const QPoint end(input.width() - 4, input.height() / 2);
    // Shift asks for a move, where the source offers one.
    QDragEnterEvent enter(end, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(&input, &enter);
    QCOMPARE(enter.isAccepted() && enter.dropAction() == Qt::CopyAction,
             offered.testFlag(Qt::CopyAction));
    QDropEvent drop(QPointF(end), offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(drop.proposedAction(), Qt::MoveAction);
    QApplication::sendEvent(&input, &drop);
    // What the source hears: only a move would have it delete its text.
    QCOMPARE(drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction,
             taken ? Qt::CopyAction : Qt::IgnoreAction);
    QCOMPARE(input.QLineEdit::text(), after);
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

void tst_QtForms::typedEntryIsNotAPick_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("an entry but for case") << "kelvin";
    QTest::newRow("an entry exactly") << "Kelvin";
    QTest::newRow("the start of an entry") << "K";
}

void tst_QtForms::typedEntryIsNotAPick() {
    QFETCH(QString, typed);
    FormWindow& window = makeWindow();
    auto& combo = static_cast<platform::qt::ComboBox&>(
        window.addComboBox({.place = comboPlace, .entries = entries, .text = "Celsius"}));
    auto& other = makeInput(window);
    int picks = 0;
    combo.onPick = [&picks] {
        ++picks;
    };
    QVERIFY(QTest::qWaitForWindowActive(&window));
    combo.lineEdit()->setFocus();
    combo.lineEdit()->selectAll();
    QTest::keyClicks(combo.lineEdit(), typed);
    QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
    other.setFocus(); // the field loses the focus
    QCOMPARE(QString::fromStdString(combo.text()), typed);
    QCOMPARE(combo.count(), 2);
    QCOMPARE(picks, 0);
}

void tst_QtForms::pickShowsTheEntry_data() {
    QTest::addColumn<bool>("screenReader"); // else the keyboard
    QTest::newRow("keyboard") << false;
    QTest::newRow("screen reader's press on an entry") << true;
}

void tst_QtForms::pickShowsTheEntry() {
    QFETCH(bool, screenReader);
    FormWindow& window = makeWindow();
    auto& combo = static_cast<platform::qt::ComboBox&>(window.addComboBox(
        {.place = comboPlace, .accessibleName = "Scale", .entries = entries, .text = "Celsius"}));
    QStringList seen;
    combo.onPick = [&] {
        seen << QString::fromStdString(combo.text());
    };
    window.show();
    combo.setFocus();
    if (screenReader) {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&combo)->child(0);
        QVERIFY(list && list->childCount() == 2);
        QAccessibleInterface* entry = list->child(1);
        QCOMPARE(entry->text(QAccessible::Name), QStringLiteral("Kelvin"));
        QCOMPARE(list->indexOfChild(entry), 1);
        QCOMPARE(entry->actionInterface()->actionNames(),
                 QStringList{QAccessibleActionInterface::pressAction()});
        entry->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    } else {
        QTest::keyClick(&combo, Qt::Key_Down);
    }
    QCOMPARE(seen, QStringList{"Kelvin"});
}

void tst_QtForms::pictureClicks_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<QPoint>("dragVia"); // none when null
    QTest::addColumn<int>("clicks");
    QTest::newRow("press and release inside") << Qt::LeftButton << QPoint(2, 1) << QPoint() << 1;
    QTest::newRow("released outside") << Qt::LeftButton << QPoint(30, 1) << QPoint() << 0;
    QTest::newRow("right button") << Qt::RightButton << QPoint(2, 1) << QPoint() << 0;
    QTest::newRow("a drag that comes back") << Qt::LeftButton << QPoint(2, 1) << QPoint(55, 1) << 0;
}

void tst_QtForms::pictureClicks() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, releaseAt);
    QFETCH(QPoint, dragVia);
    QFETCH(int, clicks);
    FormWindow& window = makeWindow();
    auto& picture = static_cast<platform::qt::Picture&>(window.addPicture(
        {.place = picturePlace, .picture = design::pictures::closeButton, .button = true}));
    QList<std::optional<platform::Click::Press>> seen;
    picture.onClick = [&seen](const platform::Click& click) {
        seen << click.press;
    };
    QTest::mousePress(&picture, button, {}, QPoint(1, 1));
    if (!dragVia.isNull())
        QTest::mouseMove(&picture, dragVia);
    QTest::mouseRelease(&picture, button, {}, releaseAt);
    QCOMPARE(seen.size(), clicks);
    if (clicks)
        QCOMPARE(seen.front()->x, picture.mapToGlobal(QPoint(1, 1)).x()); // and where
}

void tst_QtForms::commands_data() {
    QTest::addColumn<bool>("escapeDismisses");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<platform::Command>>("commands");
    using C = platform::Command;
    QTest::newRow("Alt+F4") << false << "Alt+F4" << QList<C>{C::Close};
    QTest::newRow("the window system's close") << false << "close" << QList<C>{C::Close};
    QTest::newRow("F1") << false << "F1" << QList<C>{C::Help};
    QTest::newRow("Escape, where it dismisses") << true << "Escape" << QList<C>{C::Dismiss};
    QTest::newRow("Escape, elsewhere a key") << false << "Escape" << QList<C>{};
}

// Commands reach the program, which decides; until it unloads the window, the window stays.
void tst_QtForms::commands() {
    QFETCH(bool, escapeDismisses);
    QFETCH(QString, how);
    QFETCH(QList<platform::Command>, commands);
    FormWindow& window = makeWindow(escapeDismisses);
    QList<platform::Command> seen;
    window.onCommand = [&seen](platform::Command command) {
        seen << command;
    };
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    if (how == QLatin1String("close"))
        window.close();
    else
        QTest::keySequence(&window, QKeySequence::fromString(how));
    QCOMPARE(seen, commands);
    QVERIFY(window.isVisible());
}

void tst_QtForms::oversizedWindowStaysOnTheScreen() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    FormWindow& window = makeWindow(false, area.width() + 300, area.height() - 100);
    window.show();
    QCOMPARE(window.pos(), QPoint(area.left(), area.top() + 50));
}

// A window unloaded by its own click handler leaves the screen at once and hears no more events,
// though Qt deletes it only once the handler has returned.
void tst_QtForms::unloadFromItsOwnHandler() {
    FormWindow& window = makeWindow();
    int clicks = 0;
    QPointer<FormWindow> watched(&window);
    window.onClick = [&](const platform::Click&) {
        ++clicks;
        m_runtime->unload(window);
    };
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(clicks, 1);
    QVERIFY(watched && !watched->isVisible());
    watched->press(); // a screen reader still holding it
    QCOMPARE(clicks, 1);
    QTRY_VERIFY(watched.isNull());
}

// A key held when its box comes up repeats into it; only a fresh press closes it. The focus then
// goes back where it was.
void tst_QtForms::messageBoxIsRealAndIgnoresAHeldKey() {
    FormWindow& window = makeWindow();
    auto& input = makeInput(window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    bool stayedOpen = false;
    QTimer::singleShot(0, this, [&stayedOpen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QWidget* target : std::initializer_list<QWidget*>{box, box->button(QMessageBox::Ok)})
            X11Key(Qt::Key_Return, QStringLiteral("\r"), {}, true).simulate(target);
        stayedOpen = box->isVisible();
        QCOMPARE(box->text(), QStringLiteral(" a text, <b>plain</b>"));
        QCOMPARE(box->windowTitle(), QStringLiteral("A title"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->buttons().size(), 1);
        box->button(QMessageBox::Ok)->click();
    });
    m_runtime->messageBox(window, " a text, <b>plain</b>", "A title");
    QVERIFY(stayedOpen);
    QVERIFY(!QApplication::activeModalWidget());
    QTRY_VERIFY(input.hasFocus());
}

void tst_QtForms::messageBoxesNeverNest_data() {
    QTest::addColumn<QString>("asker"); // what runs the handler that asks for a box
    QTest::addColumn<QString>("over");  // the box that shows as it goes on
    QTest::newRow("while a box shows") << "a box"
                                       << "outer";
    QTest::newRow("while a screen reader waits") << "a screen reader"
                                                 << "none";
    QTest::newRow("while a drop's source waits") << "a drop"
                                                 << "none";
}

// A box asked for while one shows, or while another program waits for the answer to its call,
// comes once that is over, and once however often it was asked for.
void tst_QtForms::messageBoxesNeverNest() {
    QFETCH(QString, asker);
    QFETCH(QString, over);
    FormWindow& window = makeWindow();
    auto& picture = static_cast<platform::qt::Picture&>(window.addPicture(
        {.place = picturePlace, .picture = design::pictures::closeButton, .button = true}));
    auto& input = static_cast<platform::qt::TextBox&>(window.addTextBox({.place = inputPlace}));
    QStringList showing;
    const auto ask = [&] {
        m_runtime->messageBox(window, "inner", "");
        m_runtime->messageBox(window, "inner", "");
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        showing << (box ? box->text() : QStringLiteral("none"));
    };
    picture.onClick = [&ask](const platform::Click&) {
        ask();
    };
    input.onInsert = [&ask](std::string_view) {
        ask();
    };
    window.show();
    const ModalCloser closer;
    if (asker == QLatin1String("a screen reader")) {
        QAccessible::queryAccessibleInterface(&picture)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
    } else if (asker == QLatin1String("a drop")) {
        QMimeData data;
        data.setText(QStringLiteral("1"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&input, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&input, &drop);
    } else {
        QTimer::singleShot(0, &picture, [&picture] { picture.press(); });
        m_runtime->messageBox(window, "outer", "");
    }
    QCOMPARE(showing, QStringList{over});
    const int boxes = over == QLatin1String("none") ? 1 : 2;
    QTRY_COMPARE(closer.count(), boxes);
    QCOMPARE(closer.seen().back().text, QStringLiteral("inner"));
    QTest::qWait(20);
    QCOMPARE(closer.count(), boxes);
}

// A fault that leaves a handler ends the loop at once, reaches no other handler, and comes out of
// run() rather than through Qt.
void tst_QtForms::aFaultEndsTheLoop() {
    FormWindow& window = makeWindow();
    auto& picture = static_cast<platform::qt::Picture&>(window.addPicture(
        {.place = picturePlace, .picture = design::pictures::closeButton, .button = true}));
    picture.onClick = [](const platform::Click&) {
        throw std::runtime_error("fault");
    };
    QList<platform::Command> heard;
    window.onCommand = [&heard](platform::Command command) {
        heard << command;
    };
    window.show();
    QTimer::singleShot(0, &picture, [&] {
        picture.press();
        window.close(); // the window system's close, a command
    });
    bool hung = false;
    QTimer::singleShot(5000, &window, [&hung] {
        hung = true;
        QCoreApplication::exit();
    });
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, m_runtime->run());
    QVERIFY(!hung);
    QVERIFY(heard.isEmpty());
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
