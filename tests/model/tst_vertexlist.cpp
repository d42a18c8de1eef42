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
};

QTEST_MAIN(TestVertexList)
#include "tst_vertexlist.moc"
