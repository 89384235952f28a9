// SPDX-License-Identifier: MIT
#include "ProgramWindow.h"
#include "platform/qt/Runtime.h"
#include "resources/resources.h"
#include "ui/InputRules.h"
#include "ui/Program.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <limits>
#include <memory>
#include <unistd.h>

// Big input through the real main window on the offscreen platform, beside the same edit into a
// plain QLineEdit with no filter and no handler (what the toolkit itself costs), at 1 MiB and at
// 10 MB of digits: a paste into the empty input, one digit typed at the end of the longest input
// the box holds, and the processor time taken while the box sits with the focus after a paste
// (the cursor blinks). Each edit is timed until the window has repainted and any message box it
// brought up has been closed.

namespace {

constexpr qsizetype kMebibyte = qsizetype{1} << 20;
constexpr qsizetype kTenMegabytes = 10'000'000;

const QString kDegree = QString(QChar(0x00b0));

QString Digits(qsizetype count) {
    QString digits(count, Qt::Uninitialized);
    for (qsizetype i = 0; i < count; ++i)
        digits[i] = QChar(u'1' + static_cast<char16_t>(i % 9));
    return digits;
}

// Clicks OK on every modal box as soon as it is up, as a quick user would.
class BoxCloser : public QObject {
public:
    BoxCloser() { startTimer(1); }
    int closed() const { return m_closed; }

protected:
    void timerEvent(QTimerEvent*) override {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        ++m_closed;
        box->button(QMessageBox::Ok)->click();
    }

private:
    int m_closed = 0;
};

// Where the edit happens and what must come of it.
class Subject {
public:
    virtual ~Subject() = default;
    virtual QLineEdit& input() = 0;
    // The longest text the input takes.
    virtual qsizetype capacity() const = 0;
    // Empties every box, as at start.
    virtual void reset() = 0;
    // What is wrong with the window when the input should hold text; empty when all is as it
    // should be.
    virtual QString problem(const QString& text) = 0;
};

// The program's main window with a scale picked in Combo1.
class Converter : public Subject {
public:
    explicit Converter(const QString& scale) {
        m_program.start();
        QWidget& form = *mainWindow();
        m_text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
        m_outputs = {form.findChild<QLineEdit*>(QStringLiteral("Text2")),
                     form.findChild<QLineEdit*>(QStringLiteral("Text3")),
                     form.findChild<QLineEdit*>(QStringLiteral("Text4"))};
        auto* combo = form.findChild<QComboBox*>(QStringLiteral("Combo1"));
        combo->setCurrentIndex(combo->findText(scale));
        m_echoed = scale == QLatin1String("Fahrenheit");
        if (!QTest::qWaitForWindowActive(&form))
            qFatal("the main window never came up");
    }

    QLineEdit& input() override { return *m_text1; }
    qsizetype capacity() const override { return ui::input::maxLength; }

    void reset() override {
        m_text1->clear();
        for (QLineEdit* output : m_outputs)
            output->clear();
    }

    // Fahrenheit echoes the input into Text2 and then overflows; Celsius overflows at once. An
    // empty input converts nothing.
    QString problem(const QString& text) override {
        if (m_text1->text() != text)
            return QStringLiteral("Text1 holds %1 characters").arg(m_text1->text().size());
        const bool echoed = m_echoed && !text.isEmpty();
        const QString text2 = echoed ? text + kDegree + QLatin1Char('F') : QString();
        if (m_outputs[0]->text() != text2)
            return QStringLiteral("Text2 holds %1 characters").arg(m_outputs[0]->text().size());
        if (!m_outputs[1]->text().isEmpty() || !m_outputs[2]->text().isEmpty())
            return QStringLiteral("Text3 or Text4 written");
        // Any tooltip but the usual one is the overflow cue.
        const bool cue = m_text1->toolTip() != QLatin1String("Please enter the value to convert");
        if (cue == text.isEmpty())
            return QStringLiteral("wrong overflow cue on Text1");
        return {};
    }

private:
    platform::qt::Runtime m_runtime{"bench_input"};
    ui::Program m_program{m_runtime};
    QLineEdit* m_text1 = nullptr;
    std::array<QLineEdit*, 3> m_outputs{};
    bool m_echoed = false;
};

// A window of the same size with one QLineEdit where Text1 is, in the same font, unlimited in
// length, and nothing else.
class PlainEdit : public Subject {
public:
    PlainEdit() {
        m_window.setFixedSize(572, 287);
        m_edit.setGeometry(264, 72, 169, 27);
        m_edit.setMaxLength(std::numeric_limits<int>::max());
        QFont font(resources::textFontFamily());
        font.setPixelSize(16);
        m_edit.setFont(font);
        m_window.show();
        m_edit.setFocus();
        if (!QTest::qWaitForWindowActive(&m_window))
            qFatal("the plain window never came up");
    }

    QLineEdit& input() override { return m_edit; }
    qsizetype capacity() const override { return m_edit.maxLength(); }
    void reset() override { m_edit.clear(); }
    QString problem(const QString& text) override {
        return m_edit.text() == text
                   ? QString()
                   : QStringLiteral("the edit holds %1 characters").arg(m_edit.text().size());
    }

private:
    QWidget m_window;
    QLineEdit m_edit{&m_window};
};

std::unique_ptr<Subject> MakeSubject(const char* kind) {
    if (QLatin1String(kind) == QLatin1String("plain"))
        return std::make_unique<PlainEdit>();
    return std::make_unique<Converter>(QString::fromLatin1(kind));
}

void Settle() {
    QCoreApplication::processEvents();
}

// What a paste of `pasted` into the empty input leaves there: all of it, or, when it does not
// fit, nothing, after one message.
struct PasteOutcome {
    QString text;
    int messages;
};
PasteOutcome ExpectedPaste(const Subject& subject, const QString& pasted) {
    if (pasted.size() <= subject.capacity())
        return {pasted, 0};
    return {QString(), 1};
}

void Check(benchmark::State& state, Subject& subject, const PasteOutcome& expected, int messages) {
    QString problem = subject.problem(expected.text);
    if (problem.isEmpty() && messages != expected.messages)
        problem = QStringLiteral("%1 message boxes").arg(messages);
    if (!problem.isEmpty())
        state.SkipWithError(qPrintable(problem));
}

// A paste of range(0) digits (the context menu's Paste) into the empty input.
void BM_Paste(benchmark::State& state, const char* kind) {
    const std::unique_ptr<Subject> subject = MakeSubject(kind);
    const QString digits = Digits(state.range(0));
    QGuiApplication::clipboard()->setText(digits);
    const BoxCloser closer;
    for (auto _ : state) {
        state.PauseTiming();
        subject->reset();
        Settle();
        state.ResumeTiming();
        subject->input().paste();
        Settle();
    }
    Check(state, *subject, ExpectedPaste(*subject, digits),
          closer.closed() / static_cast<int>(state.iterations()));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// One digit typed at the end of an input of range(0) digits, or of the longest input the box
// takes if that is shorter.
void BM_Keystroke(benchmark::State& state, const char* kind) {
    const std::unique_ptr<Subject> subject = MakeSubject(kind);
    const QString digits = Digits(std::min<qsizetype>(state.range(0), subject->capacity()) - 1);
    QLineEdit& input = subject->input();
    for (auto _ : state) {
        state.PauseTiming();
        subject->reset();
        QGuiApplication::clipboard()->setText(digits);
        input.paste(); // the cursor goes to the end
        Settle();
        state.ResumeTiming();
        QTest::keyClick(&input, Qt::Key_5);
        Settle();
    }
    Check(state, *subject, {digits + QLatin1Char('5'), 0}, 0);
}

// What the process takes, in % of one core, while the window sits with the focus in the input
// for 3 s after a paste of range(0) digits, and what it then holds in memory. The third size is
// the longest input the program takes.
void BM_IdleAfterPaste(benchmark::State& state, const char* kind) {
    const std::unique_ptr<Subject> subject = MakeSubject(kind);
    const QString digits = Digits(state.range(0));
    QGuiApplication::clipboard()->setText(digits);
    const BoxCloser closer;
    double busy = 0;
    for (auto _ : state) {
        subject->reset();
        subject->input().paste();
        Settle();
        QElapsedTimer wall;
        wall.start();
        const std::clock_t start = std::clock();
        QTest::qWait(3000);
        busy = double(std::clock() - start) / CLOCKS_PER_SEC / (double(wall.elapsed()) / 1000);
        if (!subject->input().hasFocus())
            state.SkipWithError("the input lost the focus");
    }
    Check(state, *subject, ExpectedPaste(*subject, digits), closer.closed());
    state.counters["cpu%"] = 100 * busy;
    long size = 0;
    long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &size, &pages) != 2)
            pages = 0;
        std::fclose(statm);
    }
    state.counters["rssMB"] = double(pages) * double(sysconf(_SC_PAGESIZE)) / 1e6;
}

// Medians over repetitions: another process on the machine must not decide the figure.
void Configure(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Arg(kMebibyte)
        ->Arg(kTenMegabytes)
        ->Iterations(1)
        ->Repetitions(3)
        ->DisplayAggregatesOnly(true);
}

BENCHMARK_CAPTURE(BM_Paste, plain, "plain")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Paste, Celsius, "Celsius")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Paste, Fahrenheit, "Fahrenheit")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Keystroke, plain, "plain")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Keystroke, Celsius, "Celsius")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Keystroke, Fahrenheit, "Fahrenheit")->Apply(Configure);
BENCHMARK_CAPTURE(BM_IdleAfterPaste, plain, "plain")->Apply(Configure)->Arg(ui::input::maxLength);
BENCHMARK_CAPTURE(BM_IdleAfterPaste, Fahrenheit, "Fahrenheit")
    ->Apply(Configure)
    ->Arg(ui::input::maxLength);

} // namespace

int main(int argc, char** argv) {
    // No display needed: the offscreen platform draws into memory as a screen would be drawn.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
