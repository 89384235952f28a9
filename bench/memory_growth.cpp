// SPDX-License-Identifier: MIT
// Resident memory of the real main window over a long stretch of use: refused keys with their
// messages, trimmed and huge pastes, conversions that fail, picks, and the About window opened
// and closed. After a warm-up that already shows the biggest texts, memory must stay flat; a
// leak per message, paste or window shows as growth. Offscreen, run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_memory_growth [rounds]
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
#include <QTest>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <unistd.h>

namespace {

constexpr long long allowedGrowthBytes = 8LL * 1024 * 1024;

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

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(200, std::atoi(argv[1])) : 4000;
    const int warmUp = rounds / 20;
    ModalCloser closer;
    platform::qt::Runtime runtime(argv[0]);
    ui::Program program(runtime);
    program.start();
    QWidget& form = *mainWindow();
    if (!QTest::qWaitForWindowActive(&form))
        qFatal("the main window never came up");

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
