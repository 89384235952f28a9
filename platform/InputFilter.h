// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QValidator>
#include <functional>
#include <utility>

class QLineEdit;

namespace platform {

// Puts every character that reaches a line edit through a key-press handler of the form
// void(int& keyAscii), where setting the code to 0 drops the character, and through an accept
// rule for the characters of inserted text.
//
// A typed character goes to the handler before it is applied, so the handler can ask the user
// first. Text that arrives otherwise (paste, drop, an input method) is checked as it is applied:
// the characters the rule refuses are dropped, the others kept, and the handler is then called once
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
    using AcceptRule = std::function<bool(int code)>;
    using KeyPress = std::function<void(int& keyAscii)>;
    using TooLong = std::function<void()>;

    // Makes a filter owned by the edit and puts it in place there.
    static InputFilter& install(QLineEdit& edit, AcceptRule accepts, KeyPress keyPress,
                                qsizetype maxLength, TooLong tooLong);

    State validate(QString& input, int& position) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    InputFilter(QLineEdit& edit, AcceptRule accepts, KeyPress keyPress, qsizetype maxLength,
                TooLong tooLong);
    bool refusedInText(QChar c) const;
    // Where the change from the edit's last text to `input` put its text: the lengths of the
    // unchanged head and tail.
    std::pair<qsizetype, qsizetype> unchangedEnds(const QString& input) const;
    void showContextMenu(QPoint globalPos);

    QLineEdit& m_edit;
    AcceptRule m_accepts;
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

} // namespace platform
