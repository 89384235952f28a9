// SPDX-License-Identifier: MIT
// Resident memory of the real main window over a long stretch of use: refused keys with their
// messages, trimmed and huge pastes, conversions that fail, picks, and the About window opened
// and closed. After a warm-up that already shows the biggest texts, memory must stay flat; a
// leak per message, paste or window shows as growth. Offscreen, run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_memory_growth [rounds]
// With "session" it measures a user's long session as the system sees it, allocator and all,
// best on a real X display (the test memory_session runs it on a private one):
//   QT_QPA_PLATFORM=xcb build/bench/bench_memory_growth [cycles] session
// Under AddressSanitizer resident memory says nothing (freed memory is held in quarantine);
// LeakSanitizer checks that build instead.
#include "ModalCloser.h"
#include "ProgramWindow.h"
#include "platform/qt/Runtime.h"
#include "ui/Program.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string_view>
#include <unistd.h>

namespace {

constexpr long long allowedGrowthBytes = 8LL * 1024 * 1024;
constexpr const char* ownClipboard = "clipboard";

// Resident memory as the system sees it, with whatever the allocator keeps.
long long rawResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Freed memory that the allocator keeps is handed back first, so that only memory in use counts.
long long residentBytes() {
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// One stretch of use; `round` varies the texts so that no two rounds are alike.
void useOnce(QWidget& form, int round) {
    auto* input = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* scales = form.findChild<QComboBox*>(QStringLiteral("Combo1"));
    input->setFocus();
    QTest::keyClicks(input, QString::number(round) + QStringLiteral(".5"));
    QTest::keyClick(input, 'x'); // refused: a message
    QGuiApplication::clipboard()->setText(QStringLiteral("1a2-3"));
    input->paste(); // trimmed: a message once it is applied
    settle();
    QGuiApplication::clipboard()->setText(QString(400 + round % 50, QLatin1Char('9')));
    input->paste(); // out of range
    scales->setFocus();
    QTest::keyClick(scales, round % 2 ? Qt::Key_Down : Qt::Key_Up); // a pick
    if (round % 10 == 0) {
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, QPoint(286, 250));
        QWidget* about = QApplication::activeWindow();
        if (about && about != &form)
            QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
        settle();
        form.activateWindow();
    }
    input->setFocus();
    // setText() also drops the edit's undo history, which QLineEdit (6.4) keeps without limit,
    // one entry per character, in any line edit; emptied by keys, 1000 rounds grow by 13 MB.
    input->setText(QString());
    settle();
}

void clickAbout(QWidget& form) {
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, QPoint(286, 250));
    settle();
    QWidget* about = programWindow("Form2");
    if (!about)
        qFatal("the About banner opened no About window");
    // Far from the opening click, which a double-click would otherwise continue.
    QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {}, QPoint(500, 40));
    settle();
}

// A bare top-level window of About's size, made, shown and destroyed: the toolkit's own cost.
void bareWindowOnce() {
    QWidget window;
    window.setFixedSize(542, 290);
    window.show();
    settle();
}

// Resident memory, as the system sees it, per cycle of `once` after a warm-up.
template <typename Once> double growthPerCycle(int cycles, Once once) {
    for (int i = 0; i < cycles / 4; ++i)
        once();
    const long long start = rawResidentBytes();
    for (int i = 0; i < cycles; ++i)
        once();
    return double(rawResidentBytes() - start) / cycles;
}

// Resident memory after a paste that the program refuses as too long, and before it (with a
// message shown once already, which loads what any message box needs).
std::pair<long long, long long> refusedPaste(QLineEdit& input) {
    input.setFocus();
    QTest::keyClick(&input, 'x');
    settle();
    // Another program owns the clipboard, as when the user copied elsewhere: on X11 the text then
    // comes over the window system, not as a copy within the program.
    QProcess owner;
    owner.start(QCoreApplication::applicationFilePath(), {QStringLiteral("0"), ownClipboard});
    if (!owner.waitForReadyRead(10'000))
        qFatal("the clipboard's owner never came up");
    const long long before = rawResidentBytes();
    QTest::keyClick(&input, Qt::Key_Insert, Qt::ShiftModifier);
    settle();
    owner.kill();
    owner.waitForFinished();
    return {before, rawResidentBytes()};
}

// A user's long session: About opened and closed, and a paste refused as too long, in memory as
// the system sees it, beside the same number of bare windows and where memory was before the
// paste. Fails when either leaves memory behind.
int longSession(QWidget& form, int cycles) {
    constexpr double allowedPerCycle = 512;          // bytes above a bare window's
    constexpr long long allowedAfterPaste = 2 << 20; // bytes above where it was
    const double about = growthPerCycle(cycles, [&form] { clickAbout(form); });
    const double bare = growthPerCycle(cycles, bareWindowOnce);
    std::printf("About opened and closed %d times: %+.2f kB a cycle (a bare window: %+.2f kB)\n",
                cycles, about / 1024, bare / 1024);
    form.activateWindow();
    const auto [before, after] = refusedPaste(*form.findChild<QLineEdit*>(QStringLiteral("Text1")));
    std::printf("A refused 10 MB paste: resident %.1f MB before, %.1f MB after (%+.1f MB)\n",
                double(before) / 1048576, double(after) / 1048576,
                double(after - before) / 1048576);
    return about - bare <= allowedPerCycle && after - before <= allowedAfterPaste ? 0 : 1;
}

// Owns the clipboard with 10 MB of digits until it is ended; says so on standard output.
int ownTheClipboard() {
    QGuiApplication::clipboard()->setText(QString(10'000'000, QLatin1Char('7')));
    std::puts("owner");
    std::fflush(stdout);
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc > 2 && std::string_view(argv[2]) == ownClipboard)
        return ownTheClipboard();
    const int rounds = argc > 1 ? std::max(200, std::atoi(argv[1])) : 4000;
    const int warmUp = rounds / 20;
    ModalCloser closer;
    platform::qt::Runtime runtime(argv[0]);
    ui::Program program(runtime);
    program.start();
    QWidget& form = *mainWindow();
    if (!QTest::qWaitForWindowActive(&form))
        qFatal("the main window never came up");

    if (argc > 2 && std::string_view(argv[2]) == "session") {
        return longSession(form, rounds);
    }

    // The biggest text first, so that the memory after the warm-up covers it.
    QGuiApplication::clipboard()->setText(QString(100 * 1024, QLatin1Char('7')));
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->paste();
    settle();
    long long warm = 0;
    for (int round = 0; round < rounds; ++round) {
        useOnce(form, round);
        if (round + 1 == warmUp)
            warm = residentBytes();
    }
    const long long end = residentBytes();
    std::printf("%d rounds, %lld messages: resident %.1f MB after %d rounds, %.1f MB at the end "
                "(%+.1f MB, allowed %+.1f MB)\n",
                rounds, static_cast<long long>(closer.count()), double(warm) / 1048576.0, warmUp,
                double(end) / 1048576.0, double(end - warm) / 1048576.0,
                double(allowedGrowthBytes) / 1048576.0);
    return end - warm <= allowedGrowthBytes ? 0 : 1;
}
