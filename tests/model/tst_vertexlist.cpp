#include "canvas.h"
#include "model/paintpath.h"
#include "model/paintpolygon.h"
#include "model/vertexlist.h"
#include "support/testapp.h"

#include <QtTest>

#include <limits>

using namespace canvas;

using Vertices = VertexList;
Q_DECLARE_METATYPE(Vertices)

// Paths and polygons read, bound and list their vertices through the same code; every case runs
// for both kinds.
class TestVertexList : public QObject
{
    Q_OBJECT

    static const Vertices& verticesOf(const paintObject& object)
    {
        if (const auto* path = dynamic_cast<const paintPath*>(&object))
            return path->vertices;
        return dynamic_cast<const paintPolygon&>(object).vertices;
    }

private slots:
    void init() { testapp::resetApplication(); }

    void countsAndPairs_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("record");
        QTest::addColumn<Vertices>("vertices");
        QTest::addColumn<QString>("colorName");
        QTest::addColumn<QString>("properties");
        for (const char* kind : {"path", "polygon"}) {
            const auto row = [kind](const char* name, const char* record) -> QTestData& {
                return QTest::addRow("%s: %s", kind, name) << QString(kind) << QString(record);
            };
            row("complete", " 2 0 0 1 2 blue w 3") << Vertices{{0, 0}, {1, 2}} << "blue"
                                                   << "w=3";
            // Only whole pairs are kept; the failed read takes colour and properties with it.
            row("count beyond the numbers", " 3 1 2 3 4 5 red w 1")
                << Vertices{{1, 2}, {3, 4}} << ""
                << "";
            row("malformed y", " 2 1 2 3 y red") << Vertices{{1, 2}} << ""
                                                 << "";
            row("two billion on a short line", " 2000000000 1 2 3 4 red")
                << Vertices{{1, 2}, {3, 4}} << ""
                << "";
            row("zero count", " 0 red w 3") << Vertices{} << "red"
                                            << "w=3";
            row("negative count", " -3 red w 3") << Vertices{} << "red"
                                                 << "w=3";
            row("missing count", "") << Vertices{} << ""
                                     << "";
            row("malformed count", " x 1 2 red") << Vertices{} << ""
                                                 << "";
        }
    }
    void countsAndPairs()
    {
        QFETCH(QString, kind);
        QFETCH(QString, record);
        QFETCH(Vertices, vertices);
        QFETCH(QString, colorName);
        QFETCH(QString, properties);
        ViewerApp::instance()->lineWidth = 5;
        const auto object = create(qPrintable(kind), qPrintable(record));
        QCOMPARE(verticesOf(*object), vertices);
        // Room is never reserved beyond what the record's text could hold.
        QVERIFY(verticesOf(*object).capacity() <= static_cast<std::size_t>(record.size()));
        QCOMPARE(QString::fromStdString(object->colorName), colorName);
        QCOMPARE(object->propertiesText(), properties);
        if (!vertices.empty())
            return;
        // Without vertices the box stays empty, so that fit-to-view ignores the object; texts
        // and anchor fall back to zeros and nothing is drawn.
        QCOMPARE(object->minX, std::numeric_limits<double>::max());
        QCOMPARE(object->maxY, -std::numeric_limits<double>::max());
        QCOMPARE(object->anchorPoint(), QPointF(0, 0));
        QVERIFY(object->briefText().startsWith("0.000000 0.000000\n"));
        QVERIFY(object->briefText().endsWith("\n0.000000 0.000000"));
        QCOMPARE(object->description(),
                 QString("%1\n%2\n").arg(kind == "path" ? "Path" : "Polygon", properties));
        QCOMPARE(paintedBox(render(*object)), QRect());
    }

    void boundsSpanEveryVertex_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QRectF>("bounds");
        for (const char* kind : {"path", "polygon"}) {
            QTest::addRow("%s: one vertex", kind)
                << QString(kind) << " 1 7 8 red" << QRectF(QPointF(7, 8), QPointF(7, 8));
            // The first vertex holds no extreme, so the box cannot just keep it.
            QTest::addRow("%s: spread", kind) << QString(kind) << " 4 3 -1 -2 5 4 0 1 1 red"
                                              << QRectF(QPointF(-2, -1), QPointF(4, 5));
        }
    }
    void boundsSpanEveryVertex()
    {
        QFETCH(QString, kind);
        QFETCH(QString, record);
        QFETCH(QRectF, bounds);
        QCOMPARE(boundsOf(*create(qPrintable(kind), qPrintable(record))), bounds);
    }

    // Vertex lines are not written by QString::asprintf, for speed, but must read as it writes
    // them; Qt rounds a value halfway between two texts away from zero and prints no sign on
    // a negative zero or a NaN.
    void vertexLineReadsAsPrintf_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double max = std::numeric_limits<double>::max();
        const double denormal = std::numeric_limits<double>::denorm_min();
        QTest::newRow("one-digit index") << 7 << 1.5 << -2.25;
        QTest::newRow("seven-digit index") << 1234567 << 0.1 << 1e6;
        QTest::newRow("halfway below one") << 0 << 0.0078125 << -0.0078125;
        QTest::newRow("halfway above one") << 0 << 1.0078125 << -2.9921875;
        QTest::newRow("halfway below 2^46") << 0 << 0x1p45 + 0x1p-7 << -(0x1p45 + 0x1p-7);
        QTest::newRow("beyond 2^46") << 0 << 0x1p46 + 0x1p-6 << 0x1p52 + 1;
        QTest::newRow("near halves") << 0 << 0.0000005 << 0.0000015;
        QTest::newRow("zeros") << 0 << -0.0 << 0.0;
        QTest::newRow("tiny negatives") << 0 << -1e-9 << -denormal;
        QTest::newRow("denormal and least normal") << 0 << denormal << 2.2250738585072014e-308;
        QTest::newRow("huge") << 0 << 1e300 << -max;
        QTest::newRow("infinities") << 0 << inf << -inf;
        QTest::newRow("NaNs") << 0 << nan << -nan;
    }
    void vertexLineReadsAsPrintf()
    {
        QFETCH(int, index);
        QFETCH(double, x);
        QFETCH(double, y);
        QString line = QStringLiteral("before ");
        appendVertexLine(line, index, QPointF(x, y));
        QCOMPARE(line, QStringLiteral("before ") + QString::asprintf("[%2d] %f %f", index, x, y));
    }

    // Every multiple of 2^-7 is either exact at six decimals or halfway; tenths are neither.
    void vertexLinesReadAsPrintfAcrossGrids()
    {
        constexpr int kSteps = 20000;
        for (int step = -kSteps; step <= kSteps; ++step) {
            const QPointF vertex(step / 128.0, step * 0.1);
            QString line;
            appendVertexLine(line, step, vertex);
            QCOMPARE(line, QString::asprintf("[%2d] %f %f", step, vertex.x(), vertex.y()));
        }
    }
};

QTEST_MAIN(TestVertexList)
#include "tst_vertexlist.moc"
