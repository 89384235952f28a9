// SPDX-License-Identifier: MIT
// A long random user session on the real windows, checked against a model after every action.
// Run with --seed N (and --actions N to shorten it while debugging); a failure names the seed and
// the action, so that it can be replayed.
#include "conversion_oracle.h"
#include "platform/WindowHolder.h"
#include "resources/resources.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <fstream>
#include <optional>
#include <random>
#include <unistd.h>

namespace {

// How the last conversion ended, as the input box shows it.
enum class Problem { None, NotANumber, OutOfRange };

// Fahrenheit, Celsius, Kelvin: the texts of Text2, Text3 and Text4, in UTF-8.
using Boxes = std::array<std::string, 3>;

// Runs the independent model: the boxes it writes, and how the run ends.
Problem runModel(const std::string& input, const std::string& scale, Boxes& boxes) {
    const oracle::ModelRun run = oracle::ModelConvert(input, scale);
    for (const oracle::ModelRun::Write& write : run.writes)
        boxes[static_cast<std::size_t>(write.box)] = write.text;
    switch (run.outcome) {
    case oracle::ModelRun::ConversionError:
        return Problem::NotANumber;
    case oracle::ModelRun::OverflowError:
        return Problem::OutOfRange;
    case oracle::ModelRun::Completes:
        break;
    }
    return Problem::None;
}

constexpr int defaultActions = 20'000;
constexpr int warmUpActions = 1'000;
constexpr long long allowedGrowthBytes = 8LL * 1024 * 1024;
// AddressSanitizer holds freed memory back in quarantine, so resident memory says nothing there;
// LeakSanitizer checks that build instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool residentMemoryMeansGrowth = false;
#else
constexpr bool residentMemoryMeansGrowth = true;
#endif
constexpr int hugePasteMax = 100 * 1024;

const QString validationTitle = QStringLiteral("Input validation");
const QString validationText =
    QStringLiteral(" The character you entered is not allowed in the TextBox");

long long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

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

// Processes events until the condition holds; false if it does not within the time.
template <class Condition> bool processUntil(Condition condition, int milliseconds = 5000) {
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// Answers every modal message box with its OK button as soon as it is up, as a quick user would,
// and counts them. A box comes up inside a nested event loop, so the answer is posted into it; a
// slow poll catches anything the Show event did not.
class BoxAnswerer : public QObject {
public:
    BoxAnswerer() {
        qApp->installEventFilter(this);
        m_poll = startTimer(100);
    }
    ~BoxAnswerer() override { qApp->removeEventFilter(this); }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    int count() const { return m_count; }
    // The first box that was not the input validation box, if any.
    const QString& oddBox() const { return m_oddBox; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched))
                QTimer::singleShot(0, box, [this, box] { answer(box); });
        }
        return false;
    }

    void timerEvent(QTimerEvent* event) override {
        if (event->timerId() != m_poll)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            answer(box);
    }

private:
    void answer(QMessageBox* box) {
        if (!box->isVisible() || QApplication::activeModalWidget() != box)
            return;
        ++m_count;
        const bool expected =
            box->windowTitle() == validationTitle &&
            (box->text() == validationText || box->text().contains(QLatin1String("too long"))) &&
            box->icon() == QMessageBox::Information && box->buttons().size() == 1;
        if (!expected && m_oddBox.isEmpty())
            m_oddBox = box->windowTitle() + QStringLiteral(": ") + box->text();
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

    int m_poll = 0;
    int m_count = 0;
    QString m_oddBox;
};

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

private:
    std::mt19937_64 m_engine;
};

enum class Focus { Input, Scale };

const char* const scaleNames[] = {"Celsius", "Fahrenheit", "Kelvin"};

// Everything the user should see, predicted from the history of the session.
struct Expected {
    // Text1: its text (digits and full stops only), the cursor and the other end of the selection.
    std::string input;
    qsizetype cursor = 0;
    qsizetype anchor = 0;
    Problem problem = Problem::None;
    Boxes outputs;
    QString scaleText = QStringLiteral("Celsius");
    int scaleIndex = 0;
    bool scaleAllSelected = false;
    bool listOpened = false;
    Focus focus = Focus::Input;
    bool aboutOpen = false;
    int boxes = 0;
    QString clipboard;

    qsizetype selectionStart() const { return std::min(cursor, anchor); }
    qsizetype selectionEnd() const { return std::max(cursor, anchor); }
    bool hasSelection() const { return cursor != anchor; }
};

// How often the session reached each outcome, to show what it covered.
struct Tally {
    int converted = 0;
    int notANumber = 0;
    int outOfRange = 0;
    int emptyInput = 0;
    int unknownScale = 0;
    int picks = 0;
    int aboutOpened = 0;
    int pastes = 0;
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

// Refused characters as they turn up in copied text.
const char* const refusedInPaste[] = {" ", "-",      "+",      "e",      "E",      ",",         "a",
                                      "x", "\u00b0", "\u00e9", "\u20ac", "\u0663", "\U0001F321"};

// What a user types into the scale field: the names, their wrong-case and partial forms, and
// other texts.
const char* const scaleTexts[] = {"Celsius",  "Fahrenheit", "Kelvin",  "Celsius",     "Fahrenheit",
                                  "Kelvin",   "celsius",    "KELVIN",  "fahrenheit",  "KeLvIn",
                                  "Cel",      "Fahr",       "Kelvi",   "K",           "Kelvin ",
                                  " Celsius", "Rankine",    "\u00b0C", "Fahrenheit.", "Celsius"};
const char* const scaleTails[] = {"s", "in", "heit", "ius", " ", "x", "n", "e"};

bool isAccepted(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
}

} // namespace

class tst_RandomSession : public QObject {
    Q_OBJECT
public:
    tst_RandomSession(std::uint64_t seed, int actions)
        : m_seed(seed)
        , m_actions(actions)
        , m_dice(seed) {}

private slots:
    void initTestCase();
    void session();

private:
    using Form2Holder = platform::WindowHolder<ui::Form2>;
    using Form1Holder = platform::WindowHolder<ui::Form1>;

    // One user action: predicts its effect into m_expected, then does it on the windows.
    void act();
    void actOnInput();
    void actOnScale();

    void typeKey(QWidget* target, const Key& key);
    void typeText(QWidget* target, const QString& text);
    void typeAccepted(char c);
    void typeRefused();
    void backspace();
    void deleteForward();
    void moveCursor();
    void paste(const QString& text, const QString& what);
    void pasteShort();
    void pasteLong();
    void pasteHuge(int size);
    void shiftInsert();
    void clearInput();
    void clickInput();
    void pickFromList();
    void goToScale();
    void returnToInput();
    void editScale();
    void keyPick(bool down);
    void enterInScale();
    void openAbout();
    void closeAbout();

    // Model steps.
    void insertIntoInput(const std::string& accepted);
    void removeFromInput(qsizetype from, qsizetype count);
    void convert();
    void leaveInput();

    bool ensureMainActive();
    void settle();
    std::optional<QString> mismatch() const;
    QString history() const;
    void note(QString what) {
        m_log.push_back(QStringLiteral("#%1 %2").arg(m_index).arg(what));
        if (m_log.size() > 12)
            m_log.pop_front();
    }

    std::uint64_t m_seed;
    int m_actions;
    Dice m_dice;
    Expected m_expected;
    int m_index = 0;
    std::deque<QString> m_log;
    Tally m_tally;
    QString m_actionError; // an action that could not be carried out as a user would

    std::optional<BoxAnswerer> m_answerer;
    std::optional<Form2Holder> m_about;
    std::optional<Form1Holder> m_main;
    ui::Form1* m_form = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLineEdit* m_outputs[3] = {};
    QComboBox* m_combo = nullptr;
    QLineEdit* m_field = nullptr;
};

void tst_RandomSession::initTestCase() {
    resources::initialise();
}

void tst_RandomSession::session() {
    const QuietPlatformWarnings quiet;
    qInfo("seed %llu, %d actions", static_cast<unsigned long long>(m_seed), m_actions);
    m_answerer.emplace();
    m_about.emplace();
    m_main.emplace([this] { return std::make_unique<ui::Form1>(*m_about); });
    m_form = &m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    m_text1 = m_form->findChild<QLineEdit*>(QStringLiteral("Text1"));
    m_outputs[0] = m_form->findChild<QLineEdit*>(QStringLiteral("Text2"));
    m_outputs[1] = m_form->findChild<QLineEdit*>(QStringLiteral("Text3"));
    m_outputs[2] = m_form->findChild<QLineEdit*>(QStringLiteral("Text4"));
    m_combo = m_form->findChild<QComboBox*>(QStringLiteral("Combo1"));
    QVERIFY(m_text1 && m_outputs[0] && m_outputs[1] && m_outputs[2] && m_combo);
    m_field = m_combo->lineEdit();
    QVERIFY(m_field);
    QGuiApplication::clipboard()->clear();

    // The first thousand actions include the largest paste, so that the memory taken after them
    // already covers the biggest texts the session shows.
    const int hugePasteAt = 100 + m_dice.below(warmUpActions - 200);
    long long warmMemory = 0;
    QElapsedTimer clock;
    clock.start();
    for (m_index = 0; m_index < m_actions; ++m_index) {
        if (m_index == hugePasteAt)
            pasteHuge(hugePasteMax);
        else
            act();
        settle();
        if (!m_actionError.isEmpty())
            QFAIL(qPrintable(QStringLiteral("seed %1, action #%2: %3\n%4")
                                 .arg(m_seed)
                                 .arg(m_index)
                                 .arg(m_actionError, history())));
        if (const std::optional<QString> wrong = mismatch())
            QFAIL(qPrintable(QStringLiteral("seed %1, after action #%2: %3\n%4")
                                 .arg(m_seed)
                                 .arg(m_index)
                                 .arg(*wrong, history())));
        if (m_index + 1 == warmUpActions)
            warmMemory = residentBytes();
    }
    const qint64 elapsed = std::max<qint64>(clock.elapsed(), 1);

    // Image1 closes the main window; the About window, if open, stays until it is clicked.
    QVERIFY(ensureMainActive());
    QTest::mouseClick(m_form->windowHandle(), Qt::LeftButton, {}, QPoint(560, 8));
    QVERIFY(!m_main->isLoaded());
    QCOMPARE(m_about->isLoaded(), m_expected.aboutOpen);
    if (m_expected.aboutOpen) {
        QVERIFY(m_about->window()->isVisible());
        QTest::mouseClick(m_about->window()->windowHandle(), Qt::LeftButton, {}, QPoint(270, 145));
        QVERIFY(!m_about->isLoaded());
    }
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    QCOMPARE(m_answerer->count(), m_expected.boxes);
    m_main.reset();
    m_about.reset();

    const long long endMemory = residentBytes();
    qInfo("%d actions in %.1f s: %.0f actions/s; %d message boxes answered", m_actions,
          static_cast<double>(elapsed) / 1000.0, m_actions * 1000.0 / static_cast<double>(elapsed),
          m_expected.boxes);
    qInfo("conversions: %d complete, %d not a number, %d out of range, %d on an empty input, %d "
          "with an unknown scale; %d scale picks, %d pastes, About opened %d times",
          m_tally.converted, m_tally.notANumber, m_tally.outOfRange, m_tally.emptyInput,
          m_tally.unknownScale, m_tally.picks, m_tally.pastes, m_tally.aboutOpened);
    if (m_actions >= warmUpActions) {
        qInfo("resident memory after %d actions: %.1f MB, at the end: %.1f MB (%+.1f MB)",
              warmUpActions, static_cast<double>(warmMemory) / 1048576.0,
              static_cast<double>(endMemory) / 1048576.0,
              static_cast<double>(endMemory - warmMemory) / 1048576.0);
        QVERIFY2(
            !residentMemoryMeansGrowth || endMemory - warmMemory <= allowedGrowthBytes,
            qPrintable(
                QStringLiteral("resident memory grew by %1 bytes").arg(endMemory - warmMemory)));
    }
}

void tst_RandomSession::act() {
    if (m_expected.aboutOpen && m_dice.chance(0.08)) {
        closeAbout();
        return;
    }
    if (m_dice.below(1000) < 6) {
        openAbout();
        return;
    }
    if (!ensureMainActive()) {
        m_actionError = QStringLiteral("the main window cannot be activated");
        return;
    }
    if (m_expected.focus == Focus::Scale)
        actOnScale();
    else
        actOnInput();
}

void tst_RandomSession::actOnInput() {
    // A long input is mostly cleared soon, as a user who pasted too much would; keystrokes on it
    // still happen now and then.
    const std::size_t length = m_expected.input.size();
    if ((length > 2000 && m_dice.chance(0.5)) || (length > 200 && m_dice.chance(0.2))) {
        clearInput();
        return;
    }
    int roll = m_dice.below(1000);
    const auto take = [&roll](int weight) {
        roll -= weight;
        return roll < 0;
    };
    if (take(300))
        typeAccepted(static_cast<char>('0' + m_dice.below(10)));
    else if (take(25))
        typeAccepted('.');
    else if (take(50))
        typeRefused();
    else if (take(90))
        backspace();
    else if (take(40))
        deleteForward();
    else if (take(150))
        moveCursor();
    else if (take(90))
        pasteShort();
    else if (take(12))
        pasteLong();
    else if (take(2))
        pasteHuge(m_dice.between(1024, hugePasteMax));
    else if (take(10))
        shiftInsert();
    else if (take(20))
        clickInput();
    else if (take(35))
        pickFromList();
    else if (take(30))
        goToScale();
    else
        typeAccepted(static_cast<char>('0' + m_dice.below(10)));
}

void tst_RandomSession::actOnScale() {
    const int roll = m_dice.below(100);
    if (roll < 45)
        editScale();
    else if (roll < 70)
        keyPick(m_dice.chance(0.5));
    else if (roll < 78)
        pickFromList();
    else if (roll < 82)
        enterInScale();
    else
        returnToInput();
}

void tst_RandomSession::typeKey(QWidget* target, const Key& key) {
    QTest::sendKeyEvent(QTest::Click, target, key.key, QString::fromUtf8(key.text), key.modifiers);
}

void tst_RandomSession::typeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(target, static_cast<char>(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), {});
    }
}

void tst_RandomSession::typeAccepted(char c) {
    note(QStringLiteral("type '%1'").arg(QLatin1Char(c)));
    insertIntoInput(std::string(1, c));
    convert();
    QTest::keyClick(m_text1, c);
}

void tst_RandomSession::typeRefused() {
    const Key& key = m_dice.pick(refusedKeys);
    note(QStringLiteral("type refused U+%1")
             .arg(QString::fromUtf8(key.text).front().unicode(), 4, 16, QLatin1Char('0')));
    ++m_expected.boxes;
    typeKey(m_text1, key);
}

void tst_RandomSession::backspace() {
    note(QStringLiteral("Backspace"));
    if (m_expected.hasSelection()) {
        removeFromInput(m_expected.selectionStart(),
                        m_expected.selectionEnd() - m_expected.selectionStart());
        convert();
    } else if (m_expected.cursor > 0) {
        removeFromInput(m_expected.cursor - 1, 1);
        convert();
    }
    QTest::keyClick(m_text1, Qt::Key_Backspace);
}

void tst_RandomSession::deleteForward() {
    note(QStringLiteral("Delete"));
    if (m_expected.hasSelection()) {
        removeFromInput(m_expected.selectionStart(),
                        m_expected.selectionEnd() - m_expected.selectionStart());
        convert();
    } else if (m_expected.cursor < static_cast<qsizetype>(m_expected.input.size())) {
        removeFromInput(m_expected.cursor, 1);
        convert();
    }
    QTest::keyClick(m_text1, Qt::Key_Delete);
}

void tst_RandomSession::moveCursor() {
    const auto length = static_cast<qsizetype>(m_expected.input.size());
    Expected& e = m_expected;
    const bool select = m_dice.chance(0.4);
    const Qt::KeyboardModifiers modifiers = select ? Qt::ShiftModifier : Qt::NoModifier;
    qsizetype target = 0;
    Qt::Key key = Qt::Key_unknown;
    switch (m_dice.below(4)) {
    case 0:
        key = Qt::Key_Left;
        // With or without a selection, the step is from the cursor (the selection just goes,
        // as the platform's keyboard scheme has it here).
        target = std::max<qsizetype>(0, e.cursor - 1);
        break;
    case 1:
        key = Qt::Key_Right;
        target = std::min(length, e.cursor + 1);
        break;
    case 2:
        key = Qt::Key_Home;
        target = 0;
        break;
    default:
        key = Qt::Key_End;
        target = length;
        break;
    }
    note(QStringLiteral("%1%2").arg(select ? QStringLiteral("Shift+") : QString(),
                                    QKeySequence(key).toString()));
    e.cursor = target;
    if (!select)
        e.anchor = target;
    QTest::keyClick(m_text1, key, modifiers);
}

void tst_RandomSession::paste(const QString& text, const QString& what) {
    note(QStringLiteral("paste %1 %2").arg(what, shortened(text)));
    const Expected& e = m_expected;
    const qsizetype kept = qsizetype(e.input.size()) - (e.selectionEnd() - e.selectionStart());
    const bool fits = kept + text.size() <= ui::Form1::maxInputLength;
    std::string accepted;
    accepted.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        if (isAccepted(c))
            accepted += static_cast<char>(c.unicode());
    }
    if (!fits || accepted.size() != static_cast<std::size_t>(text.size()))
        ++m_expected.boxes;          // one report for the whole paste
    if (fits && !accepted.empty()) { // one that does not fit is refused whole
        insertIntoInput(accepted);
        convert();
    }
    m_expected.clipboard = text;
    ++m_tally.pastes;
    QGuiApplication::clipboard()->setText(text);
    m_text1->paste(); // what the context menu's Paste does
}

void tst_RandomSession::pasteShort() {
    QString text;
    const int length = m_dice.between(1, 12);
    const int kind = m_dice.below(100);
    for (int i = 0; i < length; ++i) {
        if (kind < 6 || (kind < 30 && m_dice.chance(0.2)))
            text += QString::fromUtf8(m_dice.pick(refusedInPaste));
        else if (m_dice.chance(0.06))
            text += QLatin1Char('.');
        else
            text += QChar(u'0' + m_dice.below(10));
    }
    paste(text, QStringLiteral("short"));
}

// Numerals near and beyond the range of a double, and long fractions.
void tst_RandomSession::pasteLong() {
    QString text;
    const int length = m_dice.between(290, 420);
    switch (m_dice.below(3)) {
    case 0: // an integer part that may pass 1.8E+308
        text += QChar(u'1' + m_dice.below(9));
        for (int i = 1; i < length; ++i)
            text += QChar(u'0' + m_dice.below(10));
        break;
    case 1: // a long integer part with a fraction
        for (int i = 0; i < length; ++i)
            text += QChar(u'0' + m_dice.below(10));
        text.insert(m_dice.between(0, static_cast<int>(text.size())), QLatin1Char('.'));
        break;
    default: // a tiny fraction, down to below the smallest double
        text = QStringLiteral("0.") + QString(m_dice.between(280, 400), QLatin1Char('0'));
        text += QChar(u'1' + m_dice.below(9));
        break;
    }
    if (m_dice.chance(0.1))
        text.insert(m_dice.between(0, static_cast<int>(text.size())),
                    QString::fromUtf8(m_dice.pick(refusedInPaste)));
    paste(text, QStringLiteral("long"));
}

void tst_RandomSession::pasteHuge(int size) {
    if (!ensureMainActive()) {
        m_actionError = QStringLiteral("the main window cannot be activated");
        return;
    }
    if (m_expected.focus == Focus::Scale)
        returnToInput(); // a paste needs the input focused; part of the same action
    QString text;
    text.reserve(size);
    for (int i = 0; i < size; ++i)
        text += QChar(u'0' + m_dice.below(10));
    if (m_dice.chance(0.3))
        text[m_dice.below(size)] = QLatin1Char('.');
    if (m_dice.chance(0.2))
        text[m_dice.below(size)] = QLatin1Char('x');
    paste(text, QStringLiteral("huge"));
}

// Shift+Insert pastes what the clipboard holds from the last paste.
void tst_RandomSession::shiftInsert() {
    if (m_expected.clipboard.isEmpty() || m_expected.clipboard.size() > 1000) {
        pasteShort();
        return;
    }
    const QString text = m_expected.clipboard;
    note(QStringLiteral("Shift+Insert"));
    std::string accepted;
    for (const QChar c : text) {
        if (isAccepted(c))
            accepted += static_cast<char>(c.unicode());
    }
    if (accepted.size() != static_cast<std::size_t>(text.size()))
        ++m_expected.boxes;
    if (!accepted.empty()) {
        insertIntoInput(accepted);
        convert();
    }
    QTest::keyClick(m_text1, Qt::Key_Insert, Qt::ShiftModifier);
}

// End, Shift+Home, Backspace: the whole input selected and removed.
void tst_RandomSession::clearInput() {
    note(QStringLiteral("clear the input"));
    QTest::keyClick(m_text1, Qt::Key_End);
    QTest::keyClick(m_text1, Qt::Key_Home, Qt::ShiftModifier);
    const bool hadText = !m_expected.input.empty();
    m_expected.input.clear();
    m_expected.cursor = m_expected.anchor = 0;
    if (hadText)
        convert();
    QTest::keyClick(m_text1, Qt::Key_Backspace);
}

// A click into the input puts the cursor under the mouse.
void tst_RandomSession::clickInput() {
    const QPoint at(m_dice.between(3, m_text1->width() - 4), m_text1->height() / 2);
    const qsizetype position = m_text1->cursorPositionAt(at);
    note(QStringLiteral("click in the input at x=%1 (position %2)").arg(at.x()).arg(position));
    m_expected.cursor = m_expected.anchor = position;
    m_expected.focus = Focus::Input;
    QTest::mouseClick(m_text1, Qt::LeftButton, {}, at);
}

// Opens the list and clicks an entry, as a user picks a scale.
void tst_RandomSession::pickFromList() {
    const int row = m_dice.below(3);
    note(QStringLiteral("pick %1 from the list").arg(QLatin1String(scaleNames[row])));
    m_expected.scaleIndex = row;
    m_expected.scaleText = QLatin1String(scaleNames[row]);
    m_expected.scaleAllSelected = false;
    ++m_tally.picks;
    convert();
    // The first time the list opens, Qt gives its view the focus with a plain focus change, and
    // the input loses its selection; later the view already holds the popup's focus and the
    // selection stays. Either way the focus comes back to where it was.
    if (!m_expected.listOpened)
        leaveInput();
    m_expected.listOpened = true;

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

// Tab from the input through the two output boxes to the scale field, which selects its text.
void tst_RandomSession::goToScale() {
    if (m_dice.chance(0.6)) {
        note(QStringLiteral("Tab x3 to the scale"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        m_expected.scaleAllSelected = true;
    } else {
        note(QStringLiteral("click into the scale field"));
        QTest::mouseClick(m_field, Qt::LeftButton, {}, m_field->rect().center());
        m_expected.scaleAllSelected = false;
    }
    leaveInput();
    m_expected.focus = Focus::Scale;
}

// Tab from the scale field through the Kelvin box back to the input, which selects its text.
void tst_RandomSession::returnToInput() {
    note(QStringLiteral("Tab x2 to the input"));
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    m_expected.focus = Focus::Input;
    m_expected.anchor = 0;
    m_expected.cursor = static_cast<qsizetype>(m_expected.input.size());
}

void tst_RandomSession::editScale() {
    Expected& e = m_expected;
    switch (m_dice.below(4)) {
    case 0: { // replace the whole text
        const QString text = QString::fromUtf8(m_dice.pick(scaleTexts));
        note(QStringLiteral("Ctrl+A, type \"%1\" in the scale").arg(text));
        QTest::keyClick(m_field, Qt::Key_A, Qt::ControlModifier);
        typeText(m_field, text);
        e.scaleText = text;
        break;
    }
    case 1: { // type over the selection left by Tab, or at the cursor after a click
        const QString text = QString::fromUtf8(m_dice.pick(scaleTexts));
        if (!e.scaleAllSelected) {
            note(QStringLiteral("End, type \"%1\" in the scale").arg(text));
            QTest::keyClick(m_field, Qt::Key_End);
            e.scaleText += text;
        } else {
            note(QStringLiteral("type \"%1\" over the scale").arg(text));
            e.scaleText = text;
        }
        typeText(m_field, text);
        break;
    }
    case 2: { // complete or spoil the name
        const QString tail = QString::fromUtf8(m_dice.pick(scaleTails));
        note(QStringLiteral("End, type \"%1\" in the scale").arg(tail));
        QTest::keyClick(m_field, Qt::Key_End);
        typeText(m_field, tail);
        e.scaleText += tail;
        break;
    }
    default: { // take some off the end
        const int count = m_dice.between(1, 4);
        note(QStringLiteral("End, Backspace x%1 in the scale").arg(count));
        QTest::keyClick(m_field, Qt::Key_End);
        for (int i = 0; i < count; ++i)
            QTest::keyClick(m_field, Qt::Key_Backspace);
        e.scaleText.chop(std::min<qsizetype>(count, e.scaleText.size()));
        break;
    }
    }
    e.scaleAllSelected = false;
}

// Up and Down in the scale field step through the list; a step is a pick, and the list does not
// wrap round. The step starts from the entry last picked, whatever has been typed since.
void tst_RandomSession::keyPick(bool down) {
    note(down ? QStringLiteral("Down in the scale") : QStringLiteral("Up in the scale"));
    const int next = m_expected.scaleIndex + (down ? 1 : -1);
    if (next >= 0 && next < 3) {
        m_expected.scaleIndex = next;
        m_expected.scaleText = QLatin1String(scaleNames[next]);
        m_expected.scaleAllSelected = false;
        ++m_tally.picks;
        convert();
    }
    QTest::keyClick(m_field, down ? Qt::Key_Down : Qt::Key_Up);
}

// Enter in the field is not a pick, even when the text names a scale.
void tst_RandomSession::enterInScale() {
    note(QStringLiteral("Enter in the scale"));
    typeKey(m_field, {Qt::Key_Return, "\r", {}});
    m_expected.scaleAllSelected = false;
}

void tst_RandomSession::openAbout() {
    note(QStringLiteral("click About"));
    m_expected.aboutOpen = true;
    ++m_tally.aboutOpened;
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
    m_expected.aboutOpen = false;
    QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {}, at);
}

void tst_RandomSession::insertIntoInput(const std::string& accepted) {
    Expected& e = m_expected;
    if (e.hasSelection())
        removeFromInput(e.selectionStart(), e.selectionEnd() - e.selectionStart());
    e.input.insert(static_cast<std::size_t>(e.cursor), accepted);
    e.cursor += static_cast<qsizetype>(accepted.size());
    e.anchor = e.cursor;
}

void tst_RandomSession::removeFromInput(qsizetype from, qsizetype count) {
    Expected& e = m_expected;
    e.input.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(count));
    e.cursor = e.anchor = from;
}

// A change of the input or a pick runs one conversion: an empty input or an unknown scale name
// leaves the boxes alone, and a run that completes clears the invalid mark.
void tst_RandomSession::convert() {
    Expected& e = m_expected;
    if (e.input.empty()) {
        e.problem = Problem::None;
        ++m_tally.emptyInput;
        return;
    }
    e.problem = runModel(e.input, e.scaleText.toStdString(), e.outputs);
    const bool known =
        std::any_of(std::begin(scaleNames), std::end(scaleNames),
                    [&e](const char* name) { return e.scaleText == QLatin1String(name); });
    ++(e.problem == Problem::NotANumber   ? m_tally.notANumber
       : e.problem == Problem::OutOfRange ? m_tally.outOfRange
       : known                            ? m_tally.converted
                                          : m_tally.unknownScale);
}

// Focus leaving the input for another control of the window drops its selection.
void tst_RandomSession::leaveInput() {
    if (m_expected.focus == Focus::Input)
        m_expected.anchor = m_expected.cursor;
}

bool tst_RandomSession::ensureMainActive() {
    if (m_form->isActiveWindow())
        return true;
    m_form->activateWindow(); // the user clicks the main window to bring it forward
    return processUntil([this] { return m_form->isActiveWindow(); });
}

// Lets queued work finish: a paste reports its refused characters once it has been applied.
void tst_RandomSession::settle() {
    QCoreApplication::processEvents();
    processUntil([this] { return m_answerer->count() >= m_expected.boxes; });
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::optional<QString> tst_RandomSession::mismatch() const {
    const Expected& e = m_expected;
    const auto differ = [](const char* what, const QString& expected, const QString& actual) {
        return QStringLiteral("%1: expected %2, got %3")
            .arg(QLatin1String(what), shortened(expected), shortened(actual));
    };
    const QString input =
        QString::fromLatin1(e.input.data(), static_cast<qsizetype>(e.input.size()));
    if (m_text1->text() != input)
        return differ("Text1", input, m_text1->text());
    static const char* const boxNames[] = {"Text2", "Text3", "Text4"};
    for (int i = 0; i < 3; ++i) {
        const QString expected = QString::fromUtf8(e.outputs[static_cast<std::size_t>(i)]);
        if (m_outputs[i]->text() != expected)
            return QStringLiteral("%1 (input %2, scale \"%3\")")
                .arg(differ(boxNames[i], expected, m_outputs[i]->text()), shortened(input),
                     m_combo->currentText());
    }
    const bool invalid = m_text1->property("invalid").toBool();
    if (invalid != (e.problem != Problem::None))
        return QStringLiteral("Text1 invalid mark: expected %1, got %2 (input %3, tip \"%4\")")
            .arg(e.problem != Problem::None)
            .arg(invalid)
            .arg(shortened(input), m_text1->toolTip());
    const QString tip = m_text1->toolTip();
    const bool tipRight =
        e.problem == Problem::None ? tip == QStringLiteral("Please enter the value to convert")
        : e.problem == Problem::NotANumber ? tip.startsWith(QStringLiteral("Not a number"))
                                           : tip.startsWith(QStringLiteral("Out of range"));
    if (!tipRight)
        return QStringLiteral("Text1 tooltip \"%1\" does not fit the problem %2 (input %3)")
            .arg(tip)
            .arg(static_cast<int>(e.problem))
            .arg(shortened(input));
    if (m_text1->cursorPosition() != e.cursor)
        return QStringLiteral("Text1 cursor: expected %1, got %2")
            .arg(e.cursor)
            .arg(m_text1->cursorPosition());
    const qsizetype selectionStart = e.hasSelection() ? e.selectionStart() : -1;
    if (m_text1->selectionStart() != selectionStart ||
        m_text1->selectionLength() != e.selectionEnd() - e.selectionStart())
        return QStringLiteral("Text1 selection: expected %1+%2, got %3+%4")
            .arg(selectionStart)
            .arg(e.selectionEnd() - e.selectionStart())
            .arg(m_text1->selectionStart())
            .arg(m_text1->selectionLength());
    if (m_combo->currentText() != e.scaleText || m_combo->currentIndex() != e.scaleIndex)
        return QStringLiteral("scale: expected \"%1\" (entry %2), got \"%3\" (entry %4)")
            .arg(e.scaleText)
            .arg(e.scaleIndex)
            .arg(m_combo->currentText())
            .arg(m_combo->currentIndex());
    if (m_combo->count() != 3)
        return QStringLiteral("the scale list has %1 entries").arg(m_combo->count());
    if (m_answerer->count() != e.boxes)
        return QStringLiteral("message boxes: expected %1, got %2")
            .arg(e.boxes)
            .arg(m_answerer->count());
    if (!m_answerer->oddBox().isEmpty())
        return QStringLiteral("unexpected message box: %1").arg(m_answerer->oddBox());
    if (m_about->isLoaded() != e.aboutOpen)
        return QStringLiteral("About window loaded: expected %1").arg(e.aboutOpen);
    if (m_form->isActiveWindow()) {
        // The scale box holds the focus on behalf of its field.
        QWidget* expectedFocus = e.focus == Focus::Input ? static_cast<QWidget*>(m_text1) : m_combo;
        QWidget* focus = QApplication::focusWidget();
        if (focus == m_field)
            focus = m_combo;
        if (focus != expectedFocus)
            return QStringLiteral("focus: expected %1, got %2")
                .arg(expectedFocus->objectName(), QApplication::focusWidget()
                                                      ? QApplication::focusWidget()->objectName()
                                                      : QStringLiteral("nothing"));
    }
    QStringList visible;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            visible << QString::fromLatin1(window->metaObject()->className());
    }
    visible.sort();
    const QStringList expectedWindows =
        e.aboutOpen ? QStringList{QStringLiteral("ui::Form1"), QStringLiteral("ui::Form2")}
                    : QStringList{QStringLiteral("ui::Form1")};
    if (visible != expectedWindows)
        return QStringLiteral("visible windows: %1").arg(visible.join(QStringLiteral(", ")));
    return std::nullopt;
}

QString tst_RandomSession::history() const {
    QString text = QStringLiteral("last actions:");
    for (const QString& line : m_log)
        text += QStringLiteral("\n  ") + line;
    return text;
}

// The seed and the number of actions come from the command line; the rest goes to QTest.
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    std::uint64_t seed = 1;
    int actions = defaultActions;
    QStringList testArguments;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if ((argument == QLatin1String("--seed") || argument == QLatin1String("--actions")) &&
            i + 1 < arguments.size()) {
            bool ok = false;
            if (argument == QLatin1String("--seed"))
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
