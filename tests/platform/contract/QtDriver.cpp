// SPDX-License-Identifier: MIT
// The contract's driver on Qt: events as Qt on X11 delivers them, sent to the real widgets.
#include "Driver.h"
#include "platform/qt/ComboBox.h"
#include "platform/qt/FormWindow.h"
#include "platform/qt/Picture.h"
#include "platform/qt/Runtime.h"
#include "platform/qt/TextBox.h"

#include <QAccessible>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace contract {
namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QLineEdit& edit(platform::TextBox& box) {
    return static_cast<platform::qt::TextBox&>(box);
}

// A key as Qt on X11 reports it: control keys carry their control character as text.
void sendKey(QWidget* widget, Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers,
             bool repeat) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text, repeat);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text, repeat);
    QApplication::sendEvent(widget, &release);
}

void sendKey(QWidget* widget, Key key, bool repeat) {
    struct Stroke {
        Qt::Key key;
        const char* text;
        Qt::KeyboardModifiers modifiers = {};
    };
    static constexpr Stroke strokes[] = {{Qt::Key_7, "7"},
                                         {Qt::Key_X, "x"},
                                         {Qt::Key_Backspace, "\b"},
                                         {Qt::Key_H, "\b", Qt::ControlModifier},
                                         {Qt::Key_V, "\x16", Qt::ControlModifier},
                                         {Qt::Key_Delete, "\x7f"},
                                         {Qt::Key_Home, ""},
                                         {Qt::Key_Left, ""},
                                         {Qt::Key_Tab, "\t"},
                                         {Qt::Key_F2, ""},
                                         {Qt::Key_Return, "\r"}};
    const Stroke& stroke = strokes[static_cast<int>(key)];
    sendKey(widget, stroke.key, QString::fromLatin1(stroke.text), stroke.modifiers, repeat);
}

// Answers each message box a moment after it shows, having run the first one's action in it.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(std::function<void()> whileShowing)
        : m_whileShowing(std::move(whileShowing)) {
        qApp->installEventFilter(this);
    }
    std::vector<std::string> answered;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (auto* box = qobject_cast<QMessageBox*>(watched); box && event->type() == QEvent::Show)
            QTimer::singleShot(0, box, [this, box] { answer(box); });
        return false;
    }

private:
    void answer(QMessageBox* box) {
        if (!box->isVisible() || QApplication::activeModalWidget() != box)
            return; // answered already
        if (auto action = std::exchange(m_whileShowing, {})) {
            action();
            QTimer::singleShot(10, box, [this, box] { answer(box); });
            return;
        }
        answered.push_back(box->text().toStdString());
        box->button(QMessageBox::Ok)->click();
    }
    std::function<void()> m_whileShowing;
};

class QtDriver : public Driver {
public:
    platform::Runtime& runtime() override { return m_runtime; }

    void settle() override {
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    void later(std::function<void()> action, int milliseconds) override {
        QTimer::singleShot(milliseconds, qApp, std::move(action));
    }

    bool has(Route route) const override {
        return route == Route::Paste || route == Route::PasteByKey || route == Route::InputMethod ||
               route == Route::OutsideBmp || route == Route::ScreenReaderSet ||
               route == Route::ScreenReaderInsert;
    }

    void enter(platform::TextBox& box, Route route, std::string_view text) override {
        QLineEdit& line = edit(box);
        if (route == Route::Paste) {
            QGuiApplication::clipboard()->setText(qs(text));
            line.paste(); // what the context menu's Paste does
        } else if (route == Route::PasteByKey) {
            QGuiApplication::clipboard()->setText(qs(text));
            QTest::keyClick(&line, Qt::Key_Insert, Qt::ShiftModifier);
        } else if (route == Route::InputMethod) {
            QInputMethodEvent commit;
            commit.setCommitString(qs(text));
            QApplication::sendEvent(&line, &commit);
        } else if (route == Route::OutsideBmp) {
            sendKey(&line, Qt::Key_unknown, qs(text), {}, false);
        } else {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&line);
            if (route == Route::ScreenReaderSet)
                face->setText(QAccessible::Value, qs(text));
            else
                face->editableTextInterface()->insertText(line.cursorPosition(), qs(text));
        }
    }

    void press(platform::TextBox& box, Key key, bool repeat) override {
        sendKey(&edit(box), key, repeat);
    }

    void select(platform::TextBox& box, std::size_t from, std::size_t length) override {
        edit(box).setSelection(int(from), int(length));
    }

    bool hasFocus(platform::TextBox& box) override {
        return QTest::qWaitFor([&] { return edit(box).hasFocus(); }, 5000);
    }

    bool hasRedo() const override { return true; }
    void undo(platform::TextBox& box) override { contextCommand(box, "&Undo"); }
    void redo(platform::TextBox& box) override { contextCommand(box, "&Redo"); }

    bool takesDrops() const override { return true; }

    DropAction drop(platform::TextBox& box, std::string_view text, bool moveOnly) override {
        QLineEdit& line = edit(box);
        QMimeData data;
        data.setText(qs(text));
        const Qt::DropActions offered = moveOnly ? Qt::MoveAction : Qt::CopyAction | Qt::MoveAction;
        const QPoint end(line.width() - 4, line.height() / 2);
        // Shift asks for a move, where the source offers one.
        QDragEnterEvent enter(end, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(&line, &enter);
        QDropEvent drop(QPointF(end), offered, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(&line, &drop);
        if (!drop.isAccepted())
            return DropAction::None;
        return drop.dropAction() == Qt::MoveAction   ? DropAction::Move
               : drop.dropAction() == Qt::CopyAction ? DropAction::Copy
                                                     : DropAction::None;
    }

    void pickNext(platform::ComboBox& combo) override {
        auto& box = static_cast<platform::qt::ComboBox&>(combo);
        box.setFocus();
        QTest::keyClick(&box, Qt::Key_Down);
    }

    void typeInto(platform::ComboBox& combo, std::string_view text) override {
        QLineEdit* field = static_cast<platform::qt::ComboBox&>(combo).lineEdit();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, qs(text));
        QTest::keyClick(field, Qt::Key_Return);
        field->clearFocus();
    }

    Point mouse(platform::Window&, platform::Picture& picture, const design::Placement&, Point from,
                Point to, std::optional<Point> via) override {
        auto& widget = static_cast<platform::qt::Picture&>(picture);
        QTest::mousePress(&widget, Qt::LeftButton, {}, QPoint(from.x, from.y));
        if (via)
            QTest::mouseMove(&widget, QPoint(via->x, via->y));
        QTest::mouseRelease(&widget, Qt::LeftButton, {}, QPoint(to.x, to.y));
        const QPoint global = widget.mapToGlobal(QPoint(from.x, from.y));
        return {global.x(), global.y()};
    }

    void screenReaderPress(platform::Window&, platform::Picture& picture) override {
        pressAction(&static_cast<platform::qt::Picture&>(picture));
    }

    std::function<void()> holdPressAction(platform::Window& window) override {
        QPointer<QWidget> held(&static_cast<platform::qt::FormWindow&>(window));
        return [held] {
            if (held)
                pressAction(held);
        };
    }

    void command(platform::Window& window, CommandKey how) override {
        auto& widget = static_cast<platform::qt::FormWindow&>(window);
        static constexpr const char* sequences[] = {"Alt+F4", "", "F1", "Escape"};
        if (how == CommandKey::Close)
            widget.close();
        else
            QTest::keySequence(
                &widget, QKeySequence::fromString(QLatin1String(sequences[static_cast<int>(how)])));
    }

    void answerBoxes(std::function<void()> whileShowing) override {
        m_answerer.emplace(std::move(whileShowing));
    }

    std::vector<std::string> answeredBoxes() const override {
        return m_answerer ? m_answerer->answered : std::vector<std::string>{};
    }

    std::optional<std::string> showingBox() const override {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            return box->text().toStdString();
        return std::nullopt;
    }

    void pressInBox(Key key, bool repeat) override {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        for (QWidget* target : std::initializer_list<QWidget*>{box, box->button(QMessageBox::Ok)})
            sendKey(target, key, repeat);
    }

private:
    static void pressAction(QWidget* widget) {
        QAccessible::queryAccessibleInterface(widget)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
    }

    // The box's context menu, opened as the keyboard's menu key opens it.
    static void contextCommand(platform::TextBox& box, const char* command) {
        QLineEdit& line = edit(box);
        QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(5, 5),
                               line.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&line, &open);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (QAction* action : menu->actions())
            if (action->text() == QLatin1String(command))
                action->trigger();
        menu->close();
    }

    platform::qt::Runtime m_runtime{"contract_tests"};
    std::optional<BoxAnswerer> m_answerer; // goes before the runtime's application
};

} // namespace

std::unique_ptr<Driver> makeDriver() {
    return std::make_unique<QtDriver>();
}

} // namespace contract
