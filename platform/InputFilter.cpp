// SPDX-License-Identifier: MIT
#include "platform/InputFilter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>
#include <limits>

namespace platform {

namespace {

// Qt on X11 reports the Delete key with this text; it is an editing key, not a typed character.
constexpr QChar deleteKeyText(0x7f);

bool typesCharacter(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return false; // moves the focus
    return !key.text().isEmpty() && key.text() != QString(deleteKeyText);
}

// Backspace is accepted as a key only; as a character in inserted text it is a control character.
constexpr char16_t backspace = 8;
// A backspace character is reported with its control picture, which the rule refuses too.
constexpr int backspacePicture = 0x2408;

} // namespace

InputFilter& InputFilter::install(QLineEdit& edit, AcceptRule accepts, KeyPress keyPress,
                                  qsizetype maxLength, TooLong tooLong) {
    // A QObject child of the edit: the edit deletes it.
    return *new InputFilter(edit, std::move(accepts), std::move(keyPress), maxLength,
                            std::move(tooLong));
}

bool InputFilter::refusedInText(QChar c) const {
    return c.unicode() == backspace || !m_accepts(c.unicode());
}

InputFilter::InputFilter(QLineEdit& edit, AcceptRule accepts, KeyPress keyPress,
                         qsizetype maxLength, TooLong tooLong)
    : QValidator(&edit)
    , m_edit(edit)
    , m_accepts(std::move(accepts))
    , m_keyPress(std::move(keyPress))
    , m_maxLength(maxLength)
    , m_tooLong(std::move(tooLong)) {
    // An input method's commit reports the new cursor before the validator sees the new text,
    // so the text is taken only once it has been judged.
    const auto rememberPlace = [this] {
        const bool selected = m_edit.hasSelectedText();
        m_replacedFrom = selected ? m_edit.selectionStart() : m_edit.cursorPosition();
        m_replacedTo = selected ? m_edit.selectionEnd() : m_edit.cursorPosition();
    };
    const auto rememberText = [this, rememberPlace] {
        m_text = m_edit.text();
        rememberPlace();
    };
    rememberText();
    connect(&edit, &QLineEdit::textChanged, this, rememberText);
    connect(&edit, &QLineEdit::cursorPositionChanged, this, rememberPlace);
    connect(&edit, &QLineEdit::selectionChanged, this, rememberPlace);
    // One past the limit: whatever does not fit reaches validate() as a text that is too long.
    edit.setMaxLength(int(std::min<qsizetype>(maxLength + 1, std::numeric_limits<int>::max())));
    edit.setValidator(this);
    edit.installEventFilter(this);
}

bool InputFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_edit)
        return false;
    if (event->type() == QEvent::ContextMenu) {
        showContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (key.isAutoRepeat() && key.key() == m_refusedKey)
        return true; // a held key brings one message, not one for each repeat
    m_refusedKey = 0;
    // Several characters in one key event (a compose sequence) are judged as an insertion.
    if (!typesCharacter(key) || key.text().size() != 1)
        return false;
    int code = key.text().front().unicode();
    m_keyPress(code);
    if (code != 0)
        return false;
    m_refusedKey = key.key();
    return true; // a dropped character never reaches the edit, nor does its editing command
}

// The edit's own menu without the shortcuts it lists: in this edit they are refused characters.
void InputFilter::showContextMenu(QPoint globalPos) {
    QMenu* menu = m_edit.createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        action->setShortcut({});
        action->setText(action->text().section(QLatin1Char('\t'), 0, 0));
    }
    menu->popup(globalPos);
}

std::pair<qsizetype, qsizetype> InputFilter::unchangedEnds(const QString& input) const {
    // Typing, pasting, dropping and an input method all put their text in place of the selection,
    // or at the cursor.
    qsizetype head = m_replacedFrom;
    qsizetype tail = m_text.size() - m_replacedTo;
    const bool inPlace = head >= 0 && tail >= 0 && head + tail <= input.size() &&
                         QStringView(input).left(head) == QStringView(m_text).left(head) &&
                         QStringView(input).right(tail) == QStringView(m_text).right(tail);
    if (inPlace)
        return {head, tail};
    // Some other edit (undo, a move within the edit): take what lies between the parts the two
    // texts share.
    const qsizetype shared = std::min(input.size(), m_text.size());
    head = 0;
    while (head < shared && input[head] == m_text[head])
        ++head;
    tail = 0;
    while (tail < shared - head &&
           input[input.size() - 1 - tail] == m_text[m_text.size() - 1 - tail])
        ++tail;
    return {head, tail};
}

QValidator::State InputFilter::validate(QString& input, int&) const {
    // Refused whole, however much of it is made of accepted characters: the edit holds what it
    // held before, and the report comes once the edit is back to it.
    if (input.size() > m_maxLength) {
        QMetaObject::invokeMethod(&m_edit, m_tooLong, Qt::QueuedConnection);
        return Invalid;
    }

    // Every change passes here, so the edit only ever holds accepted characters: any refused one
    // in `input` has just been inserted.
    const auto first =
        std::find_if(input.cbegin(), input.cend(), [this](QChar c) { return refusedInText(c); });
    if (first == input.cend())
        return Acceptable;

    // The change is refused whole, which leaves the edit as it was, undo history included; what
    // it keeps then goes in as an edit of its own, which the history records.
    const auto [head, tail] = unchangedEnds(input);
    QString kept = input.sliced(head, input.size() - head - tail);
    kept.removeIf([this](QChar c) { return refusedInText(c); });
    const int code = first->unicode() == backspace ? backspacePicture : int(first->unicode());
    QMetaObject::invokeMethod(
        &m_edit,
        [edit = &m_edit, before = m_text, head, tail, kept, code, keyPress = m_keyPress] {
            if (!kept.isEmpty() && edit->text() == before) {
                const auto replaced = int(before.size() - head - tail);
                if (replaced > 0)
                    edit->setSelection(int(head), replaced);
                else
                    edit->setCursorPosition(int(head));
                edit->insert(kept);
            }
            // One report for the whole insertion, once the edit shows what it keeps.
            int keyAscii = code;
            keyPress(keyAscii);
        },
        Qt::QueuedConnection);
    return Invalid;
}

} // namespace platform
