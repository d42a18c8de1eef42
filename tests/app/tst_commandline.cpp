#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <QtTest>

// The viewer's command line, run as a user runs it. Without a platform variable and without a
// display, --help, --version, a mistyped option and --remote must still answer, and exit.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answersWithoutADisplay_data();
    void answersWithoutADisplay();
};

void TestCommandLine::answersWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("standardOutput");
    QTest::addColumn<QString>("standardError");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: "
                          << "";
    QTest::newRow("help lists version") << QStringList{"-h"} << 0 << "--version"
                                        << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "Vedra " VEDRA_VERSION "\n"
                             << "";
    QTest::newRow("version before a file")
        << QStringList{"--version", "some.las"} << 0 << "Vedra " VEDRA_VERSION << "";
    QTest::newRow("unknown option") << QStringList{"--colour", "some.las"} << 2 << ""
                                    << "Unknown option 'colour'";
    QTest::newRow("Qt option without its value") << QStringList{"-style"} << 2 << ""
                                                 << "Missing value after '-style'";
    QTest::newRow("remote with no window listening")
        << QStringList{"--remote", "goto", "-5", "3"} << 3 << ""
        << "no Vedra window is listening at ";
    QTest::newRow("a window without a display")
        << QStringList{"some.las"} << 1 << ""
        << "vedra: cannot open a window: no display (DISPLAY is not set)";
    QTest::newRow("remote without a request") << QStringList{"--remote"} << 2 << ""
                                              << "--remote needs a request";
    QTest::newRow("remote request of two lines")
        << QStringList{"--remote", "open", "a\nfit"} << 2 << ""
        << "--remote needs a request";
}

void TestCommandLine::answersWithoutADisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, standardOutput);
    QFETCH(QString, standardError);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    // Where no window listens.
    environment.insert(QStringLiteral("VEDRA_SOCKET"), QDir::current().filePath("none.sock"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VEDRA_PROGRAM), arguments);
    QVERIFY(process.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == exitCode, qPrintable(out + err));
    QVERIFY2(standardOutput.isEmpty() ? out.isEmpty() : out.contains(standardOutput),
             qPrintable(out));
    QVERIFY2(standardError.isEmpty() ? err.isEmpty() : err.contains(standardError),
             qPrintable(err));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
