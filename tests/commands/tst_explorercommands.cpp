#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "commands/explorerfiller.h"
#include "commands/qwgtlistitemwithobj.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QTextEdit>
#include <QtTest>

#include <vector>

namespace
{

constexpr int kCanvasWidth = 400;
constexpr int kCanvasHeight = 300;
const QColor kRed(255, 0, 0);
const QColor kHighlight(255, 128, 0);

// Points (square markers) on pixel row 50 at x 20, 60, 100, 140 with origin (0, 300), mixed
// with objects of other types; each point has its own related searches and comment.
const QByteArray kMixed = "endheader\n"
                          "pt 20 250 red 1 name first !!pt:name=second#rect:w>1//one\n"
                          "rect 300 0 310 10 blue\n"
                          "pt 60 250 red 1 name second !!line:k<2//two\n"
                          "line 300 20 310 20 blue\n"
                          "pt 100 250 red 1 name third\n"
                          "pt 140 250 red 1 name fourth !!a#b#c\n";

ViewerApp* app()
{
    return ViewerApp::instance();
}

const DrawingModel::ObjectList& points()
{
    return DrawingModel::instance()->objectsOfType("pt");
}

paintObject* objectAt(int row)
{
    return static_cast<QwgtListItemWithObj*>(app()->itemList->item(row))->object;
}

std::vector<paintObject*> listedObjects()
{
    std::vector<paintObject*> listed;
    for (int row = 0; row < app()->itemList->count(); ++row)
        listed.push_back(objectAt(row));
    return listed;
}

QList<bool> highlights(const DrawingModel::ObjectList& objects)
{
    QList<bool> flags;
    for (const paintObject* object : objects)
        flags << object->highlighted;
    return flags;
}

QStringList relatedEntries()
{
    QStringList texts;
    for (int row = 0; row < app()->relatedList->count(); ++row)
        texts << app()->relatedList->item(row)->text();
    return texts;
}

QPoint entryCentre(int row)
{
    return app()->itemList->visualItemRect(app()->itemList->item(row)).center();
}

void ctrlClick(int row)
{
    QTest::mouseClick(app()->itemList->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      entryCentre(row));
}

void click(int row)
{
    QTest::mouseClick(app()->itemList->viewport(), Qt::LeftButton, Qt::NoModifier,
                      entryCentre(row));
}

// What the canvas last put on the screen, without painting it again: commands must redraw it
// themselves.
QImage shownCanvas()
{
    const QPoint at = app()->display->mapTo(app()->mainWindow, QPoint(0, 0));
    return app()
        ->mainWindow->screen()
        ->grabWindow(app()->mainWindow->winId(), at.x(), at.y(), kCanvasWidth, kCanvasHeight)
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// A rubber band from one canvas pixel to another in pick mode.
void dragBand(QPoint from, QPoint to)
{
    QwgtDisplay* display = app()->display;
    QTest::mousePress(display, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), display->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(display, &move);
    QTest::mouseRelease(display, Qt::LeftButton, Qt::NoModifier, to);
}

} // namespace

class TestExplorerCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void listingBuildsOneEntryPerObject_data();
    void listingBuildsOneEntryPerObject();
    void longListingFillsWholeBeforeTakingCommands();
    void entriesOfOneColourShareTheirIcon();
    void listingTheListedAgainKeepsListAndSelection_data();
    void listingTheListedAgainKeepsListAndSelection();
    void rebuildingClearsHighlightsOfSelectedEntries();
    void extendedSelectionHighlightsExactlyTheSelection();
    void pressShowsDescriptionAndRelatedSearches();
    void longDescriptionShowsAtOnceAndCopiesWhole_data();
    void longDescriptionShowsAtOnceAndCopiesWhole();
    void doubleClickBringsTheObjectToTheFixPosition_data();
    void doubleClickBringsTheObjectToTheFixPosition();
    void pickModeToggles();
    void everyRubberBandPickIsListed();
};

void TestExplorerCommands::initTestCase()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(kCanvasWidth, kCanvasHeight)));
}

void TestExplorerCommands::init()
{
    testapp::resetApplication();
    app()->originY = kCanvasHeight;
    app()->fixX = app()->fixY = -100;
}

void TestExplorerCommands::listingBuildsOneEntryPerObject_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("count");
    QTest::newRow("points among other types") << "pt" << 4;
    QTest::newRow("one line") << "line" << 1;
    QTest::newRow("type without objects") << "circle" << 0;
    QTest::newRow("picked") << "picked" << 2;
}

// Whatever was listed before is replaced and loses its highlight, also one that no selection
// stands for (a highlight search sets those); objects that were not listed keep theirs. Each
// entry shows its object's icon and brief text.
void TestExplorerCommands::listingBuildsOneEntryPerObject()
{
    QFETCH(QString, listed);
    QFETCH(int, count);
    testapp::loadText(kMixed);
    DrawingModel* model = DrawingModel::instance();
    app()->commands.doListAnItemType("rect");
    model->setHighlighted(model->objects[1], true);
    model->setHighlighted(model->objects[3], true);

    std::vector<paintObject*> expected;
    if (listed == QLatin1String("picked")) {
        app()->pickedList = {model->objects[4], model->objects[0]};
        expected = app()->pickedList;
        app()->commands.doListPicked();
    } else {
        expected = model->objectsOfType(listed.toStdString());
        app()->commands.doListAnItemType(listed.toStdString());
    }
    QCOMPARE(app()->listedName, listed.toStdString());
    QCOMPARE(static_cast<int>(expected.size()), count);
    QVERIFY(listedObjects() == expected);
    QCOMPARE(app()->explorerDock->windowTitle(),
             QString("Item Explorer: %1 %2")
                 .arg(count)
                 .arg(listed == QLatin1String("picked") ? "picked" : "listed"));
    QVERIFY(!model->objects[1]->highlighted);
    QVERIFY(model->objects[3]->highlighted);
    for (int row = 0; row < count; ++row) {
        const QListWidgetItem* entry = app()->itemList->item(row);
        QCOMPARE(entry->text(), expected[row]->briefText());
        QCOMPARE(entry->icon().pixmap(8, 8).toImage(),
                 expected[row]->icon().pixmap(8, 8).toImage());
    }
}

// A listing longer than a chunk fills from the event loop; until it is whole the list takes no
// command, and another listing meanwhile replaces it whole.
void TestExplorerCommands::longListingFillsWholeBeforeTakingCommands()
{
    testapp::loadText(kMixed);
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    std::vector<paintObject*> many;
    for (std::size_t i = 0; i < 2 * ExplorerFiller::kChunk + 5; ++i)
        many.push_back(objects[i % objects.size()]);
    app()->pickedList = many;
    app()->commands.doListPicked();
    QCOMPARE(std::size_t(app()->itemList->count()), ExplorerFiller::kFirstChunk);
    app()->itemList->setFocus();
    const int current = app()->itemList->currentRow();
    QTest::keyClick(app()->itemList, Qt::Key_End);
    QCOMPARE(app()->itemList->currentRow(), current);
    QTRY_VERIFY(!app()->itemListFiller->busy());
    QVERIFY(listedObjects() == many);

    app()->listedName.clear();
    app()->commands.doListPicked();
    QVERIFY(app()->itemListFiller->busy());
    app()->commands.doListAnItemType("pt");
    QVERIFY(!app()->itemListFiller->busy());
    QVERIFY(listedObjects() == DrawingModel::instance()->objectsOfType("pt"));
    // The list lays out the long listing in batches first; then it takes clicks again.
    QTRY_VERIFY(entryCentre(3) != QPoint(-1, -1));
    click(3);
    QCOMPARE(app()->itemList->selectedItems().size(), 1);
}

// A listed type of a million objects must not hold a pixmap per entry.
void TestExplorerCommands::entriesOfOneColourShareTheirIcon()
{
    QByteArray text = "endheader\n";
    for (int i = 0; i < 300; ++i)
        text += QByteArray("pt ") + QByteArray::number(i) + (i % 2 ? " 0 red 0\n" : " 0 blue 0\n");
    testapp::loadText(text);
    app()->commands.doListAnItemType("pt");
    QCOMPARE(app()->itemList->count(), 300);
    QSet<qint64> icons;
    for (int row = 0; row < app()->itemList->count(); ++row)
        icons.insert(app()->itemList->item(row)->icon().cacheKey());
    QCOMPARE(icons.size(), 2);
    QCOMPARE(app()->itemList->item(0)->icon().pixmap(2, 2).toImage().pixelColor(0, 0),
             QColor(Qt::blue));
    QCOMPARE(app()->itemList->item(1)->icon().pixmap(2, 2).toImage().pixelColor(0, 0),
             QColor(Qt::red));
}

void TestExplorerCommands::listingTheListedAgainKeepsListAndSelection_data()
{
    QTest::addColumn<bool>("picked");
    QTest::newRow("type") << false;
    QTest::newRow("picked from the List Menu") << true;
}

void TestExplorerCommands::listingTheListedAgainKeepsListAndSelection()
{
    QFETCH(bool, picked);
    testapp::loadText(kMixed);
    QAction* pickedEntry = app()->listMenu->actions().last();
    QCOMPARE(pickedEntry->text(), QStringLiteral("[picked]"));
    const auto list = [&] {
        if (picked)
            pickedEntry->trigger();
        else
            app()->commands.doListAnItemType("pt");
    };
    app()->pickedList = points();
    list();
    QCOMPARE(app()->itemList->count(), 4);
    QListWidgetItem* entry = app()->itemList->item(2);
    entry->setSelected(true);
    QCOMPARE(highlights(points()), (QList<bool>{false, false, true, false}));

    QSignalSpy rebuilt(app()->itemList->model(), &QAbstractItemModel::rowsRemoved);
    list();
    QCOMPARE(rebuilt.count(), 0);
    QCOMPARE(app()->itemList->item(2), entry);
    QVERIFY(entry->isSelected());
    QCOMPARE(highlights(points()), (QList<bool>{false, false, true, false}));
}

// The old entries are deselected before they go, so the canvas loses their highlight through the
// selection signal while they still exist.
void TestExplorerCommands::rebuildingClearsHighlightsOfSelectedEntries()
{
    testapp::loadText(kMixed);
    app()->commands.doListAnItemType("pt");
    app()->itemList->selectAll();
    QCOMPARE(highlights(points()), (QList<bool>{true, true, true, true}));
    QCOMPARE(shownCanvas().pixelColor(20, 50), kHighlight);

    QList<int> entriesSeen;
    const QMetaObject::Connection watch =
        connect(app()->itemList, &QListWidget::itemSelectionChanged, this,
                [&] { entriesSeen << app()->itemList->count(); });
    app()->commands.doListAnItemType("line");
    disconnect(watch);
    QVERIFY(!entriesSeen.isEmpty());
    QCOMPARE(entriesSeen.first(), 4);
    QCOMPARE(highlights(points()), (QList<bool>{false, false, false, false}));
    const QImage image = shownCanvas();
    QCOMPARE(image.pixelColor(20, 50), kRed);
    QCOMPARE(image.pixelColor(140, 50), kRed);

    // Replacing a listing without a selection changes no flag, and so leaves the picture as is.
    const unsigned long long generation = DrawingModel::instance()->sceneGeneration;
    app()->commands.doListAnItemType("pt");
    QCOMPARE(DrawingModel::instance()->sceneGeneration, generation);
}

void TestExplorerCommands::extendedSelectionHighlightsExactlyTheSelection()
{
    testapp::loadText(kMixed);
    app()->commands.doListAnItemType("pt");
    ctrlClick(0);
    ctrlClick(1);
    ctrlClick(3);
    QCOMPARE(highlights(points()), (QList<bool>{true, true, false, true}));
    QCOMPARE(app()->itemText->toPlainText(), points()[3]->description());
    QCOMPARE(relatedEntries(), (QStringList{"a", "b", "c"}));
    QImage image = shownCanvas();
    QCOMPARE(image.pixelColor(20, 50), kHighlight);
    QCOMPARE(image.pixelColor(60, 50), kHighlight);
    QCOMPARE(image.pixelColor(100, 50), kRed);
    QCOMPARE(image.pixelColor(140, 50), kHighlight);

    // Deselecting the described entry leaves nothing to describe; its related searches stay for
    // further use.
    ctrlClick(3);
    QCOMPARE(highlights(points()), (QList<bool>{true, true, false, false}));
    QCOMPARE(app()->itemText->toPlainText(), QString());
    QCOMPARE(relatedEntries(), (QStringList{"a", "b", "c"}));
    image = shownCanvas();
    QCOMPARE(image.pixelColor(60, 50), kHighlight);
    QCOMPARE(image.pixelColor(140, 50), kRed);
    ctrlClick(1);
    QCOMPARE(highlights(points()), (QList<bool>{true, false, false, false}));
    QCOMPARE(app()->itemText->toPlainText(), QString());

    // A plain click selects only the clicked entry.
    click(2);
    QCOMPARE(highlights(points()), (QList<bool>{false, false, true, false}));
}

void TestExplorerCommands::pressShowsDescriptionAndRelatedSearches()
{
    testapp::loadText(kMixed);
    app()->commands.doListAnItemType("pt");
    click(0);
    QCOMPARE(app()->itemText->toPlainText(), points()[0]->description());
    QCOMPARE(relatedEntries(), (QStringList{"pt:name=second", "rect:w>1"}));

    click(1);
    QCOMPARE(app()->itemText->toPlainText(), points()[1]->description());
    QCOMPARE(relatedEntries(), (QStringList{"line:k<2"}));

    // An object without related searches leaves the related list empty, not stale.
    click(2);
    QCOMPARE(app()->itemText->toPlainText(), points()[2]->description());
    QCOMPARE(relatedEntries(), QStringList());

    // Stepping through the list with the keyboard describes and highlights as pressing does.
    QTest::keyClick(app()->itemList, Qt::Key_Down);
    QCOMPARE(app()->itemText->toPlainText(), points()[3]->description());
    QCOMPARE(relatedEntries(), (QStringList{"a", "b", "c"}));
    QCOMPARE(highlights(points()), (QList<bool>{false, false, false, true}));
    QTest::keyClick(app()->itemList, Qt::Key_Up);
    QCOMPARE(app()->itemText->toPlainText(), points()[2]->description());
    QCOMPARE(relatedEntries(), QStringList());
}

void TestExplorerCommands::longDescriptionShowsAtOnceAndCopiesWhole_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("type");
    QByteArray path = "path 1000000";
    QByteArray point = "pt 1 1 red 0";
    for (int i = 0; i < 1000000; ++i) {
        path += ' ' + QByteArray::number(i) + " 1";
        point += " p" + QByteArray::number(i) + " v";
    }
    QTest::newRow("path of a million vertices") << path + " red"
                                                << "path";
    QTest::newRow("point of a million properties") << point << "pt";
    QTest::newRow("comment of 300,000 characters")
        << "pt 1 1 red 0 // " + QByteArray(300000, 'x') << "pt";
    QTest::newRow("point of a million comments")
        << "pt 1 1 red 0 //" + QByteArray(999999, '#') << "pt";
}

// Showing a description takes a blink whatever its length: the box lays out a bounded excerpt
// (the timings are in the benchmark). The box shows the
// description's first lines, perhaps cut short, and a note that counts the lines left out; both
// ways of copying give the whole text, also once the object is gone.
void TestExplorerCommands::longDescriptionShowsAtOnceAndCopiesWhole()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, type);
    testapp::loadText("endheader\n" + record + "\n");
    app()->commands.doListAnItemType(type.toStdString());
    click(0);
    app()->itemText->viewport()->repaint();
    const QString description = objectAt(0)->description();
    // What the box lays out is bounded, whatever the description's length: 64 KiB and the note.
    const qsizetype laidOut = app()->itemText->toPlainText().size();
    QVERIFY2(laidOut <= 64 * 1024 + 200, qPrintable(QString::number(laidOut)));

    const QStringList all = description.split(QLatin1Char('\n'));
    QStringList shown = app()->itemText->toPlainText().split(QLatin1Char('\n'));
    const QString note = shown.takeLast();
    QVERIFY(shown.size() <= all.size());
    for (int line = 0; line < shown.size(); ++line) {
        const QString& text = shown[line];
        QVERIFY2(text == all[line] ||
                     (text.endsWith(QChar(0x2026)) && all[line].startsWith(text.chopped(1))),
                 qPrintable(QStringLiteral("line %1: %2").arg(line).arg(text.left(80))));
    }
    const qsizetype leftOut = all.size() - shown.size();
    if (leftOut > 0)
        QVERIFY2(note.startsWith(QStringLiteral("[%1 more lines not shown").arg(leftOut)),
                 qPrintable(note));
    QVERIFY2(note.endsWith(QStringLiteral("Copy Full Description (Ctrl+Shift+C) copies the whole "
                                          "text]")),
             qPrintable(note));

    // The shortcut belongs to the box: it works where the box has the focus.
    app()->mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(app()->mainWindow));
    app()->itemText->setFocus();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    QTest::keyClick(app()->itemText, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text().size(), description.size());
    QVERIFY(clipboard->text() == description);
    clipboard->clear();
    QTest::keyClick(app()->itemText, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(app()->itemText, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(clipboard->text() == description);
    // The box refuses typing, pasting and deleting: the description stays whole.
    const QString before = app()->itemText->toPlainText();
    QTest::keyClicks(app()->itemText, QStringLiteral("typed"));
    QTest::keyClick(app()->itemText, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(app()->itemText, Qt::Key_Delete);
    QCOMPARE(app()->itemText->toPlainText(), before);
    QVERIFY(app()->itemText->fullDescription() == description);
    // Loading deletes the object; the box keeps its description whole.
    testapp::loadText("endheader\n");
    clipboard->clear();
    QTest::keyClick(app()->itemText, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(clipboard->text() == description);
}

void TestExplorerCommands::doubleClickBringsTheObjectToTheFixPosition_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("type");
    QTest::addColumn<double>("originX");
    QTest::addColumn<double>("originY");
    QTest::addColumn<QString>("fixText");
    QTest::newRow("point") << QByteArray("pt 10 20 red 0") << "pt" << 180.0 << 190.0
                           << "( 10.00 , 20.00 )";
    QTest::newRow("rectangle centre")
        << QByteArray("rect -10 0 30 8 red") << "rect" << 180.0 << 158.0 << "( 10.00 , 4.00 )";
}

void TestExplorerCommands::doubleClickBringsTheObjectToTheFixPosition()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, type);
    QFETCH(double, originX);
    QFETCH(double, originY);
    QFETCH(QString, fixText);
    testapp::loadText("endheader\npt 1 1 red 0\n" + record + "\n");
    app()->ratio = 2;
    app()->fixX = 200;
    app()->fixY = 150;
    app()->commands.doListAnItemType(type.toStdString());
    const int row = app()->itemList->count() - 1;
    // What a double-click delivers to a widget: press, release, double-click, release.
    QWidget* viewport = app()->itemList->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, entryCentre(row));
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, entryCentre(row));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, entryCentre(row));
    QCOMPARE(app()->originX, originX);
    QCOMPARE(app()->originY, originY);
    QCOMPARE(app()->ratio, 2.0);
    QVERIFY2(app()->basicInfoLabel->text().contains(QStringLiteral("Fix=</font>") + fixText),
             qPrintable(app()->basicInfoLabel->text()));
}

void TestExplorerCommands::pickModeToggles()
{
    QCOMPARE(app()->mode, 0);
    app()->pickModeAction->trigger();
    QCOMPARE(app()->mode, 1);
    QCOMPARE(app()->mainWindow->windowTitle(), QStringLiteral("Vedra 1.1 [ pick ]"));
    app()->commands.doChange2PickMode();
    QCOMPARE(app()->mode, 0);
    QCOMPARE(app()->mainWindow->windowTitle(), QStringLiteral("Vedra 1.1 [ move - default ]"));
}

// A pick replaces the list even when the previous pick is listed, and the previous pick's
// selection loses its highlight.
void TestExplorerCommands::everyRubberBandPickIsListed()
{
    testapp::loadText(kMixed);
    app()->commands.doListAnItemType("line");
    app()->commands.doChange2PickMode();
    dragBand(QPoint(10, 40), QPoint(70, 60));
    QCOMPARE(app()->listedName, std::string("picked"));
    QVERIFY(listedObjects() == (std::vector<paintObject*>{points()[0], points()[1]}));
    app()->itemList->selectAll();
    QCOMPARE(highlights(points()), (QList<bool>{true, true, false, false}));

    app()->commands.doChange2PickMode();
    dragBand(QPoint(150, 60), QPoint(90, 40));
    QCOMPARE(app()->listedName, std::string("picked"));
    QVERIFY(listedObjects() == (std::vector<paintObject*>{points()[2], points()[3]}));
    QCOMPARE(highlights(points()), (QList<bool>{false, false, false, false}));
}

QTEST_MAIN(TestExplorerCommands)
#include "tst_explorercommands.moc"
