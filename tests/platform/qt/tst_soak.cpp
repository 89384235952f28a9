// SPDX-License-Identifier: MIT
// A short seeded soak of the program on the real Qt windows, with the keys, pastes and picks a
// user makes. The program's decisions are tested at length on the fake runtime; this one checks
// that Qt delivers them: after each action the input holds only what may make up a number, the
// outputs are the model's for what the input and the scale field hold, and every refusal brought
// exactly one message box.
#include "ModalCloser.h"
#include "ProgramWindow.h"
#include "conversion_oracle.h"
#include "platform/qt/Runtime.h"
#include "ui/Program.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <array>
#include <optional>
#include <random>

class tst_Soak : public QObject {
    Q_OBJECT

private slots:
    void session();
};

void tst_Soak::session() {
    const QByteArray seedText = qgetenv("VELMORA_SOAK_SEED");
    const std::uint64_t seed = seedText.isEmpty() ? 12 : seedText.toULongLong();
    std::mt19937_64 dice(seed);
    const auto below = [&dice](int n) {
        return static_cast<int>(dice() % std::uint64_t(n));
    };

    platform::qt::Runtime runtime("tst_soak");
    ui::Program program(runtime);
    program.start();
    QWidget* main = mainWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    auto* input = main->findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* scale = main->findChild<QComboBox*>(QStringLiteral("Combo1"));
    const std::array<QLineEdit*, 3> outputs{main->findChild<QLineEdit*>(QStringLiteral("Text2")),
                                            main->findChild<QLineEdit*>(QStringLiteral("Text3")),
                                            main->findChild<QLineEdit*>(QStringLiteral("Text4"))};
    QVERIFY(input && scale && outputs[0] && outputs[1] && outputs[2]);
    ModalCloser closer;

    std::array<std::string, 3> expected;
    qsizetype refusals = 0;
    const char* const refusedKeys = "-+ ,eax";
    const QString pieces[] = {QStringLiteral("12"), QStringLiteral("."),  QStringLiteral("7a"),
                              QStringLiteral(" 3"), QStringLiteral("\b"), QStringLiteral("°9")};
    for (int action = 1; action <= 2000; ++action) {
        const QString before = input->text();
        QString what;
        const int roll = below(10);
        if (roll < 5) {
            const bool refused = below(4) == 0;
            const char key = refused ? refusedKeys[below(7)] : "0123456789."[below(11)];
            input->setFocus();
            QTest::keyClick(input, key);
            refusals += refused;
            what = QStringLiteral("key %1").arg(QLatin1Char(key));
        } else if (roll < 7) {
            QString text;
            for (int n = below(3); n >= 0; --n)
                text += pieces[below(6)];
            QGuiApplication::clipboard()->setText(text);
            input->paste();
            what = QStringLiteral("paste \"%1\"").arg(text);
            refusals += text.contains(QRegularExpression(QStringLiteral("[^0-9.]")));
        } else if (roll < 8) {
            input->setFocus();
            QTest::keyClick(input, Qt::Key_Backspace);
            what = QStringLiteral("backspace");
        } else {
            what = QStringLiteral("pick");
            scale->setFocus();
            QTest::keyClick(scale, below(2) ? Qt::Key_Down : Qt::Key_Up);
        }
        QCoreApplication::processEvents(); // a paste's insertion comes queued
        const QString why = QStringLiteral("seed %1, action %2 (%3), input \"%4\" -> \"%5\"")
                                .arg(seed)
                                .arg(action)
                                .arg(what, before, input->text());
        QTRY_VERIFY2(
            closer.count() == refusals,
            qPrintable(
                why +
                QStringLiteral(": %1 messages, %2 expected").arg(closer.count()).arg(refusals)));
        QVERIFY2(!input->text().contains(QRegularExpression(QStringLiteral("[^0-9.]"))),
                 qPrintable(why));
        const oracle::ModelRun run =
            oracle::ModelConvert(input->text().toStdString(), scale->currentText().toStdString());
        for (const oracle::ModelRun::Write& write : run.writes)
            expected[std::size_t(write.box)] = write.text;
        for (std::size_t box = 0; box < 3; ++box)
            QVERIFY2(outputs[box]->text().toStdString() == expected[box], qPrintable(why));
    }
}

QTEST_MAIN(tst_Soak)
#include "tst_soak.moc"
