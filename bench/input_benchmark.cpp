// SPDX-License-Identifier: MIT
#include "platform/WindowHolder.h"
#include "resources/resources.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <array>
#include <benchmark/benchmark.h>
#include <limits>
#include <memory>

// Big input through the real main window on the offscreen platform: a megabyte of digits pasted
// into Text1, and one digit typed at the end of a 100,000-digit input. Each edit is timed until
// the window has repainted. Beside it, the same edit into a plain QLineEdit with no filter and no
// handler: what the toolkit itself costs.

namespace {

constexpr qsizetype kPastedDigits = qsizetype{1} << 20;
constexpr qsizetype kTypedDigits = 100'000;

const QString kDegree = QString(QChar(0x00b0));

QString Digits(qsizetype count) {
    QString digits(count, Qt::Uninitialized);
    for (qsizetype i = 0; i < count; ++i)
        digits[i] = QChar(u'1' + static_cast<char16_t>(i % 9));
    return digits;
}

// Where the edit happens and what must come of it.
class Subject {
public:
    virtual ~Subject() = default;
    virtual QLineEdit& input() = 0;
    // Empties every box, as at start.
    virtual void reset() = 0;
    // What is wrong with the window after input became text; empty when all is as it should be.
    virtual QString problem(const QString& text) = 0;
};

// The program's main window with a scale picked in Combo1.
class Converter : public Subject {
public:
    explicit Converter(const QString& scale)
        : m_form([this] { return std::make_unique<ui::Form1>(m_about); }) {
        ui::Form1& form = m_form.show();
        m_text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
        m_outputs = {form.findChild<QLineEdit*>(QStringLiteral("Text2")),
                     form.findChild<QLineEdit*>(QStringLiteral("Text3")),
                     form.findChild<QLineEdit*>(QStringLiteral("Text4"))};
        auto* combo = form.findChild<QComboBox*>(QStringLiteral("Combo1"));
        combo->setCurrentIndex(combo->findText(scale));
        m_echoed = scale == QLatin1String("Fahrenheit");
        if (!QTest::qWaitForWindowExposed(&form))
            qFatal("the main window never came up");
    }

    QLineEdit& input() override { return *m_text1; }

    void reset() override {
        m_text1->clear();
        for (QLineEdit* output : m_outputs)
            output->clear();
    }

    // Fahrenheit echoes the input into Text2 and then overflows; Celsius overflows at once.
    QString problem(const QString& text) override {
        if (m_text1->text() != text)
            return QStringLiteral("Text1 holds %1 characters").arg(m_text1->text().size());
        const QString text2 = m_echoed ? text + kDegree + QLatin1Char('F') : QString();
        if (m_outputs[0]->text() != text2)
            return QStringLiteral("Text2 holds %1 characters").arg(m_outputs[0]->text().size());
        if (!m_outputs[1]->text().isEmpty() || !m_outputs[2]->text().isEmpty())
            return QStringLiteral("Text3 or Text4 written");
        if (!m_text1->property("invalid").toBool())
            return QStringLiteral("no overflow cue on Text1");
        return {};
    }

private:
    platform::WindowHolder<ui::Form2> m_about;
    platform::WindowHolder<ui::Form1> m_form;
    QLineEdit* m_text1 = nullptr;
    std::array<QLineEdit*, 3> m_outputs{};
    bool m_echoed = false;
};

// A window of the same size with one QLineEdit where Text1 is, in the same font, unlimited in
// length like Text1, and nothing else.
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
        if (!QTest::qWaitForWindowExposed(&m_window))
            qFatal("the plain window never came up");
    }

    QLineEdit& input() override { return m_edit; }
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

// Ctrl+V of a megabyte of digits into the empty input: the whole text passes the input filter.
void BM_Paste1MiB(benchmark::State& state, const char* kind) {
    const std::unique_ptr<Subject> subject = MakeSubject(kind);
    const QString digits = Digits(kPastedDigits);
    QGuiApplication::clipboard()->setText(digits);
    for (auto _ : state) {
        state.PauseTiming();
        subject->reset();
        Settle();
        state.ResumeTiming();
        subject->input().paste();
        Settle();
    }
    if (const QString problem = subject->problem(digits); !problem.isEmpty())
        state.SkipWithError(qPrintable(problem));
    state.SetBytesProcessed(state.iterations() * kPastedDigits);
}

// One digit typed at the end of a 100,000-digit input.
void BM_Keystroke100k(benchmark::State& state, const char* kind) {
    const std::unique_ptr<Subject> subject = MakeSubject(kind);
    const QString digits = Digits(kTypedDigits);
    QLineEdit& input = subject->input();
    for (auto _ : state) {
        state.PauseTiming();
        input.setText(digits); // the cursor goes to the end
        Settle();
        state.ResumeTiming();
        QTest::keyClick(&input, Qt::Key_5);
        Settle();
    }
    if (const QString problem = subject->problem(digits + QLatin1Char('5')); !problem.isEmpty())
        state.SkipWithError(qPrintable(problem));
}

// Medians over repetitions: another process on the machine must not decide the figure.
void Configure(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(5)
        ->DisplayAggregatesOnly(true);
}

BENCHMARK_CAPTURE(BM_Paste1MiB, plain, "plain")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Paste1MiB, Celsius, "Celsius")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Paste1MiB, Fahrenheit, "Fahrenheit")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Keystroke100k, plain, "plain")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Keystroke100k, Celsius, "Celsius")->Apply(Configure);
BENCHMARK_CAPTURE(BM_Keystroke100k, Fahrenheit, "Fahrenheit")->Apply(Configure);

} // namespace

int main(int argc, char** argv) {
    // No display needed: the offscreen platform draws into memory as a screen would be drawn.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    resources::initialise();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
