#include "canvas.h"
#include "model/objectdescription.h"
#include "support/testapp.h"

#include <QtTest>

#include <algorithm>

using namespace canvas;

// The description box shows firstLines() and counts lineCount() without building the whole text;
// both must agree with that text for every kind and every way its properties and comments end.
class TestObjectDescription : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }

    void firstLinesAndCountMatchTheText_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("record");
        QTest::newRow("bare point") << "pt"
                                    << " 1 2 red 0";
        QTest::newRow("point with properties and comments") << "pt"
                                                            << " 1 2 red 5 b 2 a 1 // x#y";
        QTest::newRow("line with an empty comment") << "line"
                                                    << " 0 0 1 1 red //";
        QTest::newRow("rectangle with comments only") << "rect"
                                                      << " 0 0 1 1 red // one#two#";
        QTest::newRow("circle with a property only") << "circle"
                                                     << " 0 0 1 red w 3";
        QTest::newRow("path of twelve vertices")
            << "path"
            << " 12 0 0 1 0 2 0 3 0 4 0 5 0 6 0 7 0 8 0 9 0 10 0 11 0 red w 3 // end";
        QTest::newRow("polygon without vertices") << "polygon"
                                                  << " 0 red";
    }
    void firstLinesAndCountMatchTheText()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, record);
        const auto object = create(qPrintable(keyword), qPrintable(record));
        const ObjectDescription parts = object->describe();
        const QStringList lines = object->description().split(QLatin1Char('\n'));
        QCOMPARE(parts.lineCount(), lines.size());
        for (qsizetype count = 0; count <= lines.size() + 1; ++count)
            QCOMPARE(parts.firstLines(count),
                     lines.first(std::min(count, lines.size())).join(QLatin1Char('\n')));
    }
};

QTEST_MAIN(TestObjectDescription)
#include "tst_objectdescription.moc"
