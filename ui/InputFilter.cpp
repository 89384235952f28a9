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
    , m_keyPress(std::move(keyPress))
    , m_current(edit.text()) {
    connect(&edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_current = text; });
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

QValidator::State InputFilter::validate(QString& input, int& position) const {
    // The inserted segment is what lies between the parts the old and new texts share.
    const auto shared = std::min(input.size(), m_current.size());
    qsizetype prefix = 0;
    while (prefix < shared && input[prefix] == m_current[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shared - prefix &&
           input[input.size() - 1 - suffix] == m_current[m_current.size() - 1 - suffix])
        ++suffix;

    const int originalPosition = position;
    QString kept = input.left(prefix);
    int firstRefused = 0;
    bool anyAccepted = false;
    for (qsizetype i = prefix; i < input.size() - suffix; ++i) {
        const int code = input[i].unicode();
        if (isAcceptedCode(code)) {
            kept += input[i];
            anyAccepted = true;
        } else {
            if (firstRefused == 0)
                firstRefused = code;
            if (i < originalPosition)
                --position;
        }
    }
    if (firstRefused == 0)
        return Acceptable;

    // One report for the whole insertion, once the edit has finished applying it.
    QMetaObject::invokeMethod(
        &m_edit,
        [keyPress = m_keyPress, firstRefused] {
            int code = firstRefused;
            keyPress(code);
        },
        Qt::QueuedConnection);

    // Nothing accepted: refuse the change outright, so that the text (and a selection the
    // insertion would have replaced) stays as it was.
    if (!anyAccepted)
        return Invalid;
    kept += input.right(suffix);
    input = kept;
    return Acceptable;
}

} // namespace ui
