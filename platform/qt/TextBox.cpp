// SPDX-License-Identifier: MIT
#include "platform/qt/TextBox.h"

#include "platform/qt/FormWindow.h"
#include "platform/qt/Text.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QValidator>
#include <algorithm>
#include <limits>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform::qt {

namespace {

// Qt on X11 reports the Delete key with this text; it is an editing key, not a typed character.
constexpr QChar deleteKeyText(0x7f);

bool typesCharacter(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return false; // moves the focus
    return !key.text().isEmpty() && key.text() != QString(deleteKeyText);
}

// Tens of MB freed after a huge paste stay with the allocator, which keeps them for the next
// allocation that never comes; they go back to the system.
void returnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// A copy is all a drag is offered; a source that allows only a move is offered nothing.
void offerCopy(QDragMoveEvent& event) {
    if (!(event.possibleActions() & Qt::CopyAction))
        event.ignore();
    else if (event.isAccepted())
        event.setDropAction(Qt::CopyAction);
}

QColor toColour(design::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

} // namespace

class TextBox::Catcher : public QValidator {
public:
    explicit Catcher(TextBox& box)
        : QValidator(&box)
        , m_box(box) {}
    State validate(QString& input, int&) const override {
        return m_box.admits(input) ? Acceptable : Invalid;
    }

private:
    TextBox& m_box;
};

TextBox::TextBox(const TextBoxProperties& properties, FormWindow& window)
    : QLineEdit(&window)
    , m_window(window) {
    setAccessibleName(toQString(properties.accessibleName));
    setToolTip(toQString(properties.tip));
    setAccessibleDescription(toQString(properties.tip));
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter); // the font is the window's
    QPalette colours = palette();
    colours.setColor(QPalette::Text, toColour(design::textBoxColour));
    setPalette(colours);
    // Qt 6.4 keeps a read-only QLineEdit in the focus chain with its text selectable; only its
    // editing is refused.
    setReadOnly(properties.readOnly);
    // One past the limit: Qt cuts a huge paste cheaply (and keeps no undo step a character), and
    // whatever does not fit still reaches onInsert as a text that is too long.
    setMaxLength(properties.maxLength > 0 && properties.maxLength < std::numeric_limits<int>::max()
                     ? static_cast<int>(properties.maxLength + 1)
                     : std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, [this] { m_window.deliver(onChange); });
    if (properties.readOnly)
        return;
    // An input method's commit reports the new cursor before the validator sees the new text,
    // so the text is taken only once it has been judged.
    const auto rememberText = [this] {
        m_before = QLineEdit::text();
        rememberPlace();
    };
    rememberText();
    connect(this, &QLineEdit::textChanged, this, rememberText);
    connect(this, &QLineEdit::cursorPositionChanged, this, &TextBox::rememberPlace);
    connect(this, &QLineEdit::selectionChanged, this, &TextBox::rememberPlace);
    setValidator(new Catcher(*this)); // the box owns it
}

std::string TextBox::text() const {
    return toStd(QLineEdit::text());
}

void TextBox::setText(std::string_view text) {
    m_applying = true;
    QLineEdit::setText(toQString(text));
    m_applying = false;
}

std::size_t TextBox::length() const {
    return static_cast<std::size_t>(QLineEdit::text().size());
}

std::size_t TextBox::selectedLength() const {
    return static_cast<std::size_t>(selectionLength());
}

void TextBox::insert(std::string_view text) {
    m_applying = true;
    endUndoStep();
    QLineEdit::insert(toQString(text));
    endUndoStep();
    m_applying = false;
}

// Qt's edit makes one undo step of insertions in a row, where a paste is one of its own, as the
// handler's insertion is; a move of the cursor ends a step. A screen reader hears nothing of the
// move away and back.
void TextBox::endUndoStep() {
    if (hasSelectedText() || QLineEdit::text().isEmpty())
        return; // replacing a selection starts a step anyway
    const auto told = QAccessible::installUpdateHandler([](QAccessibleEvent*) {});
    const int at = cursorPosition();
    setCursorPosition(at > 0 ? at - 1 : at + 1);
    setCursorPosition(at);
    QAccessible::installUpdateHandler(told);
}

// Undo and redo bring back texts the box held: changes, never insertions to judge.
void TextBox::restore(void (QLineEdit::*step)()) {
    m_applying = true;
    (this->*step)();
    m_applying = false;
}

void TextBox::setTip(std::string_view tip) {
    // The description carries the tip to a screen reader; Qt announces its change.
    setToolTip(toQString(tip));
    setAccessibleDescription(toQString(tip));
}

void TextBox::setMarked(bool marked) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, marked ? toColour(design::invalidInputBase)
                                            : QApplication::palette(this).color(QPalette::Base));
    setPalette(colours);
}

void TextBox::rememberPlace() {
    const bool selected = hasSelectedText();
    m_replacedFrom = selected ? selectionStart() : cursorPosition();
    m_replacedTo = selected ? selectionEnd() : cursorPosition();
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    // Several characters in one key event (a compose sequence) are judged as an insertion.
    if (!onKeyPress || isReadOnly() || !typesCharacter(*event) || event->text().size() != 1) {
        if (onInsert && !isReadOnly() && event->matches(QKeySequence::Paste))
            return pasteFrom(QClipboard::Clipboard); // Shift+Insert, which types nothing
        if (!isReadOnly() && event->matches(QKeySequence::Undo))
            return restore(&QLineEdit::undo);
        if (!isReadOnly() && event->matches(QKeySequence::Redo))
            return restore(&QLineEdit::redo);
        return QLineEdit::keyPressEvent(event);
    }
    KeyPress key{event->text().front().unicode(), event->isAutoRepeat()};
    m_window.deliver(onKeyPress, key);
    if (key.code == 0)
        return event->accept(); // dropped, and with it any editing command it stood for
    m_applying = true;
    // Qt takes only the Backspace key for one; Ctrl+H types the same character and would delete
    // nothing.
    if (key.code == KeyPress::backspace && event->key() != Qt::Key_Backspace)
        backspace();
    else if (key.code == event->text().front().unicode())
        QLineEdit::keyPressEvent(event);
    else
        QLineEdit::insert(QString(QChar(key.code)));
    m_applying = false;
}

// Where the handler judges typed characters, the menu does not list the shortcuts: Ctrl+V and the
// like type characters the handler may refuse. The commands themselves are there.
void TextBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Qt 6.4 connects the menu's commands to the box's slots by name.
    for (QAction* action : menu->actions()) {
        if (onInsert && disconnect(action, SIGNAL(triggered()), this, SLOT(paste())))
            connect(action, &QAction::triggered, this,
                    [this] { pasteFrom(QClipboard::Clipboard); });
        if (disconnect(action, SIGNAL(triggered()), this, SLOT(undo())))
            connect(action, &QAction::triggered, this, [this] { restore(&QLineEdit::undo); });
        if (disconnect(action, SIGNAL(triggered()), this, SLOT(redo())))
            connect(action, &QAction::triggered, this, [this] { restore(&QLineEdit::redo); });
    }
    if (onKeyPress) {
        for (QAction* action : menu->actions()) {
            action->setShortcut({});
            action->setText(action->text().section(QLatin1Char('\t'), 0, 0));
        }
    }
    menu->popup(event->globalPos());
}

std::pair<qsizetype, qsizetype> TextBox::unchangedEnds(const QString& changed) const {
    // Typing, pasting, dropping and an input method all put their text in place of the selection,
    // or at the cursor.
    qsizetype head = m_replacedFrom;
    qsizetype tail = m_before.size() - m_replacedTo;
    const bool inPlace = head >= 0 && tail >= 0 && head + tail <= changed.size() &&
                         QStringView(changed).left(head) == QStringView(m_before).left(head) &&
                         QStringView(changed).right(tail) == QStringView(m_before).right(tail);
    if (inPlace)
        return {head, tail};
    // Some other edit (a move within the edit): take what lies between the parts the two texts
    // share.
    const qsizetype shared = std::min(changed.size(), m_before.size());
    head = 0;
    while (head < shared && changed[head] == m_before[head])
        ++head;
    tail = 0;
    while (tail < shared - head &&
           changed[changed.size() - 1 - tail] == m_before[m_before.size() - 1 - tail])
        ++tail;
    return {head, tail};
}

bool TextBox::admits(const QString& changed) {
    // Qt also validates the text as it stands (when the box loses the focus): no insertion.
    if (m_applying || !onInsert || changed == m_before)
        return true;
    const auto [head, tail] = unchangedEnds(changed);
    const qsizetype insertedLength = changed.size() - head - tail;
    if (insertedLength <= 0)
        return true; // a deletion
    // Refused whole, which leaves the edit as it was, undo history included. The handler then
    // gets the text with what it would replace selected, and puts in what it keeps as an edit of
    // its own, which the history records.
    offer(m_before, static_cast<int>(head), static_cast<int>(m_before.size() - head - tail),
          changed.sliced(head, insertedLength));
    return false;
}

void TextBox::offer(const QString& before, int from, int replaced, const QString& inserted) {
    // Should the text have changed meanwhile (two pastes in one burst of events), the later
    // insertion goes where the earlier one left the cursor.
    QMetaObject::invokeMethod(
        this,
        [this, before, from, replaced, inserted] {
            if (!m_window.isLive())
                return;
            if (QLineEdit::text() == before && replaced > 0)
                setSelection(from, replaced);
            else if (QLineEdit::text() == before)
                setCursorPosition(from);
            m_window.deliver(onInsert, toStd(inserted));
            // A text cut to the limit came from a far longer one, whose copies are freed by now.
            if (inserted.size() >= maxLength())
                returnFreedMemory();
        },
        Qt::QueuedConnection);
}

// Nothing longer than the box's limit can be taken, so a huge clipboard is cut, once, here.
void TextBox::pasteFrom(QClipboard::Mode mode) {
    const QString text = QGuiApplication::clipboard()->text(mode).left(maxLength());
    if (text.isEmpty())
        return;
    const bool selected = hasSelectedText();
    offer(QLineEdit::text(), selected ? selectionStart() : cursorPosition(), selectionLength(),
          text);
}

void TextBox::replaceFromOutside(int from, int to, const QString& text) {
    if (!onInsert || isReadOnly()) {
        setSelection(from, to - from);
        return QLineEdit::insert(text);
    }
    offer(QLineEdit::text(), from, to - from, text.left(maxLength()));
}

// A drop is a copy, never a move, whatever the source proposes, and one the handler refuses whole
// is refused to the source: either way the source keeps its text. The source waits for the answer,
// so the handler judges the text at once, and a message box it asks for waits until that is over.
void TextBox::dragEnterEvent(QDragEnterEvent* event) {
    QLineEdit::dragEnterEvent(event);
    offerCopy(*event);
}

void TextBox::dragMoveEvent(QDragMoveEvent* event) {
    QLineEdit::dragMoveEvent(event);
    offerCopy(*event);
}

void TextBox::dropEvent(QDropEvent* event) {
    if (isReadOnly() || !event->mimeData()->hasText() ||
        !(event->possibleActions() & Qt::CopyAction))
        return event->ignore();
    if (!onInsert) {
        QLineEdit::dropEvent(event);
        return event->setDropAction(Qt::CopyAction);
    }
    const QString before = QLineEdit::text();
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    {
        const auto answering = m_window.runtime().answering();
        m_window.deliver(onInsert, toStd(event->mimeData()->text().left(maxLength())));
    }
    if (QLineEdit::text() == before)
        return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

// X11's middle-button paste of the selection.
void TextBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::MiddleButton || !onInsert || isReadOnly() ||
        !QGuiApplication::clipboard()->supportsSelection() || !rect().contains(event->pos()))
        return QLineEdit::mouseReleaseEvent(event);
    deselect();
    pasteFrom(QClipboard::Selection);
}

} // namespace platform::qt
