// SPDX-License-Identifier: MIT
#include "design/pictures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs the generator into directory; returns its error output when it fails.
QString generate(const QString& directory) {
    QProcess generator;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    generator.setProcessEnvironment(environment);
    generator.start(QStringLiteral(VELMORA_ARTWORK_GENERATOR),
                    {QStringLiteral(VELMORA_BUNDLED_FONT), directory});
    if (!generator.waitForFinished(120000))
        return QStringLiteral("did not finish");
    if (generator.exitStatus() != QProcess::NormalExit || generator.exitCode() != 0)
        return QString::fromLocal8Bit(generator.readAllStandardError());
    return {};
}

QStringList filesBelow(const QString& directory) {
    QStringList files;
    QDirIterator it(directory, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(directory).relativeFilePath(it.next()));
    files.sort();
    return files;
}

} // namespace

class TestArtworkGenerator : public QObject {
    Q_OBJECT

private slots:
    void writesTheSameBytesEveryRun();
};

void TestArtworkGenerator::writesTheSameBytesEveryRun() {
    QTemporaryDir first;
    QTemporaryDir second;
    QVERIFY(first.isValid() && second.isValid());
    QCOMPARE(generate(first.path()), QString());
    QCOMPARE(generate(second.path()), QString());

    QStringList expected = {QStringLiteral("icons/velmora.ico")};
    for (const int size : design::pictures::iconSizes)
        expected.append(QStringLiteral("icons/velmora-%1.png").arg(size));
    for (const int size : design::pictures::windowIconSizes)
        expected.append(QStringLiteral("icons/velmora-%1.pixels").arg(size));
    for (const auto& picture : design::pictures::all) {
        const QLatin1String name(picture.name);
        expected.append(QStringLiteral("pictures/%1.png").arg(name));
        expected.append(QStringLiteral("pictures/%1.pixels").arg(name));
        expected.append(QStringLiteral("pictures/%1.packed").arg(name));
        expected.append(QStringLiteral("pictures/%1@2x.png").arg(name));
        expected.append(QStringLiteral("pictures/%1@2x.packed").arg(name));
    }
    expected.sort();
    QCOMPARE(filesBelow(first.path()), expected);
    QCOMPARE(filesBelow(second.path()), expected);

    for (const QString& name : expected) {
        QFile a(QDir(first.path()).filePath(name));
        QFile b(QDir(second.path()).filePath(name));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY2(a.readAll() == b.readAll(), qPrintable(name + QStringLiteral(" differs")));
    }
}

QTEST_GUILESS_MAIN(TestArtworkGenerator)
#include "tst_artworkgenerator.moc"
