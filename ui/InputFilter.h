// SPDX-License-Identifier: MIT
#pragma once

#include "design/keystrokes.h"

#include <QString>
#include <QValidator>
#include <functional>
#include <utility>

class QLineEdit;

namespace ui {

using design::isAcceptedCode;

// Puts every character that reaches a line edit through a key-press handler of the form
// void(int& keyAscii), where setting the code to 0 drops the character.
//
// A typed character goes to the handler before it is applied, so the handler can ask the user
// first. Text that arrives otherwise (paste, drop, an input method) is checked as it is applied:
// its refused characters are dropped, its accepted ones kept, and the handler is then called once
// with the first refused code, however many there were. In such text a backspace character is no
// editing key but a control character, refused like the others.
//
// A refused key held down brings its message once: its auto-repeats are dropped.
//
// The edit takes at most maxLength characters. An insertion by any route that would make it
// longer is refused whole, the edit left as it was, and tooLong is called once. The edit itself
// cuts what it is given one character past the limit, so that a huge paste costs no more than a
// long one.
class InputFilter : public QValidator {
    Q_OBJECT
public:
    using KeyPress = std::function<void(int& keyAscii)>;
    using TooLong = std::function<void()>;

    // Installs itself on the edit, which owns it.
    InputFilter(QLineEdit& edit, KeyPress keyPress, qsizetype maxLength, TooLong tooLong);

    State validate(QString& input, int& position) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Where the change from the edit's last text to `input` put its text: the lengths of the
    // unchanged head and tail.
    std::pair<qsizetype, qsizetype> unchangedEnds(const QString& input) const;
    void showContextMenu(QPoint globalPos);

    QLineEdit& m_edit;
    KeyPress m_keyPress;
    qsizetype m_maxLength;
    TooLong m_tooLong;
    // The edit as it was before the change being validated: the edit reports a change only after
    // its validator has judged it.
    QString m_text;
    int m_replacedFrom = 0; // where the selection, or else the cursor, was
    int m_replacedTo = 0;
    int m_refusedKey = 0; // the key whose character was refused last, while it repeats
};

} // namespace ui
