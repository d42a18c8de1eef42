// The query language on its own: parsing, comparators, matching, evaluation order, and the
// drawing model's configuration (enabled types, property declarations).
#include "commands/qfunctionality.h"
#include "handlers/paintobjecthandler.h"
#include "model/drawingmodel.h"
#include "model/paintpoint.h"
#include "query/condition.h"
#include "query/doublecomparator.h"
#include "query/query.h"
#include "query/stringcomparator.h"
#include "support/testapp.h"

#include <QtTest>

#include <memory>

namespace
{

const QStringList kAllTypes = {"circle", "line", "path", "polygon", "pt", "rect"};

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Passes everything on to a string comparison and records each operand it is asked about, so
// that a test sees which conditions were evaluated.
class RecordingComparator : public StringComparator
{
public:
    explicit RecordingComparator(QStringList& log) : log(log) {}
    bool equal(const QString& value, const QString& operand) const override
    {
        log.append(operand);
        return StringComparator::equal(value, operand);
    }
    QStringList& log;
};

} // namespace

class TestQuery : public QObject
{
    Q_OBJECT

private slots:
    void conditionSplitsAtTheOperator_data();
    void conditionSplitsAtTheOperator();
    void parseQuery_data();
    void parseQuery();
    void comparators_data();
    void comparators();
    void conditionMatches_data();
    void conditionMatches();
    void evaluationStopsEarly();
    void readTypeUsing_data();
    void readTypeUsing();
    void declarePropertyKeepsLastComparatorKind();
};

void TestQuery::conditionSplitsAtTheOperator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("operand");
    QTest::newRow("equal") << "net==clk" << true << "net"
                           << "=="
                           << "clk";
    QTest::newRow("not equal") << "net!=clk" << true << "net"
                               << "!="
                               << "clk";
    QTest::newRow("number") << "w>=2.5" << true << "w"
                            << ">="
                            << "2.5";
    QTest::newRow("reversed") << "w=>2" << true << "w"
                              << "=>"
                              << "2";
    QTest::newRow("angle pair") << "a<>b" << true << "a"
                                << "<>"
                                << "b";
    QTest::newRow("long run") << "a<=<b" << true << "a"
                              << "<=<"
                              << "b";
    QTest::newRow("bang ends the run") << "x=!y" << true << "x"
                                       << "="
                                       << "!y";
    // Nothing names a property before the operator: no object could match it.
    QTest::newRow("leading bang") << "!net==1" << false << ""
                                  << ""
                                  << "";
    QTest::newRow("spaces dropped") << " n e t == c l k " << true << "net"
                                    << "=="
                                    << "clk";
    QTest::newRow("blank operand") << "net== " << true << "net"
                                   << "=="
                                   << "";
    QTest::newRow("tab kept") << "a\t==\tb" << true << "a\t"
                              << "=="
                              << "\tb";
    QTest::newRow("nothing after") << "net==" << false << ""
                                   << ""
                                   << "";
    QTest::newRow("run reaches end") << "a==>" << false << ""
                                     << ""
                                     << "";
    QTest::newRow("single op at end") << "net=" << false << ""
                                      << ""
                                      << "";
    QTest::newRow("no operator") << "net" << false << ""
                                 << ""
                                 << "";
    QTest::newRow("empty") << "" << false << ""
                           << ""
                           << "";
}

void TestQuery::conditionSplitsAtTheOperator()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const Condition condition(text);
    QCOMPARE(condition.valid, valid);
    if (!valid)
        return;
    QTEST(condition.property, "property");
    QTEST(condition.op, "op");
    QTEST(condition.operand, "operand");
}

// The singleton model of this program reads no config.ini, so all six types are enabled.
void TestQuery::parseQuery_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("type");
    // Conditions per conjunction, up to the first condition that isn't valid; empty when the
    // text gives no query at all.
    QTest::addColumn<QList<int>>("shape");
    QTest::addColumn<bool>("wellFormed");
    QTest::newRow("plain") << "pt:net==clk"
                           << "pt" << QList<int>{1} << true;
    QTest::newRow("and binds tighter") << "pt:a==1&&b==2||c==3"
                                       << "pt" << QList<int>{2, 1} << true;
    QTest::newRow("spaced") << " p t : net == c l k"
                            << "pt" << QList<int>{1} << true;
    QTest::newRow("single equals") << "pt:net=clk"
                                   << "pt" << QList<int>{1} << true;
    QTest::newRow("blank operand") << "pt:net== "
                                   << "pt" << QList<int>{1} << true;
    QTest::newRow("meaningless ops") << "rect:a=>1||b<>2"
                                     << "rect" << QList<int>{1, 1} << true;
    QTest::newRow("third bar") << "pt:a==1|||b==2"
                               << "pt" << QList<int>{1, 1} << true;
    QTest::newRow("third ampersand") << "pt:a==1&&&b==2"
                                     << "pt" << QList<int>{2} << true;
    QTest::newRow("nothing after colon") << "pt:"
                                         << "pt" << QList<int>{1} << false;
    QTest::newRow("trailing or") << "pt:net==clk||"
                                 << "pt" << QList<int>{1, 1} << false;
    QTest::newRow("leading and") << "pt:&&net==clk"
                                 << "pt" << QList<int>{1} << false;
    QTest::newRow("long run of bars")
        << "pt:a==1" + QString(1000000, QLatin1Char('|')) << "pt" << QList<int>{1, 1} << false;
    QTest::newRow("long run of ampersands")
        << "pt:a==1" + QString(1000000, QLatin1Char('&')) << "pt" << QList<int>{2} << false;
    QTest::newRow("no operator") << "pt:net"
                                 << "pt" << QList<int>{1} << false;
    QTest::newRow("no operand") << "pt:net=="
                                << "pt" << QList<int>{1} << false;
    QTest::newRow("no colon") << "net==clk"
                              << "" << QList<int>{} << false;
    QTest::newRow("two colons") << "pt:net==a:b"
                                << "" << QList<int>{} << false;
    QTest::newRow("upper case type") << "PT:net==clk"
                                     << "PT" << QList<int>{} << false;
    QTest::newRow("tab in type") << "p\tt:net==clk"
                                 << "p\tt" << QList<int>{} << false;
    QTest::newRow("unknown type") << "hexagon:net==clk"
                                  << "hexagon" << QList<int>{} << false;
    QTest::newRow("empty type") << " :net==clk"
                                << "" << QList<int>{} << false;
}

void TestQuery::parseQuery()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, shape);
    QFunctionality commands;
    QString type;
    const std::unique_ptr<Query> query = commands.parseQuery(text, type);
    QCOMPARE(query != nullptr, !shape.isEmpty());
    if (!query)
        return;
    QTEST(type, "type");
    QList<int> actual;
    for (const Conjunction& conjunction : query->conjunctions)
        actual.append(int(conjunction.conditions.size()));
    QCOMPARE(actual, shape);
    QTEST(query->isWellFormed(), "wellFormed");
}

void TestQuery::comparators_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("operand");
    // Expected results of equal, greater and less, in that order.
    QTest::addColumn<QList<bool>>("expected");
    QTest::newRow("within tolerance") << "double"
                                      << "2.5"
                                      << "2.50000001" << QList{true, false, false};
    QTest::newRow("just outside") << "double"
                                  << "0.1"
                                  << "0.1000002" << QList{false, false, true};
    QTest::newRow("close below") << "double"
                                 << "3"
                                 << "2.99999995" << QList{true, false, false};
    QTest::newRow("close above") << "double"
                                 << "1"
                                 << "1.00000001" << QList{true, false, false};
    QTest::newRow("tiny opposite signs") << "double"
                                         << "1e-8"
                                         << "-1e-8" << QList{true, false, false};
    QTest::newRow("numeric not textual") << "double"
                                         << "10"
                                         << "9" << QList{false, true, false};
    QTest::newRow("word is zero") << "double"
                                  << "abc"
                                  << "0" << QList{true, false, false};
    QTest::newRow("word below one") << "double"
                                    << "abc"
                                    << "1" << QList{false, false, true};
    QTest::newRow("nan value") << "double"
                               << "nan"
                               << "1" << QList{false, false, false};
    QTest::newRow("nan both") << "double"
                              << "nan"
                              << "nan" << QList{false, false, false};
    QTest::newRow("same infinity") << "double"
                                   << "inf"
                                   << "1e999" << QList{true, false, false};
    QTest::newRow("infinity above the largest")
        << "double"
        << "inf"
        << "1.7976931348623157e308" << QList{false, true, false};
    QTest::newRow("opposite infinities") << "double"
                                         << "-inf"
                                         << "inf" << QList{false, false, true};
    QTest::newRow("textual not numeric") << "string"
                                         << "10"
                                         << "9" << QList{false, false, true};
    QTest::newRow("upper before lower") << "string"
                                        << "B"
                                        << "a" << QList{false, false, true};
    QTest::newRow("same text") << "string"
                               << "net"
                               << "net" << QList{true, false, false};
    QTest::newRow("case differs") << "string"
                                  << "net"
                                  << "Net" << QList{false, true, false};
    QTest::newRow("empty first") << "string"
                                 << ""
                                 << "a" << QList{false, false, true};
}

void TestQuery::comparators()
{
    QFETCH(QString, kind);
    QFETCH(QString, value);
    QFETCH(QString, operand);
    std::unique_ptr<Comparator> compare;
    if (kind == "double")
        compare = std::make_unique<DoubleComparator>();
    else
        compare = std::make_unique<StringComparator>();
    const QList<bool> actual = {compare->equal(value, operand), compare->greater(value, operand),
                                compare->less(value, operand)};
    QTEST(actual, "expected");
}

void TestQuery::conditionMatches_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<bool>("holds");
    // The object has w = 3 (double), net = clk (string) and count = 5 (no comparator).
    QTest::newRow(">= within tolerance") << "w>=2.99999995" << true;
    QTest::newRow("> within tolerance") << "w>2.99999995" << false;
    QTest::newRow("<= equal") << "w<=3" << true;
    QTest::newRow("<= above") << "w<=2" << false;
    QTest::newRow("< equal") << "w<3" << false;
    QTest::newRow("< below") << "w<3.5" << true;
    QTest::newRow("> below") << "w>2" << true;
    QTest::newRow("single =") << "w=3.00000001" << true;
    QTest::newRow("!= within tolerance") << "w!=3.00000001" << false;
    QTest::newRow("!= different") << "w!=4" << true;
    QTest::newRow("string ==") << "net==clk" << true;
    QTest::newRow("string case") << "net==Clk" << false;
    QTest::newRow("string >") << "net>ck" << true;
    QTest::newRow("=> never") << "w=>3" << false;
    QTest::newRow("<> never") << "w<>4" << false;
    QTest::newRow("bang alone never") << "w!3" << false;
    QTest::newRow("missing ==") << "size==0" << false;
    QTest::newRow("missing !=") << "size!=0" << false;
    QTest::newRow("no comparator ==") << "count==5" << false;
    QTest::newRow("no comparator !=") << "count!=6" << false;
}

void TestQuery::conditionMatches()
{
    QFETCH(QString, condition);
    paintPoint object;
    object.properties = {{"w", "3"}, {"net", "clk"}, {"count", "5"}};
    DrawingModel::ComparatorMap comparators;
    comparators["w"] = std::make_unique<DoubleComparator>();
    comparators["net"] = std::make_unique<StringComparator>();
    QVERIFY(Condition(condition).valid);
    QTEST(Query(condition).matches(object, comparators), "holds");
}

// A conjunction stops at its first false condition, a query at its first true conjunction.
void TestQuery::evaluationStopsEarly()
{
    QStringList asked;
    DrawingModel::ComparatorMap comparators;
    comparators["a"] = std::make_unique<RecordingComparator>(asked);
    paintPoint object;
    object.properties = {{"a", "1"}};

    QVERIFY(Query("a==2&&a==9||a==1&&a==1||a==7").matches(object, comparators));
    QCOMPARE(asked, QStringList({"2", "1", "1"}));

    asked.clear();
    QVERIFY(!Query("a==1&&a==3&&a==8||a==4").matches(object, comparators));
    QCOMPARE(asked, QStringList({"1", "3", "4"}));
}

void TestQuery::readTypeUsing_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QStringList>("inUse");
    QTest::addColumn<QStringList>("enabled");
    // A null config stands for a missing file.
    QTest::newRow("missing file") << QByteArray() << kAllTypes << kAllTypes;
    QTest::newRow("no typeusing") << QByteArray("10\n4 typeusing pt\n") << kAllTypes << kAllTypes;
    QTest::newRow("empty line") << QByteArray("10\ntypeusing\n4\n") << kAllTypes << kAllTypes;
    QTest::newRow("empty at end of file") << QByteArray("typeusing") << kAllTypes << kAllTypes;
    QTest::newRow("wrong case") << QByteArray("TypeUsing pt\n") << kAllTypes << kAllTypes;
    QTest::newRow("crlf empty line") << QByteArray("10\r\ntypeusing\r\n") << kAllTypes << kAllTypes;
    QTest::newRow("crlf") << QByteArray("10\r\ntypeusing pt line\r\n4\r\n")
                          << QStringList{"line", "pt"} << QStringList{"line", "pt"};
    QTest::newRow("remark") << QByteArray("typeusing line rect // pt too\n")
                            << QStringList{"line", "rect"} << QStringList{"line", "rect"};
    QTest::newRow("glued remark") << QByteArray("typeusing pt /circle path\n") << QStringList{"pt"}
                                  << QStringList{"pt"};
    QTest::newRow("unknown word") << QByteArray("typeusing hexagon pt\n")
                                  << QStringList{"hexagon", "pt"} << QStringList{"pt"};
    QTest::newRow("only blanks") << QByteArray("typeusing   \n") << QStringList{} << QStringList{};
    QTest::newRow("only remark") << QByteArray("typeusing // none\n") << QStringList{}
                                 << QStringList{};
    QTest::newRow("last line wins")
        << QByteArray("typeusing pt\n4\ntypeusing circle path") << QStringList{"circle", "path"}
        << QStringList{"circle", "path"};
    QTest::newRow("last empty line wins")
        << QByteArray("typeusing pt\ntypeusing\n") << kAllTypes << kAllTypes;
}

// Each row builds a model of its own; only objects of enabled types are added.
void TestQuery::readTypeUsing()
{
    QFETCH(QByteArray, config);
    QFETCH(QStringList, enabled);
    const QString path = QStringLiteral("types-%1.ini").arg(QTest::currentDataTag());
    QFile::remove(path);
    if (!config.isNull())
        testapp::writeFile(path, config);
    DrawingModel model(path.toStdString());

    QStringList inUse, handled;
    for (const std::string& type : model.typesInUse)
        inUse.append(QString::fromStdString(type));
    for (const auto& entry : model.handlers)
        handled.append(QString::fromStdString(entry.first));
    QTEST(sorted(inUse), "inUse");
    QCOMPARE(handled, enabled);

    for (const QString& type : kAllTypes)
        model.addObjectFromRecord(type.toStdString(), "0 0 1 1 2 2 red");
    QCOMPARE(model.objects.size(), std::size_t(enabled.size()));
    for (const QString& type : enabled)
        QCOMPARE(model.objectsByType.at(type.toStdString()).size(), std::size_t(1));
}

void TestQuery::declarePropertyKeepsLastComparatorKind()
{
    DrawingModel model("absent.ini");
    model.declareProperty("pt", "w", "double", "0");
    QVERIFY(dynamic_cast<DoubleComparator*>(model.comparators["pt"]["w"].get()));
    model.declareProperty("pt", "w", "string", "none");
    QVERIFY(dynamic_cast<StringComparator*>(model.comparators["pt"]["w"].get()));
    // Another kind replaces the default only.
    model.declareProperty("pt", "w", "int", "7");
    QVERIFY(dynamic_cast<StringComparator*>(model.comparators["pt"]["w"].get()));
    model.declareProperty("pt", "n", "int", "5");
    QCOMPARE(model.comparators["pt"].count("n"), std::size_t(0));
    QCOMPARE(model.propertyDefaults["pt"], (QMap<QString, QString>{{"w", "7"}, {"n", "5"}}));
}

QTEST_MAIN(TestQuery)
#include "tst_query.moc"
