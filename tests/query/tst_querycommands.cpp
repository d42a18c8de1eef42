// Queries from the window: the conditional pick dialog and the explorer's related searches.
#include "app/viewerapp.h"
#include "commands/qwgtlistitemwithobj.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QAction>
#include <QInputDialog>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QtTest>

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
}

QTEST_MAIN(TestQueryCommands)
#include "tst_querycommands.moc"
