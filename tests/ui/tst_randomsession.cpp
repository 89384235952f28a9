// SPDX-License-Identifier: MIT
// A long random user session on the real windows. Before each action it reads what the windows
// hold; after it, it checks what the program decides: which characters the filter lets in, the
// messages, the three outputs (against the independent model) and the input's problem cue. How
// Qt moves the cursor, the selection and the focus is Qt's business and is read, not predicted.
// Run with --seed N (and --actions N to shorten it while debugging); a failure names the seed and
// the action, so that it can be replayed.
#include "InputCue.h"
#include "ModalCloser.h"
#include "conversion_oracle.h"
#include "design/keystrokes.h"
#include "platform/WindowHolder.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>
#include <random>

namespace {

constexpr int hugePasteMax = 100 * 1024;

// Long texts are shown by their ends and length, so that a failure message stays readable.
QString shortened(const QString& text) {
    if (text.size() <= 80)
        return QLatin1Char('"') + text + QLatin1Char('"');
    return QStringLiteral("\"%1...%2\" (%3 chars)")
        .arg(text.left(30), text.right(30))
        .arg(text.size());
}

// The offscreen platform warns about each window feature it lacks, once per window shown; a
// session shows thousands of message boxes. Other messages are still printed.
class QuietPlatformWarnings {
public:
    QuietPlatformWarnings()
        : m_previous(qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                               const QString& message) {
            if (type == QtWarningMsg &&
                message.startsWith(QLatin1String("This plugin does not support")))
                return;
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
        })) {}
    ~QuietPlatformWarnings() { qInstallMessageHandler(m_previous); }
    QuietPlatformWarnings(const QuietPlatformWarnings&) = delete;
    QuietPlatformWarnings& operator=(const QuietPlatformWarnings&) = delete;

private:
    QtMessageHandler m_previous;
};

// Processes events until the condition holds; false if it does not within five seconds.
template <class Condition> bool processUntil(Condition condition) {
    const QDeadlineTimer deadline(5000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// Seeded choices; the same seed gives the same session on the same platform.
class Dice {
public:
    explicit Dice(std::uint64_t seed)
        : m_engine(seed) {}
    // 0 <= result < n
    int below(int n) { return static_cast<int>(m_engine() % static_cast<std::uint64_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(double p) { return static_cast<double>(m_engine() >> 11) * 0x1.0p-53 < p; }
    template <class T, std::size_t N> const T& pick(const T (&items)[N]) {
        return items[below(static_cast<int>(N))];
    }
    QChar digit(int from = 0) { return QChar(u'0' + between(from, 9)); }

private:
    std::mt19937_64 m_engine;
};

struct Key {
    Qt::Key key;
    const char* text; // UTF-8, as the keyboard reports it
    Qt::KeyboardModifiers modifiers;
};

// Characters the filter refuses, typed: letters, signs, blanks, the exponent letter, Enter,
// Escape, editing shortcuts that arrive as control characters, and characters beyond ASCII.
const Key refusedKeys[] = {
    {Qt::Key_A, "a", {}},
    {Qt::Key_E, "e", {}},
    {Qt::Key_E, "E", Qt::ShiftModifier},
    {Qt::Key_X, "x", {}},
    {Qt::Key_Space, " ", {}},
    {Qt::Key_Minus, "-", {}},
    {Qt::Key_Plus, "+", Qt::ShiftModifier},
    {Qt::Key_Comma, ",", {}},
    {Qt::Key_Return, "\r", {}},
    {Qt::Key_Escape, "\x1b", {}},
    {Qt::Key_A, "\x01", Qt::ControlModifier},
    {Qt::Key_C, "\x03", Qt::ControlModifier},
    {Qt::Key_V, "\x16", Qt::ControlModifier},
    {Qt::Key_X, "\x18", Qt::ControlModifier},
    {Qt::Key_Z, "\x1a", Qt::ControlModifier},
    {Qt::Key_Eacute, "\u00e9", {}},
    {Qt::Key_unknown, "\u20ac", {}},
    {Qt::Key_unknown, "\u0663", {}}, // an Arabic-Indic digit is not one of ours
};

// Refused characters as they turn up in copied text; a backspace there is no editing key.
const char* const refusedInPaste[] = {" ",      "-",      "+",      "e",         "E",
                                      ",",      "a",      "x",      "\b",        "\u00b0",
                                      "\u00e9", "\u20ac", "\u0663", "\U0001F321"};

// What a user types into the scale field: the names, their wrong-case and partial forms, other
// texts, and endings that complete or spoil a name.
const char* const scaleTexts[] = {
    "Celsius", "Fahrenheit", "Kelvin",  "Celsius", "Fahrenheit",  "Kelvin", "celsius",
    "KELVIN",  "fahrenheit", "KeLvIn",  "Cel",     "Fahr",        "Kelvi",  "K",
    "Kelvin ", " Celsius",   "Rankine", "\u00b0C", "Fahrenheit.", "s",      "in",
    "heit",    "ius",        " ",       "x",       "n",           "e"};
const char* const scaleNames[] = {"Celsius", "Fahrenheit", "Kelvin"};

// The filter's verdict on a character of inserted text.
bool keptInText(QChar c) {
    return c.unicode() != 8 && design::isAcceptedCode(c.unicode());
}

// How many changes of the input, or picks of the scale, an action may bring.
struct Count {
    int least = 0;
    int most = 0;
    bool admits(int n) const { return n >= least && n <= most; }
};
constexpr Count any{0, 1 << 30};

// What one action must do, where the program decides it; the rest is left to Qt.
struct Verdict {
    std::optional<QString> text;
    std::optional<qsizetype> cursor;
    Count changes = any;
    Count picks; // typing into the scale field, Enter there and leaving it are never picks
};

} // namespace

class tst_RandomSession : public QObject {
    Q_OBJECT
public:
    tst_RandomSession(std::uint64_t seed, int actions)
        : m_seed(seed)
        , m_actions(actions)
        , m_dice(seed) {}

private slots:
    void session();

private:
    void act();
    void actOnInput();
    void actOnScale();
    void key(QWidget* target, Qt::Key key, const QString& text = {},
             Qt::KeyboardModifiers modifiers = {});
    void insert(const QString& text, const QString& how);
    QString numeral();
    void pickFromList();
    void editScale();
    void openAbout();
    void closeAbout();

    void converted(); // runs the model where the program has just converted
    bool ensureMainActive();
    std::optional<QString> mismatch() const;
    void note(const QString& what) {
        m_log.push_back(QStringLiteral("#%1 %2").arg(m_index).arg(what));
        if (m_log.size() > 12)
            m_log.pop_front();
    }

    std::uint64_t m_seed;
    int m_actions;
    Dice m_dice;
    int m_index = 0;
    std::deque<QString> m_log;
    QString m_actionError; // an action that could not be carried out as a user would

    // What the program must show, from the history of the session.
    std::array<QString, 3> m_outputs;
    InputCue m_cue = InputCue::None;
    qsizetype m_boxes = 0;
    bool m_aboutOpen = false;
    // The current action: what it must do, and what it did.
    Verdict m_verdict;
    int m_changes = 0;
    int m_picks = 0;
    qsizetype m_boxesBefore = 0;
    int m_outcomes[3] = {}; // complete, not a number, out of range
    int m_pastes = 0;

    std::optional<ModalCloser> m_closer;
    std::optional<platform::WindowHolder<ui::Form2>> m_about;
    std::optional<platform::WindowHolder<ui::Form1>> m_main;
    ui::Form1* m_form = nullptr;
    QLineEdit* m_text1 = nullptr;
    std::array<QLineEdit*, 3> m_outputBoxes = {};
    QComboBox* m_combo = nullptr;
    QLineEdit* m_field = nullptr;
};

void tst_RandomSession::session() {
    const QuietPlatformWarnings quiet;
    qInfo("seed %llu, %d actions", static_cast<unsigned long long>(m_seed), m_actions);
    m_closer.emplace();
    m_about.emplace();
    m_main.emplace([this] { return std::make_unique<ui::Form1>(*m_about); });
    m_form = &m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    m_text1 = m_form->findChild<QLineEdit*>(QStringLiteral("Text1"));
    m_outputBoxes = {m_form->findChild<QLineEdit*>(QStringLiteral("Text2")),
                     m_form->findChild<QLineEdit*>(QStringLiteral("Text3")),
                     m_form->findChild<QLineEdit*>(QStringLiteral("Text4"))};
    m_combo = m_form->findChild<QComboBox*>(QStringLiteral("Combo1"));
    QVERIFY(m_text1 && m_outputBoxes[0] && m_outputBoxes[1] && m_outputBoxes[2] && m_combo);
    m_field = m_combo->lineEdit();
    QGuiApplication::clipboard()->clear();
    // Connected after the window's own handlers, so these run once the window has converted.
    connect(m_text1, &QLineEdit::textChanged, this, [this] {
        ++m_changes;
        converted();
    });
    connect(m_combo, &QComboBox::activated, this, [this] {
        ++m_picks;
        converted();
    });

    QElapsedTimer clock;
    clock.start();
    int picks = 0;
    for (m_index = 0; m_index < m_actions; ++m_index) {
        m_verdict = {};
        m_changes = m_picks = 0;
        m_boxesBefore = m_closer->count();
        act();
        // Queued work finishes: a paste reports its refused characters once it has been applied.
        QCoreApplication::processEvents();
        processUntil([this] { return m_closer->count() >= m_boxes; });
        QCoreApplication::processEvents();
        picks += m_picks;
        const std::optional<QString> wrong =
            m_actionError.isEmpty() ? mismatch() : std::optional(m_actionError);
        if (wrong) {
            QString history;
            for (const QString& line : m_log)
                history += QStringLiteral("\n  ") + line;
            QFAIL(qPrintable(QStringLiteral("seed %1, action #%2: %3\nlast actions:%4")
                                 .arg(m_seed)
                                 .arg(m_index)
                                 .arg(*wrong, history)));
        }
    }
    const double seconds = std::max<double>(double(clock.elapsed()), 1) / 1000;

    // Image1 closes the main window; the About window, if open, stays until it is clicked.
    QVERIFY(ensureMainActive());
    QTest::mouseClick(m_form->windowHandle(), Qt::LeftButton, {}, QPoint(560, 8));
    QVERIFY(!m_main->isLoaded());
    QCOMPARE(m_about->isLoaded(), m_aboutOpen);
    if (m_aboutOpen) {
        QTest::mouseClick(m_about->window()->windowHandle(), Qt::LeftButton, {}, QPoint(270, 145));
        QVERIFY(!m_about->isLoaded());
    }
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    QCOMPARE(m_closer->count(), m_boxes);

    qInfo("%d actions in %.1f s (%.0f/s): %lld message boxes, %d pastes, %d scale picks; "
          "conversions: %d complete, %d not a number, %d out of range",
          m_actions, seconds, m_actions / seconds, static_cast<long long>(m_boxes), m_pastes, picks,
          m_outcomes[0], m_outcomes[1], m_outcomes[2]);
}

void tst_RandomSession::act() {
    if (m_aboutOpen && m_dice.chance(0.08))
        return closeAbout();
    if (m_dice.below(1000) < 6)
        return openAbout();
    if (!ensureMainActive()) {
        m_actionError = QStringLiteral("the main window cannot be activated");
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    if (focus == m_text1) {
        actOnInput();
    } else if (focus == m_field || focus == m_combo) {
        actOnScale();
    } else { // Tab left the focus on an output box: click into the input
        const QPoint at(m_dice.between(3, m_text1->width() - 4), m_text1->height() / 2);
        note(QStringLiteral("click in the input at x=%1").arg(at.x()));
        m_verdict.changes = {};
        QTest::mouseClick(m_text1, Qt::LeftButton, {}, at);
    }
}

void tst_RandomSession::actOnInput() {
    // A long input is mostly cleared soon, as a user who pasted too much would; keystrokes on it
    // still happen now and then.
    const qsizetype length = m_text1->text().size();
    if ((length > 2000 && m_dice.chance(0.5)) || (length > 200 && m_dice.chance(0.2))) {
        note(QStringLiteral("End, Shift+Home, Backspace"));
        QTest::keyClick(m_text1, Qt::Key_End);
        QTest::keyClick(m_text1, Qt::Key_Home, Qt::ShiftModifier);
        return key(m_text1, Qt::Key_Backspace);
    }
    static const Qt::Key moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End};
    int roll = m_dice.below(1000);
    const auto take = [&roll](int weight) {
        return (roll -= weight) < 0;
    };
    if (take(325)) {
        insert(m_dice.chance(0.92) ? QString(m_dice.digit()) : QStringLiteral("."), {});
    } else if (take(50)) {
        const Key& refused = m_dice.pick(refusedKeys);
        ++m_boxes;
        m_verdict.text = m_text1->text();
        m_verdict.changes = {};
        key(m_text1, refused.key, QString::fromUtf8(refused.text), refused.modifiers);
    } else if (take(130)) { // accepted, or no character at all: no message
        key(m_text1, m_dice.chance(0.7) ? Qt::Key_Backspace : Qt::Key_Delete);
    } else if (take(150)) {
        m_verdict.changes = {};
        key(m_text1, m_dice.pick(moves), {},
            m_dice.chance(0.4) ? Qt::ShiftModifier : Qt::NoModifier);
    } else if (take(104)) {
        insert(numeral(), QStringLiteral("paste"));
    } else if (take(10)) {
        const QString clipboard = QGuiApplication::clipboard()->text();
        insert(clipboard.size() > 1000 ? numeral() : clipboard,
               clipboard.size() > 1000 ? QStringLiteral("paste") : QStringLiteral("Shift+Insert"));
    } else if (take(20)) {
        const QPoint at(m_dice.between(3, m_text1->width() - 4), m_text1->height() / 2);
        note(QStringLiteral("click in the input at x=%1").arg(at.x()));
        m_verdict.changes = {};
        QTest::mouseClick(m_text1, Qt::LeftButton, {}, at);
    } else if (take(35)) {
        pickFromList();
    } else if (take(30)) {
        m_verdict.changes = {};
        for (int tabs = m_dice.between(1, 3); tabs > 0; --tabs)
            key(QApplication::focusWidget(), Qt::Key_Tab);
    } else {
        insert(QString(m_dice.digit()), {});
    }
}

void tst_RandomSession::actOnScale() {
    const int roll = m_dice.below(100);
    if (roll < 45) {
        editScale();
    } else if (roll < 70) { // Up and Down step through the list, each step a pick
        m_verdict.picks = {0, 1};
        key(m_field, m_dice.chance(0.5) ? Qt::Key_Down : Qt::Key_Up);
    } else if (roll < 78) {
        pickFromList();
    } else if (roll < 82) {
        key(m_field, Qt::Key_Return, QStringLiteral("\r")); // not a pick, even on a name
    } else {
        for (int tabs = 0; tabs < 2; ++tabs) // through Text4 back to the input
            key(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

void tst_RandomSession::key(QWidget* target, Qt::Key key, const QString& text,
                            Qt::KeyboardModifiers modifiers) {
    note(QStringLiteral("%1 in %2")
             .arg(text.isEmpty() || text.front() < QLatin1Char(' ')
                      ? QKeySequence(key | modifiers).toString()
                      : QStringLiteral("'%1'").arg(text),
                  target == m_field ? QStringLiteral("Combo1") : target->objectName()));
    if (text.isEmpty())
        QTest::keyClick(target, key, modifiers);
    else
        QTest::sendKeyEvent(QTest::Click, target, key, text, modifiers);
}

// Inserted text keeps its accepted characters, in place of the selection or at the cursor, which
// then stands after them; any refused character brings one message for the whole insertion. An
// empty `how` types the one character.
void tst_RandomSession::insert(const QString& text, const QString& how) {
    QString kept = text;
    kept.removeIf([](QChar c) { return !keptInText(c); });
    const QString before = m_text1->text();
    const bool selected = m_text1->hasSelectedText();
    const qsizetype from = selected ? m_text1->selectionStart() : m_text1->cursorPosition();
    const qsizetype to = selected ? m_text1->selectionEnd() : from;
    // An insertion that would make the input longer than it takes is refused whole, with its own
    // message (a refused key keeps the refusal).
    const bool fits = before.size() - (to - from) + text.size() <= ui::Form1::maxInputLength;
    if (!fits && !kept.isEmpty())
        kept.clear();
    m_verdict.text = kept.isEmpty() ? before : before.left(from) + kept + before.mid(to);
    if (!kept.isEmpty())
        m_verdict.cursor = from + kept.size();
    // Qt may or may not report a change that puts back the same text.
    m_verdict.changes = kept.isEmpty() ? Count{} : Count{*m_verdict.text == before ? 0 : 1, 1};
    m_boxes += kept.size() == text.size() ? 0 : 1;
    if (how.isEmpty())
        return key(m_text1, Qt::Key(text.front().unicode()), text);
    note(QStringLiteral("%1 %2").arg(how, shortened(text)));
    ++m_pastes;
    if (how == QLatin1String("Shift+Insert"))
        return QTest::keyClick(m_text1, Qt::Key_Insert, Qt::ShiftModifier);
    QGuiApplication::clipboard()->setText(text);
    m_text1->paste(); // what the context menu's Paste does
}

// Text to paste: mostly short, now and then numerals near and beyond the range of a double,
// long fractions, or a huge block of digits; some with refused characters in them.
QString tst_RandomSession::numeral() {
    QString text;
    const int kind = m_dice.below(104);
    if (kind < 90) {
        const int length = m_dice.between(1, 12);
        for (int i = 0; i < length; ++i) {
            if (kind < 6 || (kind < 30 && m_dice.chance(0.2)))
                text += QString::fromUtf8(m_dice.pick(refusedInPaste));
            else
                text += m_dice.chance(0.06) ? QChar(u'.') : m_dice.digit();
        }
        return text;
    }
    const int length = kind < 102 ? m_dice.between(290, 420) : m_dice.between(1024, hugePasteMax);
    text.reserve(length);
    if (kind % 3 == 0) { // a tiny fraction, down to below the smallest double
        text = QStringLiteral("0.") + QString(length - 3, QLatin1Char('0')) + m_dice.digit(1);
    } else { // an integer part that may pass 1.8E+308, some with a fraction
        text += m_dice.digit(1);
        while (text.size() < length)
            text += m_dice.digit();
        if (kind % 3 == 1)
            text.insert(m_dice.between(0, length), QLatin1Char('.'));
    }
    if (m_dice.chance(0.1))
        text.insert(m_dice.between(0, int(text.size())),
                    QString::fromUtf8(m_dice.pick(refusedInPaste)));
    return text;
}

// Opens the list and clicks an entry, as a user picks a scale.
void tst_RandomSession::pickFromList() {
    const int row = m_dice.below(3);
    note(QStringLiteral("pick %1 from the list").arg(QLatin1String(scaleNames[row])));
    m_verdict.picks = {1, 1};
    m_combo->showPopup();
    QAbstractItemView* list = m_combo->view();
    if (!processUntil([list] { return list->isVisible(); })) {
        m_actionError = QStringLiteral("the scale list did not open");
        return;
    }
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (!processUntil([list] { return !list->isVisible(); }))
        m_actionError = QStringLiteral("the scale list did not close");
}

void tst_RandomSession::editScale() {
    switch (m_dice.below(4)) {
    case 0:
        key(m_field, Qt::Key_A, {}, Qt::ControlModifier);
        break;
    case 1:
        break;
    case 2:
        key(m_field, Qt::Key_End);
        break;
    default:
        key(m_field, Qt::Key_End);
        for (int count = m_dice.between(1, 4); count > 0; --count)
            key(m_field, Qt::Key_Backspace);
        return;
    }
    const QString text = QString::fromUtf8(m_dice.pick(scaleTexts));
    note(QStringLiteral("type \"%1\" in Combo1").arg(text));
    for (const QChar c : text) {
        const auto code = c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, m_field, code, QString(c), {});
    }
}

void tst_RandomSession::openAbout() {
    note(QStringLiteral("click About"));
    m_aboutOpen = true;
    QTest::mouseClick(m_form->windowHandle(), Qt::LeftButton, {}, QPoint(286, 250));
}

void tst_RandomSession::closeAbout() {
    ui::Form2* about = m_about->window();
    if (!about) {
        m_actionError = QStringLiteral("the About window should be open");
        return;
    }
    const QPoint at(m_dice.below(about->width()), m_dice.below(about->height()));
    note(QStringLiteral("click the About window at %1,%2").arg(at.x()).arg(at.y()));
    m_aboutOpen = false;
    QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {}, at);
}

void tst_RandomSession::converted() {
    const oracle::ModelRun run =
        oracle::ModelConvert(m_text1->text().toStdString(), m_combo->currentText().toStdString());
    for (const oracle::ModelRun::Write& write : run.writes)
        m_outputs[std::size_t(write.box)] = QString::fromStdString(write.text);
    m_cue = run.outcome == oracle::ModelRun::ConversionError ? InputCue::NotANumber
            : run.outcome == oracle::ModelRun::OverflowError ? InputCue::OutOfRange
                                                             : InputCue::None;
    ++m_outcomes[int(m_cue)];
}

bool tst_RandomSession::ensureMainActive() {
    if (m_form->isActiveWindow())
        return true;
    m_form->activateWindow(); // the user clicks the main window to bring it forward
    return processUntil([this] { return m_form->isActiveWindow(); });
}

std::optional<QString> tst_RandomSession::mismatch() const {
    const Verdict& v = m_verdict;
    const QString input = m_text1->text();
    const auto wrong = [&input](const QString& what, const auto& expected, const auto& got) {
        return QStringLiteral("%1: expected %2, got %3 (input %4)")
            .arg(what, expected, got, shortened(input));
    };
    const auto range = [](Count c) {
        return QStringLiteral("%1 to %2").arg(c.least).arg(c.most);
    };
    if (v.text && input != *v.text)
        return wrong(QStringLiteral("Text1"), shortened(*v.text), shortened(input));
    if (!std::all_of(input.cbegin(), input.cend(), keptInText))
        return wrong(QStringLiteral("Text1"), QStringLiteral("accepted characters only"), input);
    if (v.cursor && m_text1->cursorPosition() != *v.cursor)
        return wrong(QStringLiteral("Text1 cursor"), QString::number(*v.cursor),
                     QString::number(m_text1->cursorPosition()));
    if (!v.changes.admits(m_changes))
        return wrong(QStringLiteral("changes of Text1"), range(v.changes),
                     QString::number(m_changes));
    if (!v.picks.admits(m_picks))
        return wrong(QStringLiteral("scale picks"), range(v.picks), QString::number(m_picks));
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        if (m_outputBoxes[i]->text() != m_outputs[i])
            return wrong(m_outputBoxes[i]->objectName() + QStringLiteral(" with the scale ") +
                             m_combo->currentText(),
                         shortened(m_outputs[i]), shortened(m_outputBoxes[i]->text()));
    }
    if (inputCue(*m_text1) != m_cue)
        return wrong(QStringLiteral("the cue on Text1"), QLatin1String(cueName(m_cue)),
                     QLatin1String(cueName(inputCue(*m_text1))) + QStringLiteral(", tip ") +
                         m_text1->toolTip());
    if (m_combo->count() != 3)
        return wrong(QStringLiteral("scale entries"), QStringLiteral("3"),
                     QString::number(m_combo->count()));
    if (m_closer->count() != m_boxes)
        return wrong(QStringLiteral("message boxes"), QString::number(m_boxes),
                     QString::number(m_closer->count()));
    for (const ModalCloser::Seen& box : m_closer->seen().sliced(m_boxesBefore)) {
        const bool known =
            box.text == QLatin1String(" The character you entered is not allowed in the TextBox") ||
            box.text.startsWith(QLatin1String(" The text you entered is too long for the TextBox"));
        if (box.title != QLatin1String("Input validation") || !known ||
            box.icon != QMessageBox::Information || box.buttonCount != 1)
            return wrong(QStringLiteral("message box"), QStringLiteral("the refusal"),
                         box.title + QStringLiteral(": ") + box.text);
    }
    qsizetype visible = 0;
    for (const QWidget* window : QApplication::topLevelWidgets())
        visible += window->isVisible() ? 1 : 0;
    if (m_about->isLoaded() != m_aboutOpen || visible != (m_aboutOpen ? 2 : 1))
        return wrong(QStringLiteral("windows"),
                     m_aboutOpen ? QStringLiteral("both") : QStringLiteral("the main one"),
                     QStringLiteral("%1 visible").arg(visible));
    return std::nullopt;
}

// The seed and the number of actions come from the command line; the rest goes to QTest.
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    std::uint64_t seed = 1;
    int actions = 20'000;
    QStringList testArguments;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool isSeed = argument == QLatin1String("--seed");
        if ((isSeed || argument == QLatin1String("--actions")) && i + 1 < arguments.size()) {
            bool ok = false;
            if (isSeed)
                seed = arguments[++i].toULongLong(&ok);
            else
                actions = arguments[++i].toInt(&ok);
            if (!ok) {
                qCritical("%s needs a number", qPrintable(argument));
                return 2;
            }
        } else {
            testArguments << argument;
        }
    }
    tst_RandomSession test(seed, actions);
    return QTest::qExec(&test, testArguments);
}

#include "tst_randomsession.moc"
