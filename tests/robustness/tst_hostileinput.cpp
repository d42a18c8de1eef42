// Files that other programs write badly, cut short or corrupt: each must load to a defined
// model, in bounded memory, and leave everything that reads the model working.
#include "hostile.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QDir>
#include <QListWidget>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr qint64 k100MB = 100LL << 20;

QByteArray randomBytes(quint32 seed, qsizetype size)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QByteArray manyPropertyPairs(int count)
{
    QByteArray record = "endheader\npt 1 2 red 0";
    for (int i = 0; i < count; ++i)
        record += " p" + QByteArray::number(i) + ' ' + QByteArray::number(i);
    return record + '\n';
}

// Loads the file as "Open Script Input" would.
void loadFile(const QString& path)
{
    ViewerApp::instance()->commands.openFile(path);
    testapp::waitForLoad();
}

std::size_t objectCount()
{
    return DrawingModel::instance()->objects.size();
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }
    void longInputsLoadInBoundedMemory_data();
    void longInputsLoadInBoundedMemory();
    void corruptRecordsLoadToADefinedModel_data();
    void corruptRecordsLoadToADefinedModel();
    void directoryNamedLikeAnInputLoadsNothing();
    void pipeNamedLikeAnInputIsNotWaitedOn();
    void fileWithoutReadPermissionLoadsNothing();
    void fileRemovedBeforeItsLoadLoadsNothing();
};

void TestHostileInput::longInputsLoadInBoundedMemory_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("fill");
    QTest::addColumn<qint64>("fillCount");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<int>("comments");
    QTest::addColumn<int>("properties");
    // Growth of the peak resident set allowed for loading, MiB.
    QTest::addColumn<qint64>("maxGrowthMB");
    const QByteArray point = "pt 1 2 red 0\n";
    QTest::newRow("100 MB word in the body") << QByteArray("endheader\n") << QByteArray("x")
                                             << k100MB << '\n' + point << 0 << 0 << qint64(400);
    QTest::newRow("100 MB remark in the header")
        << QByteArray() << QByteArray("x") << k100MB << "\nendheader\n" + point << 0 << 0
        << qint64(400);
    QTest::newRow("100 MB of blanks inside a record")
        << QByteArray("endheader\npt 1 2") << QByteArray(" ") << k100MB << QByteArray(" red 0\n")
        << 0 << 0 << qint64(400);
    QTest::newRow("100 MB of line feeds")
        << QByteArray("endheader") << QByteArray("\n") << k100MB << point << 0 << 0 << qint64(64);
    QTest::newRow("a comment of a million #")
        << QByteArray("endheader\npt 1 2 red 0 //") << QByteArray("#") << qint64(1000000)
        << QByteArray("\n") << 1000001 << 0 << qint64(128);
    QTest::newRow("ten thousand property pairs")
        << manyPropertyPairs(10000) << QByteArray() << qint64(0) << QByteArray() << 0 << 10000
        << qint64(64);
}

void TestHostileInput::longInputsLoadInBoundedMemory()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, fill);
    QFETCH(qint64, fillCount);
    QFETCH(QByteArray, tail);
    QFETCH(int, comments);
    QFETCH(int, properties);
    QFETCH(qint64, maxGrowthMB);
    const QString path = QDir::current().filePath(QStringLiteral("long.las"));
    hostile::writeRepeated(path, head, fill, fillCount, tail);

    const qint64 before = hostile::restartPeakRss();
    loadFile(path);
    const qint64 growthMB = (hostile::peakRss() - before) >> 10;
    QFile::remove(path);
    QVERIFY2(growthMB <= maxGrowthMB, qPrintable(QStringLiteral("%1 MiB").arg(growthMB)));

    QCOMPARE(objectCount(), std::size_t(1));
    const paintObject* object = DrawingModel::instance()->objects.front();
    QCOMPARE(object->anchorPoint(), QPointF(1, 2));
    QCOMPARE(object->colorName, std::string("red"));
    QCOMPARE(object->comments.size(), comments);
    QCOMPARE(object->properties.size(), properties);
    hostile::exerciseLoadedModel();
    hostile::verifyViewIsFinite();
}

void TestHostileInput::corruptRecordsLoadToADefinedModel_data()
{
    QTest::addColumn<QByteArray>("text");
    // -1: any number of objects, as long as loading and everything after it works.
    QTest::addColumn<int>("objects");
    QTest::addColumn<QPointF>("firstAnchor");
    static const char withNuls[] = "endheader\npt 1\0 2 red 0\npt\0 3 4 red 0\n\0\0\0\n"
                                   "line 0 0 1 1 red\0\n";
    QTest::newRow("NUL bytes") << QByteArray(withNuls, sizeof withNuls - 1) << 2 << QPointF(1, 0);
    QTest::newRow("binary garbage after the header")
        << "endheader\n" + randomBytes(7, 1 << 20) << -1 << QPointF();
    QTest::newRow("binary garbage from the start") << randomBytes(8, 1 << 20) << -1 << QPointF();
    QTest::newRow("garbage between records")
        << "endheader\npt 5 6 red 0\n" + randomBytes(9, 4096) + "\nline 0 0 1 1 red\n"
        << -1 << QPointF(5, 6);
    QTest::newRow("vertex count of INT_MAX")
        << QByteArray("endheader\npath 2147483647 0 0 1 1 red\npolygon 2147483647 5 5 navy\n") << 2
        << QPointF(1, 1);
    QTest::newRow("vertex counts beyond int")
        << QByteArray("endheader\npath 99999999999 0 0 1 1 red\npath -2147483648 3 3 red\n") << 2
        << QPointF();
    QTest::newRow("marker code of INT_MAX")
        << QByteArray("endheader\npt 3 4 red 2147483647\n") << 1 << QPointF(3, 4);
    QTest::newRow("coordinates at the ends of double")
        << QByteArray("endheader\npt 1e308 -1e308 red 0\nline -1e308 -1e308 1e308 1e308 red\n"
                      "circle 1e308 1e308 1e308 red\nrect -1e308 -1e308 1e308 1e308 red\n"
                      "path 2 -1.7e308 0 1.7e308 0 red\npolygon 3 1e308 1e308 -1e308 0 0 0 red\n")
        << 6 << QPointF(1e308, -1e308);
    QTest::newRow("nan, inf and overflowing numbers")
        << QByteArray("endheader\npt nan inf red 0\npt inf 1 red 0\npt 1e999 2 red 0\n"
                      "circle 0 0 nan red\nline nan nan 1 1 red\n")
        << 5 << QPointF();
}

void TestHostileInput::corruptRecordsLoadToADefinedModel()
{
    QFETCH(QByteArray, text);
    QFETCH(int, objects);
    QFETCH(QPointF, firstAnchor);
    testapp::loadText(text);
    DrawingModel* model = DrawingModel::instance();
    std::size_t byType = 0;
    for (const char* type : {"pt", "line", "rect", "circle", "path", "polygon"})
        byType += model->objectsOfType(type).size();
    QCOMPARE(byType, objectCount());
    if (objects >= 0) {
        QCOMPARE(objectCount(), std::size_t(objects));
        QCOMPARE(model->objects.front()->anchorPoint(), firstAnchor);
    }
    hostile::exerciseLoadedModel();
    hostile::verifyViewIsFinite();
}

void TestHostileInput::directoryNamedLikeAnInputLoadsNothing()
{
    testapp::loadText("endheader\npt 1 2 red 0\n");
    QVERIFY(QDir::current().mkpath(QStringLiteral("x.las")));
    loadFile(QStringLiteral("x.las"));
    QCOMPARE(objectCount(), std::size_t(0));
    hostile::exerciseLoadedModel();
}

// Opening a pipe for reading waits for a writer, for ever here: the load must not open it so.
void TestHostileInput::pipeNamedLikeAnInputIsNotWaitedOn()
{
    testapp::loadText("endheader\npt 1 2 red 0\n");
    QFile::remove(QStringLiteral("pipe.las"));
    QCOMPARE(mkfifo("pipe.las", 0600), 0);
    loadFile(QStringLiteral("pipe.las"));
    QFile::remove(QStringLiteral("pipe.las"));
    QCOMPARE(objectCount(), std::size_t(0));
}

void TestHostileInput::fileWithoutReadPermissionLoadsNothing()
{
    const QString path = QStringLiteral("locked.las");
    testapp::writeFile(path, "endheader\npt 1 2 red 0\n");
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    loadFile(path);
    const std::size_t loaded = objectCount();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::remove(path);
    if (geteuid() == 0) {
        // Permissions do not stop root: the file was read like any other.
        QCOMPARE(loaded, std::size_t(1));
        QSKIP("running as root, which reads files without read permission");
    }
    QCOMPARE(loaded, std::size_t(0));
}

// Series stepping tests that the next file exists, then loads it; a writer may remove it in
// between. The load then finds no file.
void TestHostileInput::fileRemovedBeforeItsLoadLoadsNothing()
{
    testapp::writeFile(QStringLiteral("run.1.las"), "endheader\npt 1 2 red 0\n");
    testapp::writeFile(QStringLiteral("run.2.las"), "endheader\npt 3 4 red 0\nline 0 0 1 1 red\n");
    loadFile(QStringLiteral("run.1.las"));
    ViewerApp* app = ViewerApp::instance();
    app->commands.doListAnItemType("pt");
    QCOMPARE(objectCount(), std::size_t(1));

    QFile::remove(QStringLiteral("run.2.las"));
    app->fileName = "run.2.las";
    app->commands.doReload();
    QCOMPARE(objectCount(), std::size_t(0));
    QCOMPARE(app->itemList->count(), 0);
    hostile::exerciseLoadedModel();
    QFile::remove(QStringLiteral("run.1.las"));
}

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
