// SPDX-License-Identifier: MIT
#include "platform/qt/Accessibility.h"

#include "platform/qt/ComboBox.h"
#include "platform/qt/FormWindow.h"
#include "platform/qt/Picture.h"
#include "platform/qt/TextBox.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <utility>
#include <vector>

namespace platform::qt {

namespace {

// A screen reader waits for the answer to its call: a message box that the program asks for
// meanwhile waits until the call is over.
template <class Call> void answer(const QWidget& widget, Call&& call) {
    auto* form = qobject_cast<FormWindow*>(widget.window());
    if (!form)
        return std::forward<Call>(call)();
    const auto answering = form->runtime().answering();
    std::forward<Call>(call)();
}

class PictureAccessible : public QAccessibleWidget {
public:
    explicit PictureAccessible(Picture* picture)
        : QAccessibleWidget(picture,
                            picture->isButton() ? QAccessible::PushButton : QAccessible::Graphic) {}

    QStringList actionNames() const override {
        return picture()->isButton() ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction())
            answer(*picture(), [this] { picture()->press(); });
    }
    // Only the part that shows: the banners overhang the window.
    QRect rect() const override {
        const QWidget* window = picture()->window();
        const QRect place = picture()->geometry();
        const Rect shown = visiblePart({place.x(), place.y(), place.width(), place.height()},
                                       window->width(), window->height());
        return QRect(window->mapToGlobal(QPoint(shown.left, shown.top)),
                     QSize(shown.width, shown.height));
    }

private:
    Picture* picture() const { return static_cast<Picture*>(widget()); }
};

// The combo box, its list and its text field, named by its accessible name.
class NamedComboAccessible : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return combo()->currentText();
        return QAccessibleWidget::text(kind);
    }
    int childCount() const override { return combo()->lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->lineEdit())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child && child->object() == combo()->view())
            return 0;
        if (child && combo()->lineEdit() && child->object() == combo()->lineEdit())
            return 1;
        return -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& actionName) override {
        if (actionName != showMenuAction() && actionName != pressAction())
            return;
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

// An entry of a combo box's list, which a screen reader picks with its press action as a click
// picks it. Qt's own list entries offer only a toggle of the list's selection, which picks
// nothing. Made and owned by the list's interface through Qt's accessibility cache.
class ComboEntryAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ComboEntryAccessible(ComboBox* combo, int row)
        : m_combo(combo)
        , m_row(row) {}

    bool isValid() const override { return m_combo && m_row < m_combo->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_combo->view()->window()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_combo->view());
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? m_combo->itemText(m_row) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QAbstractItemView* view = m_combo->view();
        const QRect place = view->visualRect(view->model()->index(m_row, m_combo->modelColumn()));
        return QRect(view->viewport()->mapToGlobal(place.topLeft()), place.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.selected = m_row == m_combo->currentIndex();
        state.invisible = !m_combo->view()->isVisible();
        state.offscreen = state.invisible;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    // QAccessibleActionInterface
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction() && isValid())
            answer(*m_combo, [this] { m_combo->pick(m_row); });
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<ComboBox> m_combo;
    int m_row;
};

// A combo box's list, whose entries are ComboEntryAccessible.
class ComboListAccessible : public QAccessibleWidget {
public:
    ComboListAccessible(QAbstractItemView* view, ComboBox* combo)
        : QAccessibleWidget(view, QAccessible::List)
        , m_combo(combo) {}
    ~ComboListAccessible() override {
        for (QAccessible::Id id : m_entries)
            QAccessible::deleteAccessibleInterface(id);
    }
    ComboListAccessible(const ComboListAccessible&) = delete;
    ComboListAccessible& operator=(const ComboListAccessible&) = delete;

    int childCount() const override { return m_combo ? m_combo->count() : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        while (static_cast<int>(m_entries.size()) <= index) {
            const int row = static_cast<int>(m_entries.size());
            m_entries.push_back(QAccessible::registerAccessibleInterface(
                new ComboEntryAccessible(m_combo, row))); // owned by Qt's cache
        }
        return QAccessible::accessibleInterface(m_entries[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto found =
            std::find(m_entries.begin(), m_entries.end(),
                      QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child)));
        return found == m_entries.end() ? -1 : static_cast<int>(found - m_entries.begin());
    }

private:
    QPointer<ComboBox> m_combo;
    mutable std::vector<QAccessible::Id> m_entries; // made when first asked for
};

// A frameless window; one that the user may dismiss with a click offers that as its press action,
// since a screen reader cannot click it and may not know its shortcut.
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(FormWindow* window)
        : QAccessibleWidget(window, QAccessible::Window) {}

    QStringList actionNames() const override {
        return formWindow()->isPressable() ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction())
            answer(*formWindow(), [this] { formWindow()->press(); });
    }

private:
    FormWindow* formWindow() const { return static_cast<FormWindow*>(widget()); }
};

// A single-line text box. Qt 6.4's own interface for QLineEdit reports a read-only box as
// editable too and offers it the editable-text interface, so screen readers announce the output
// boxes as fields to type into. This one reports either state, offers editing only where the user
// may edit, and names a combo box's text field after its combo box. Edits made through it go
// through the box's validator, like a paste.
class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit TextBoxAccessible(QLineEdit* box)
        : QAccessibleWidget(box, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface && !box()->isReadOnly())
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = box()->isReadOnly();
        state.editable = !state.readOnly;
        state.selectableText = true;
        state.selected = box()->hasSelectedText();
        state.hasPopup = box()->contextMenuPolicy() != Qt::NoContextMenu &&
                         box()->contextMenuPolicy() != Qt::PreventContextMenu;
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return box()->text();
        if (kind == QAccessible::Name && box()->accessibleName().isEmpty()) {
            auto* combo = qobject_cast<QComboBox*>(box()->parentWidget());
            if (combo && combo->lineEdit() == box())
                return combo->accessibleName();
        }
        return QAccessibleWidget::text(kind);
    }
    void setText(QAccessible::Text kind, const QString& text) override {
        if (kind == QAccessible::Value)
            replaceText(0, characterCount(), text);
        else
            QAccessibleWidget::setText(kind, text);
    }

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && box()->hasSelectedText()) {
            *startOffset = box()->selectionStart();
            *endOffset = box()->selectionEnd();
        }
    }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0)
            box()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex == 0)
            box()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override {
        if (startOffset > endOffset)
            return {};
        return box()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(box()->text().size()); }
    // The box does not say where it drew a character; this assumes the text drawn from the
    // start of the contents, as it is unless a long text has been scrolled.
    QRect characterRect(int offset) const override {
        const QString text = box()->text();
        if (offset < 0 || offset >= text.size())
            return {};
        QStyleOptionFrame option;
        option.initFrom(box());
        const QRect contents = box()
                                   ->style()
                                   ->subElementRect(QStyle::SE_LineEditContents, &option, box())
                                   .marginsRemoved(box()->textMargins());
        const QFontMetrics metrics(box()->font());
        const int left = contents.left() + 2 + metrics.horizontalAdvance(text.left(offset));
        const int top = contents.top() + (contents.height() - metrics.height()) / 2;
        const QRect local(left, top, metrics.horizontalAdvance(text.at(offset)), metrics.height());
        return QRect(box()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = box()->mapFromGlobal(point);
        return box()->rect().contains(local) ? box()->cursorPositionAt(local) : -1;
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        box()->setCursorPosition(endIndex);
        box()->setCursorPosition(startIndex);
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        Q_UNUSED(offset);
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    // QAccessibleEditableTextInterface, offered only while the box is not read-only.
    void deleteText(int startOffset, int endOffset) override {
        replaceText(startOffset, endOffset, QString());
    }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        if (box()->isReadOnly() || startOffset < 0 || endOffset < startOffset ||
            endOffset > characterCount())
            return;
        if (auto* ours = qobject_cast<TextBox*>(box())) // judged as a paste
            return answer(*ours, [&] { ours->replaceFromOutside(startOffset, endOffset, text); });
        box()->setSelection(startOffset, endOffset - startOffset);
        box()->insert(text);
    }

private:
    QLineEdit* box() const { return static_cast<QLineEdit*>(widget()); }
};

// Asked once for each class of the object's hierarchy, most derived first: the first answer for
// an object decides. Interfaces made here are owned by Qt's accessibility cache.
QAccessibleInterface* accessibleFactory(const QString&, QObject* object) {
    if (auto* picture = qobject_cast<Picture*>(object))
        return new PictureAccessible(picture);
    if (auto* window = qobject_cast<FormWindow*>(object))
        return new WindowAccessible(window);
    if (auto* view = qobject_cast<QAbstractItemView*>(object)) {
        for (QWidget* above = view->parentWidget(); above; above = above->parentWidget())
            if (auto* combo = qobject_cast<ComboBox*>(above); combo && combo->view() == view)
                return new ComboListAccessible(view, combo);
    }
    if (auto* combo = qobject_cast<QComboBox*>(object); combo && !combo->accessibleName().isEmpty())
        return new NamedComboAccessible(combo);
    if (auto* box = qobject_cast<QLineEdit*>(object))
        return new TextBoxAccessible(box);
    return nullptr;
}

} // namespace

// Qt forgets the factories with its application object, and installs each one once.
void installAccessibility() {
    QAccessible::installFactory(&accessibleFactory);
}

} // namespace platform::qt
