// SPDX-License-Identifier: MIT
#include "ui/InputFilter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace ui {

namespace {

// Qt on X11 reports the Delete key with this text; it is an editing key, not a typed character.
constexpr QChar deleteKeyText(0x7f);

bool typesCharacter(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return false; // moves the focus
    return !key.text().isEmpty() && key.text() != QString(deleteKeyText);
}

} // namespace

InputFilter::InputFilter(QLineEdit& edit, KeyPress keyPress)
    : QValidator(&edit)
    , m_edit(edit)
    , m_keyPress(std::move(keyPress)) {
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
    edit.setValidator(this);
    edit.installEventFilter(this);
}

bool InputFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_edit || event->type() != QEvent::KeyPress)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // Several characters in one key event (a compose sequence) are judged as an insertion.
    if (!typesCharacter(key) || key.text().size() != 1)
        return false;
    int code = key.text().front().unicode();
    m_keyPress(code);
    return code == 0; // a dropped character never reaches the edit, nor does its editing command
}

bool InputFilter::insertsAcceptedText(const QString& input) const {
    // Typing, pasting, dropping and an input method all put their text in place of the selection,
    // or at the cursor.
    qsizetype head = m_replacedFrom;
    qsizetype tail = m_text.size() - m_replacedTo;
    const bool inPlace = head >= 0 && tail >= 0 && head + tail <= input.size() &&
                         QStringView(input).left(head) == QStringView(m_text).left(head) &&
                         QStringView(input).right(tail) == QStringView(m_text).right(tail);
    if (!inPlace) {
        // Some other edit (undo, a move within the edit): take what lies between the parts the
        // two texts share.
        const qsizetype shared = std::min(input.size(), m_text.size());
        head = 0;
        while (head < shared && input[head] == m_text[head])
            ++head;
        tail = 0;
        while (tail < shared - head &&
               input[input.size() - 1 - tail] == m_text[m_text.size() - 1 - tail])
            ++tail;
    }
    const QStringView inserted = QStringView(input).sliced(head, input.size() - head - tail);
    return std::any_of(inserted.begin(), inserted.end(),
                       [](QChar c) { return isAcceptedCode(c.unicode()); });
}

QValidator::State InputFilter::validate(QString& input, int& position) const {
    // Every change passes here, so the edit only ever holds accepted characters: any refused one
    // in `input` has just been inserted.
    const auto refused = [](QChar c) {
        return !isAcceptedCode(c.unicode());
    };
    const auto first = std::find_if(input.cbegin(), input.cend(), refused);
    if (first == input.cend())
        return Acceptable;

    // One report for the whole insertion, once the edit has finished applying it.
    QMetaObject::invokeMethod(
        &m_edit,
        [keyPress = m_keyPress, code = int(first->unicode())] {
            int keyAscii = code;
            keyPress(keyAscii);
        },
        Qt::QueuedConnection);

    // Nothing accepted: refuse the change outright, so that the text (and a selection the
    // insertion would have replaced) stays as it was.
    if (!insertsAcceptedText(input))
        return Invalid;
    const auto beforeCursor = std::count_if(input.cbegin(), input.cbegin() + position, refused);
    position -= static_cast<int>(beforeCursor);
    input.removeIf(refused);
    return Acceptable;
}

} // namespace ui
