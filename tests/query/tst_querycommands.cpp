// Queries from the window: the conditional pick dialog and the explorer's related searches.
#include "app/descriptionbox.h"
#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "commands/qwgtlistitemwithobj.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "query/doublecomparator.h"
#include "query/relatedsearchentry.h"
#include "query/runprogress.h"
#include "script/textfile.h"
#include "support/testapp.h"

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace
{

// Five points (the third with three related searches) and a line that would match as well if
// queries ignored the type.
const QByteArray kDrawing = "property pt net string none\n"
                            "property pt w double 0\n"
                            "endheader\n"
                            "pt 0 0 red 0 net clk\n"
                            "pt 1 0 red 0 net data w 0.5\n"
                            "pt 2 0 red 0 net clk !! pt:net==clk#bad#pt:w>1\n"
                            "pt 3 0 red 0\n"
                            "pt 4 0 red 0 net Clk w 2\n"
                            "line 0 0 1 1 red net clk\n";

const QString kUnusable = QStringLiteral("<b>wrong format, no such type, or no such property</b>");

// Compares as numbers and counts the texts it reads: the work a query does, whatever the clock.
class CountingComparator : public DoubleComparator
{
public:
    explicit CountingComparator(std::shared_ptr<std::size_t> reads) : reads(std::move(reads)) {}
    Reading read(const QString& text) const override
    {
        ++*reads;
        return DoubleComparator::read(text);
    }

private:
    std::shared_ptr<std::size_t> reads;
};

struct Warning {
    QString title;
    QString text;
};

// Whatever modal box is open now is recorded and closed.
void closeModal(Warning& seen)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.title = box->windowTitle();
        seen.text = box->text();
    } else {
        seen.title = QStringLiteral("unexpected ") + modal->metaObject()->className();
    }
    modal->close();
}

// Runs the conditional pick, answering its dialog with the text (or cancelling it), and returns
// the box shown afterwards, if any.
Warning conditionalPick(const QString& answer, bool accept = true)
{
    Warning seen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            closeModal(seen);
            return;
        }
        QTimer::singleShot(0, [&] { closeModal(seen); });
        dialog->setTextValue(answer);
        accept ? dialog->accept() : dialog->reject();
    });
    ViewerApp::instance()->conditionalPickAction->trigger();
    QCoreApplication::processEvents();
    return seen;
}

QList<paintObject*> listed()
{
    QList<paintObject*> objects;
    const QListWidget* list = ViewerApp::instance()->itemList;
    for (int row = 0; row < list->count(); ++row)
        objects.append(static_cast<QwgtListItemWithObj*>(list->item(row))->object);
    return objects;
}

QList<paintObject*> picked()
{
    const auto& list = ViewerApp::instance()->pickedList;
    return QList<paintObject*>(list.begin(), list.end());
}

// The points at the given load positions.
QList<paintObject*> points(const QList<int>& indices)
{
    QList<paintObject*> objects;
    for (int index : indices)
        objects.append(DrawingModel::instance()->objectsOfType("pt").at(std::size_t(index)));
    return objects;
}

QList<paintObject*> highlighted()
{
    QList<paintObject*> objects;
    for (paintObject* object : DrawingModel::instance()->objects)
        if (object->highlighted)
            objects.append(object);
    return objects;
}

void pressRow(QListWidget* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

// A click followed by the double-click event, as a window system delivers them.
void doubleClickRow(QListWidget* list, int row)
{
    pressRow(list, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualItemRect(list->item(row)).center());
}

} // namespace

class TestQueryCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        testapp::resetApplication();
        testapp::loadText(kDrawing);
    }
    void conditionalPickListsMatches_data();
    void conditionalPickListsMatches();
    void unusableOrCancelledPickChangesNothing_data();
    void unusableOrCancelledPickChangesNothing();
    void relatedSearches();
    void longQueriesFinishOrCancel_data();
    void longQueriesFinishOrCancel();
    void recentQueriesAreOfferedNewestFirst();
};

void TestQueryCommands::conditionalPickListsMatches_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("string equal") << "pt:net==clk" << QList<int>{0, 2};
    QTest::newRow("spaced") << "pt : net == c l k" << QList<int>{0, 2};
    QTest::newRow("declared default") << "pt:net==none" << QList<int>{3};
    QTest::newRow("not equal") << "pt:net!=clk" << QList<int>{1, 3, 4};
    QTest::newRow("or of numbers") << "pt:w>1||w>0&&w<1" << QList<int>{1, 4};
    QTest::newRow("default number") << "pt:w==0" << QList<int>{0, 2, 3};
    QTest::newRow("undeclared property") << "pt:colour==red" << QList<int>{};
    QTest::newRow("false condition before an undeclared property")
        << "pt:net==none&&colour==red" << QList<int>{};
    QTest::newRow("missing property fails != after a true condition")
        << "pt:net!=clk&&colour!=red" << QList<int>{};
    QTest::newRow("true conjunction before a meaningless operator")
        << "pt:net==clk||w<>1" << QList<int>{0, 2};
    QTest::newRow("a condition after 32,760 blanks")
        << "pt:w>1" + QString(32760, QLatin1Char(' ')) + "||net==clk" << QList<int>{0, 2, 4};
    QTest::newRow("one property in several conditions")
        << "pt:w>0&&w<1||w>=2&&net==Clk||w==0.5" << QList<int>{1, 4};
}

// The second run must rebuild the list although "picked" is listed already, and hidden points
// are picked like visible ones.
void TestQueryCommands::conditionalPickListsMatches()
{
    QFETCH(QString, query);
    QFETCH(QList<int>, expected);
    ViewerApp* app = ViewerApp::instance();
    for (int run = 0; run < 2; ++run) {
        if (run == 1) {
            DrawingModel::instance()->setTypeVisible("pt", 0);
            app->commands.clearItemList(app->itemList);
        }
        const Warning warning = conditionalPick(query);
        QCOMPARE(warning.title, QString());
        QCOMPARE(picked(), points(expected));
        QCOMPARE(listed(), points(expected));
        QCOMPARE(app->listedName, std::string("picked"));
    }
}

void TestQueryCommands::unusableOrCancelledPickChangesNothing_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("accept");
    QTest::newRow("cancelled") << "pt:net==data" << false;
    QTest::newRow("no colon") << "net==clk" << true;
    QTest::newRow("two colons") << "pt:net==a:b" << true;
    QTest::newRow("nothing after colon") << "pt:" << true;
    QTest::newRow("trailing or") << "pt:net==clk||" << true;
    QTest::newRow("leading and") << "pt:&&net==clk" << true;
    QTest::newRow("no operator") << "pt:net" << true;
    QTest::newRow("no operand") << "pt:net==" << true;
    QTest::newRow("no property name") << "pt:==clk" << true;
    QTest::newRow("false condition before an unusable one") << "pt:net==nothing&&w" << true;
    QTest::newRow("true conjunction before an unusable one") << "pt:net==clk||w" << true;
    QTest::newRow("upper case type") << "PT:net==clk" << true;
    QTest::newRow("tab in type") << "p\tt:net==clk" << true;
}

void TestQueryCommands::unusableOrCancelledPickChangesNothing()
{
    QFETCH(QString, query);
    QFETCH(bool, accept);
    ViewerApp* app = ViewerApp::instance();
    QCOMPARE(conditionalPick("pt:w>1").title, QString());
    const QList<paintObject*> before = points({4});
    QCOMPARE(picked(), before);

    const Warning warning = conditionalPick(query, accept);
    if (accept) {
        QCOMPARE(warning.title, QStringLiteral("Warning"));
        QCOMPARE(warning.text, kUnusable);
    } else {
        QCOMPARE(warning.title, QString());
    }
    QCOMPARE(picked(), before);
    QCOMPARE(listed(), before);
    QCOMPARE(app->listedName, std::string("picked"));
}

void TestQueryCommands::relatedSearches()
{
    ViewerApp* app = ViewerApp::instance();
    QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow));
    QListWidget* related = app->relatedList;
    app->commands.doListAnItemType("pt");
    pressRow(app->itemList, 2);
    QCOMPARE(related->count(), 3);
    QCOMPARE(related->item(1)->text(), QStringLiteral("bad"));

    // Timers tied to the guard are dropped if a failed check leaves before they fire.
    QObject guard;
    Warning unexpected;
    QTimer::singleShot(0, &guard, [&] { closeModal(unexpected); });
    app->pickedList = {DrawingModel::instance()->objects.back()};
    pressRow(related, 0);
    QCOMPARE(highlighted(), points({0, 2}));
    QVERIFY(app->pickedList.empty());

    pressRow(related, 2);
    QCOMPARE(highlighted(), points({4}));
    // A row change to none leaves the highlight alone.
    related->setCurrentRow(-1);
    QCOMPARE(highlighted(), points({4}));
    pressRow(related, 1);
    QVERIFY(highlighted().isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(unexpected.title, QString());

    QTimer::singleShot(0, &guard, [&] { closeModal(unexpected); });
    doubleClickRow(related, 0);
    QCoreApplication::processEvents();
    QCOMPARE(unexpected.title, QString());
    QCOMPARE(picked(), points({0, 2}));
    QCOMPARE(listed(), points({0, 2}));
    QCOMPARE(app->listedName, std::string("picked"));

    // Expanding an unusable search warns like the conditional pick.
    related->clear();
    related->addItem(QStringLiteral("pt:w>"));
    QTimer::singleShot(0, &guard, [&] { closeModal(unexpected); });
    doubleClickRow(related, 0);
    QCOMPARE(unexpected.text, kUnusable);
    QCOMPARE(picked(), points({0, 2}));

    // A new listing takes the searches and the description of the object before with it.
    app->commands.doListAnItemType("pt");
    pressRow(app->itemList, 2);
    pressRow(related, 0);
    QCOMPARE(highlighted(), points({0, 2}));
    app->commands.doListAnItemType("line");
    QCOMPARE(related->count(), 0);
    QVERIFY(app->itemText->toPlainText().isEmpty());
    QVERIFY(highlighted().isEmpty());
}

void TestQueryCommands::longQueriesFinishOrCancel_data()
{
    QTest::addColumn<int>("conditions");
    QTest::addColumn<bool>("highlight");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("pick") << 2000 << false << false;
    QTest::newRow("highlight") << 2000 << true << false;
    QTest::newRow("cancelled pick") << 100000 << false << true;
    QTest::newRow("cancelled highlight") << 100000 << true << true;
    // With no quiet time, Cancel stops the reading of the query before every operand is read.
    QTest::newRow("cancelled while read") << 1000000 << true << true;
}

// A related search of thousands of conditions over 100,000 points, where only the last condition
// holds (for every tenth point): a short one finishes quickly, a long one shows its progress and
// stops at Cancel, leaving the pick, the list and the highlights as they were.
void TestQueryCommands::longQueriesFinishOrCancel()
{
    QFETCH(int, conditions);
    QFETCH(bool, highlight);
    QFETCH(bool, cancel);
    QByteArray drawing = "property pt w double 0\nendheader\n";
    for (int i = 0; i < 100000; ++i)
        drawing += "pt 0 0 red 0 w " + QByteArray::number(i % 10) + '\n';
    testapp::loadText(drawing);
    const auto reads = std::make_shared<std::size_t>(0);
    DrawingModel::instance()->comparators["pt"]["w"] = std::make_unique<CountingComparator>(reads);
    ViewerApp* app = ViewerApp::instance();
    app->pickedList = {points({3}).first()};
    app->commands.doListPicked();
    DrawingModel::instance()->setHighlighted(points({5}).first(), true);
    QString query = QStringLiteral("pt:");
    for (int i = 1; i < conditions; ++i)
        query += QStringLiteral("w==-%1||").arg(i);
    query += QStringLiteral("w==7");
    QListWidget* related = app->relatedList;
    related->clear();
    RelatedSearchEntry::append(related, query);
    QListWidgetItem* entry = related->item(0);
    // The entry shows the search shortened; the whole of it is run.
    QCOMPARE(entry->text(), query.left(RelatedSearchEntry::kShownCharacters) +
                                QString("… (%1 characters)").arg(query.size()));
    entry->setSelected(true);

    QTimer canceller;
    connect(&canceller, &QTimer::timeout, this, [app] {
        const auto* progress = app->mainWindow->findChild<QProgressDialog*>();
        if (progress && progress->isVisible())
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    });
    const qint64 quiet = RunProgress::quietMilliseconds();
    if (conditions > 100000)
        RunProgress::setQuietMilliseconds(0);
    if (cancel)
        canceller.start(20);
    if (highlight)
        app->commands.doHighlightItemRelatedSearch(entry);
    else
        app->commands.doExpandRelatedSearch(entry);
    // Each operand is read once and each point's value once (reading every operand per point
    // took 73 s for the short query); a cancelled search reads no more than a whole one.
    const std::size_t whole = std::size_t(conditions) + 100000;
    RunProgress::setQuietMilliseconds(quiet);
    if (conditions > 100000)
        QVERIFY2(*reads < std::size_t(conditions), qPrintable(QString::number(*reads)));
    else if (cancel)
        QVERIFY2(*reads <= whole, qPrintable(QString::number(*reads)));
    else
        QCOMPARE(*reads, whole);

    QList<int> everyTenth;
    for (int i = 7; i < 100000; i += 10)
        everyTenth << i;
    const QList<paintObject*> matches = points(everyTenth);
    QCOMPARE(picked(), cancel ? points({3}) : highlight ? QList<paintObject*>() : matches);
    QCOMPARE(listed(), cancel || highlight ? points({3}) : matches);
    QCOMPARE(highlighted(), cancel || !highlight ? points({5}) : matches);
}

// Accepted queries are offered again, newest first and once each; a cancelled one is not, and
// the field starts empty, wide enough to show a query of a few conditions whole.
void TestQueryCommands::recentQueriesAreOfferedNewestFirst()
{
    conditionalPick(QStringLiteral("pt:net==a1"));
    conditionalPick(QStringLiteral("rect:w>2"));
    conditionalPick(QStringLiteral("pt:net==a1"));
    conditionalPick(QStringLiteral("pt:net==cancelled"), false);
    QStringList offered;
    QString startText = QStringLiteral("not seen");
    int spare = -1;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        offered = dialog->comboBoxItems();
        startText = dialog->textValue();
        const auto* field = dialog->findChild<QComboBox*>();
        const QString query = QStringLiteral("path:net==clock_tree_17 && layer==3 && width>0.25");
        if (field)
            spare = field->width() - field->fontMetrics().horizontalAdvance(query);
        dialog->reject();
    });
    ViewerApp::instance()->conditionalPickAction->trigger();
    QCOMPARE(offered.mid(0, 2), (QStringList{"pt:net==a1", "rect:w>2"}));
    QCOMPARE(offered.count(QStringLiteral("pt:net==a1")), 1);
    QVERIFY(!offered.contains(QStringLiteral("pt:net==cancelled")));
    QCOMPARE(startText, QString());
    QVERIFY2(spare > 0, qPrintable(QString::number(spare)));

    // As many of the longest queries remembered as are kept, each character one that the settings
    // write at their longest (a control character, "\x1f"), leave the settings within what is read
    // back: nothing is lost.
    const QString open =
        QFileInfo(QString::fromStdString(ViewerApp::instance()->fileName)).absoluteFilePath();
    RememberedState::addRecentFile(open);
    for (int i = 0; i < RememberedState::kMaxRecentQueries; ++i)
        RememberedState::addRecentQuery(
            QChar(u'A' + i) + QString(RememberedState::kMaxRememberedQueryLength - 1, QChar(0x1f)));
    QVERIFY(QFileInfo(RememberedState::settingsFile()).size() <= kMaxConfigBytes);
    QCOMPARE(RememberedState::recentQueries().size(), RememberedState::kMaxRecentQueries);
    QCOMPARE(RememberedState::recentFiles().value(0), open);
}

QTEST_MAIN(TestQueryCommands)
#include "tst_querycommands.moc"
