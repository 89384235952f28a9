// SPDX-License-Identifier: MIT
#pragma once

#include "platform/forms.h"

#include <QClipboard>
#include <QLineEdit>
#include <QString>

namespace platform::qt {

class FormWindow;

// A single-line text box, in the design's font and colour, with no length limit of its own (Qt
// 6.4 cuts a QLineEdit's text at 32767 characters). An output box is read-only: it still takes
// the focus and lets the user select its text, but refuses every change by the user.
//
// The box hands every character typed into it to onKeyPress before applying it, and every other
// insertion (paste by any command, drop, input method, a screen reader's edit) to onInsert
// instead of applying it: a validator sees each change as Qt makes it, refuses the ones that
// insert text, and passes the inserted text on once the edit is back to what it held. The edit's
// own undo history is kept; its undo and redo bring back texts it held, which are not judged.
class TextBox : public QLineEdit, public platform::TextBox {
    Q_OBJECT
public:
    TextBox(const TextBoxProperties& properties, FormWindow& window);

    std::string text() const override;
    void setText(std::string_view text) override;
    std::size_t length() const override;
    std::size_t selectedLength() const override;
    void insert(std::string_view text) override;
    void setTip(std::string_view tip) override;
    void setMarked(bool marked) override;

    // Text a screen reader puts in place of [from, to): handed to onInsert as a paste is, without
    // passing through the edit. Without that handler, an ordinary edit.
    void replaceFromOutside(int from, int to, const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class Catcher;
    friend class Catcher;

    // A change Qt is about to make, from the text before it: refused (and handed to onInsert) when
    // it inserts anything that did not come through onKeyPress or insert().
    bool admits(const QString& changed);
    // Where the change from the last text to `changed` put its text: the lengths of the unchanged
    // head and tail.
    std::pair<qsizetype, qsizetype> unchangedEnds(const QString& changed) const;
    void rememberPlace();
    // Hands text to onInsert once the event loop is back, with what it would replace in `before`
    // selected: the edit never holds it, so a screen reader hears only what the handler keeps.
    void offer(const QString& before, int from, int replaced, const QString& inserted);
    void pasteFrom(QClipboard::Mode mode);
    void endUndoStep();
    void restore(void (QLineEdit::*step)());

    FormWindow& m_window;
    bool m_applying = false; // a change that needs no judging is being made
    // The edit as it was before the change being validated: the edit reports a change only after
    // its validator has judged it.
    QString m_before;
    int m_replacedFrom = 0; // where the selection, or else the cursor, was
    int m_replacedTo = 0;
};

} // namespace platform::qt
