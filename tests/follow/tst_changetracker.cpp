#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepainter.h"
#include "follow/changetracker.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "storage/bytehash.h"
#include "support/testapp.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QColor kMark(0, 170, 60);
const QColor kGhost(235, 110, 110);

ViewerApp* app()
{
    return ViewerApp::instance();
}

// The drawing at the ratio (by default 10: one world unit is ten pixels), world (0, 0) at pixel
// (0, 200).
QImage render(double ratio = 10)
{
    SceneView view;
    view.originY = 200;
    view.ratio = ratio;
    view.size = QSize(200, 200);
    QImage image(view.size, QImage::Format_RGB32);
    QPainter painter(&image);
    ScenePainter().paintScene(&painter, view);
    return image;
}

QAction* listEntry(const QString& text)
{
    for (QAction* action : app()->listMenu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// An entry of the View menu's Changes submenu.
QAction* changesEntry(const QString& text)
{
    for (QAction* action :
         app()->changeTracker->lookGroup->actions() + app()->changeTracker->colorGroup->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// What the canvas shows, through its own paint and the picture it keeps.
QImage canvasImage()
{
    return app()->display->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestChangeTracker : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }
    // The look and colours are remembered between runs: every test leaves the defaults, passed
    // or failed.
    void cleanup()
    {
        changesEntry("Marks Only")->trigger();
        changesEntry("Green and Red")->trigger();
    }
    void showsWhatAStepChanged();
    void comparesWithTheDrawingShown_data();
    void comparesWithTheDrawingShown();
    void drawsTheUnchangedAsChosen_data();
    void drawsTheUnchangedAsChosen();
    void crowdedFramesGiveWayToTheChanges_data();
    void crowdedFramesGiveWayToTheChanges();
    void aCraftedRecordPairCannotHideAChange();
};

// f.1: a blue square at (2..4, 2..4) written twice, and a red line. f.2: the line first, the
// square once (a repeat less), and a new circle at (14, 14). The square's ghost, the circle's
// mark, the summary and both lists follow; with the toggle off the picture is the plain one.
void TestChangeTracker::showsWhatAStepChanged()
{
    QTemporaryDir folder;
    // Names as long as running programs give them: the summary is wider than a narrow window.
    const QString stem = folder.filePath("simulation_of_the_whole_floor_plan_at_full_detail");
    const QString first = stem + ".1.las", second = stem + ".2.las";
    testapp::writeFile(first, "endheader\nrect 2 2 4 4 blue // kept\nline 0 10 10 10 red\n"
                              "rect 2 2 4 4 blue // kept\nrect 8 2 10 4 navy // gone\n");
    testapp::writeFile(second, "endheader\nline 0 10 10 10 red  \nrect 2 2 4 4 blue // kept\n"
                               "circle 14 14 1 green\n");
    app()->commands.openFile(first);
    app()->changeTracker->showChangesAction->trigger();
    QVERIFY(DrawingModel::instance()->changesShown());
    app()->commands.openFile(second);

    QCOMPARE(app()->changeTracker->summaryLabel->text(),
             QString("+1 \u22122 since simulation_of_the_whole_floor_plan_at_full_detail.1.las"));
    const QImage changed = render();
    // The navy rectangle that is gone: a thin ghost outline on its left edge, nothing inside.
    QCOMPARE(changed.pixelColor(80, 180), kGhost);
    QCOMPARE(changed.pixelColor(90, 180), QColor(Qt::white));
    // The new circle (140, 60 in pixels, radius 10) is framed pointSize + 1 beyond its box.
    QCOMPARE(changed.pixelColor(140, 60 - 10 - 4), kMark);
    QCOMPARE(changed.pixelColor(140, 60 - 10 - 7), QColor(Qt::white));

    listEntry("Removed Objects")->trigger();
    QCOMPARE(app()->itemList->count(), 2);
    app()->itemList->setCurrentRow(1);
    QVERIFY2(app()->itemText->toPlainText().contains("gone"),
             qPrintable(app()->itemText->toPlainText()));
    listEntry("Added Objects")->trigger();
    QCOMPARE(app()->itemList->count(), 1);

    // The next step is compared with f.2: going back restores both rectangles.
    app()->commands.openFile(first);
    QCOMPARE(app()->changeTracker->summaryLabel->text(),
             QString("+2 \u22121 since simulation_of_the_whole_floor_plan_at_full_detail.2.las"));

    const QImage comparedBack = render();

    // Off and on again shows the same comparison. D turns it off from the canvas, not from the
    // explorer's list, where a letter finds an entry.
    app()->changeTracker->showChangesAction->trigger();
    QVERIFY(!app()->changeTracker->summaryLabel->isVisible());
    const QImage plain = render();
    QVERIFY(plain != comparedBack);
    app()->changeTracker->showChangesAction->trigger();
    QCOMPARE(render(), comparedBack);
    QCOMPARE(app()->changeTracker->summaryLabel->text(),
             QString("+2 \u22121 since simulation_of_the_whole_floor_plan_at_full_detail.2.las"));
    QVERIFY(testapp::showCanvasAt(QSize(200, 150)));
    // However narrow the window is made, the summary stays whole inside it, and so do the
    // status widgets to its right.
    const QLabel* summary = app()->changeTracker->summaryLabel;
    app()->mainWindow->resize(200, 500);
    QApplication::processEvents();
    QVERIFY(summary->width() >= summary->fontMetrics().horizontalAdvance(summary->text()));
    const QLabel* last = app()->objectCountLabel;
    QVERIFY(last->mapTo(app()->mainWindow, last->rect().topRight()).x() <
            app()->mainWindow->width());
    for (QWidget* focus :
         {static_cast<QWidget*>(app()->itemList), static_cast<QWidget*>(app()->display)}) {
        focus->setFocus();
        QVERIFY(QTest::qWaitFor([focus] { return focus->hasFocus(); }));
        QTest::keyClick(focus, Qt::Key_D);
        QCOMPARE(DrawingModel::instance()->changesShown(), focus == app()->itemList);
    }

    // A load while it is off is compared with nothing.
    app()->commands.doReload();
    QCOMPARE(plain, render());
    QCOMPARE(plain.pixelColor(90, 180), QColor(0, 0, 128));
    app()->changeTracker->showChangesAction->trigger();
    QCOMPARE(plain, render());
    QVERIFY(!app()->changeTracker->summaryLabel->isVisible());
    app()->changeTracker->showChangesAction->trigger();
}

// The file changes on disk while it is shown; Show Changes is turned on before or after that, or
// after being turned off again, and Reload marks the change against the drawing that was shown.
void TestChangeTracker::comparesWithTheDrawingShown_data()
{
    QTest::addColumn<QString>("toggles");
    QTest::addColumn<QString>("opened");
    QTest::newRow("on before the change on disk") << "+"
                                                  << "";
    QTest::newRow("on after the change on disk") << ".+"
                                                 << "";
    QTest::newRow("on, off, then on after the change") << "+-.+"
                                                       << "";
    QTest::newRow("another file opened instead") << "+"
                                                 << "other.las";
    QTest::newRow("a member of another series opened") << "+"
                                                       << "shown.2.las";
}

void TestChangeTracker::comparesWithTheDrawingShown()
{
    QFETCH(QString, toggles);
    QFETCH(QString, opened);
    QTemporaryDir folder;
    const QString path = folder.filePath("shown.las");
    testapp::writeFile(path, "endheader\nrect 2 2 4 4 blue\nrect 8 2 10 4 navy\n");
    app()->commands.openFile(path);
    if (!toggles.contains('.'))
        toggles += '.';
    const QString changed = opened.isEmpty() ? path : folder.filePath(opened);
    for (const QChar step : toggles) {
        if (step == '.')
            testapp::writeFile(changed, "endheader\nrect 2 2 4 4 blue\ncircle 14 14 1 green\n");
        else
            app()->changeTracker->showChangesAction->setChecked(step == '+');
    }
    if (opened.isEmpty())
        app()->commands.doReload();
    else
        app()->commands.openFile(changed);
    QVERIFY(testapp::waitForLoad());
    const ChangeSet* changes = DrawingModel::instance()->changes();
    // An unrelated file is no later version of the one shown: nothing to compare it with.
    if (!opened.isEmpty()) {
        QVERIFY(!changes);
        QVERIFY(app()->changeTracker->summaryLabel->isHidden());
        QCOMPARE(render().pixelColor(140, 60 - 10 - 4), QColor(Qt::white));
        app()->changeTracker->showChangesAction->setChecked(false);
        return;
    }
    QVERIFY(changes);
    QVERIFY(!app()->changeTracker->summaryLabel->isHidden());
    QCOMPARE(app()->changeTracker->summaryLabel->text(), QString("+1 \u22121 since shown.las"));
    QCOMPARE(changes->added.size(), std::size_t(1));
    QVERIFY(changes->added.front()->colorName == "green");
    app()->changeTracker->showChangesAction->setChecked(false);
}

// After a step that removed the navy rectangle, kept the blue one and a red line and added a green
// circle, the canvas (its kept picture included) draws the kept objects as the look asks, the
// frames only while they are drawn plainly, and the marks in the colours chosen; a display filter
// that dims what was kept keeps it dimmed whatever the look.
void TestChangeTracker::drawsTheUnchangedAsChosen_data()
{
    QTest::addColumn<QString>("look");
    QTest::addColumn<QString>("colors");
    QTest::addColumn<bool>("filterDims");
    QTest::addColumn<QColor>("kept");
    QTest::addColumn<QColor>("keptLine");
    QTest::addColumn<QColor>("mark");
    QTest::addColumn<QColor>("ghost");
    const QColor blue(0, 0, 255), paleBlue(192, 192, 255), red(255, 0, 0), paleRed(255, 192, 192);
    const QColor white(Qt::white), magenta(220, 0, 200), cyan(0, 180, 230);
    const QString greenRed = "Green and Red";
    QTest::newRow("marks only") << "Marks Only" << greenRed << false << blue << red << kMark
                                << kGhost;
    QTest::newRow("dim unchanged")
        << "Dim Unchanged" << greenRed << false << paleBlue << paleRed << white << kGhost;
    QTest::newRow("changes only") << "Changes Only" << greenRed << false << white << white << white
                                  << kGhost;
    QTest::newRow("magenta and cyan")
        << "Marks Only" << QString("Magenta and Cyan") << false << blue << red << magenta << cyan;
    QTest::newRow("black and grey") << "Changes Only" << QString("Black and Grey") << false << white
                                    << white << white << QColor(150, 150, 150);
    QTest::newRow("marks only under a dimming filter")
        << "Marks Only" << greenRed << true << paleBlue << paleRed << kMark << kGhost;
    QTest::newRow("changes only under a dimming filter")
        << "Changes Only" << greenRed << true << white << white << white << kGhost;
}

void TestChangeTracker::drawsTheUnchangedAsChosen()
{
    QFETCH(QString, look);
    QFETCH(QString, colors);
    QFETCH(bool, filterDims);
    QFETCH(QColor, kept);
    QFETCH(QColor, keptLine);
    QFETCH(QColor, mark);
    QFETCH(QColor, ghost);
    QTemporaryDir folder;
    const QString first = folder.filePath("look.1.las"), second = folder.filePath("look.2.las");
    testapp::writeFile(first,
                       "endheader\nrect 2 2 4 4 blue\nrect 8 2 10 4 navy\nline 0 10 10 10 red\n");
    testapp::writeFile(second,
                       "endheader\nline 0 10 10 10 red\nrect 2 2 4 4 blue\ncircle 14 14 1 green\n");
    QVERIFY(testapp::showCanvasAt(QSize(200, 200)));
    app()->commands.openFile(first);
    app()->changeTracker->showChangesAction->setChecked(true);
    app()->commands.openFile(second);
    DrawingModel* model = DrawingModel::instance();
    if (filterDims) {
        const DrawingModel::ObjectList shown(model->changes()->added);
        model->setFilter(&shown, true);
    }
    app()->originY = 200;
    app()->ratio = 10;
    // The picture of the plain look is kept first: choosing must not leave it on the canvas.
    const QImage before = canvasImage();
    QCOMPARE(before.pixelColor(140, 60 - 10 - 4), kMark);
    changesEntry(look)->trigger();
    changesEntry(colors)->trigger();
    QCOMPARE(RememberedState::changesLook(), look == "Marks Only"      ? QString("marks")
                                             : look == "Dim Unchanged" ? QString("dim")
                                                                       : QString("only"));
    const QImage shown = canvasImage();
    QCOMPARE(shown.pixelColor(30, 170), kept);
    QCOMPARE(shown.pixelColor(50, 100), keptLine);
    QCOMPARE(shown.pixelColor(140, 60 - 10 - 4), mark);
    QCOMPARE(shown.pixelColor(80, 180), ghost);
    // The added circle is drawn in full whatever the look, and can be picked.
    QCOMPARE(shown.pixelColor(140, 60), QColor(0, 128, 0));
    QVERIFY(model->changes()->added.front()->visible);

    // Show Changes off draws the drawing as the filter alone has it; the filter taken off, as
    // it is.
    app()->changeTracker->showChangesAction->setChecked(false);
    QCOMPARE(canvasImage().pixelColor(30, 170),
             filterDims ? QColor(192, 192, 255) : QColor(Qt::blue));
    model->setFilter(nullptr, false);
    QCOMPARE(canvasImage().pixelColor(30, 170), QColor(Qt::blue));
}

// A step adds points on a grid from (3, 3), one world unit apart, beside a kept blue square at
// (0..1, 0..1). While few frames would cover little of the drawing, each added point is framed;
// once their fixed part would cover most of it, the drawing is veiled and the added points are
// drawn in the mark colour over it, until zooming in leaves room for the frames again.
void TestChangeTracker::crowdedFramesGiveWayToTheChanges_data()
{
    QTest::addColumn<int>("added");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<bool>("framed");
    QTest::newRow("a few added points are framed") << 4 << 10.0 << true;
    QTest::newRow("a grid of them at an overview is drawn over a veil") << 225 << 10.0 << false;
    QTest::newRow("zoomed in, the grid is framed again") << 225 << 40.0 << true;
}

void TestChangeTracker::crowdedFramesGiveWayToTheChanges()
{
    QFETCH(int, added);
    QFETCH(double, ratio);
    QFETCH(bool, framed);
    QTemporaryDir folder;
    const QString first = folder.filePath("grid.1.las"), second = folder.filePath("grid.2.las");
    const QByteArray kept = "endheader\nrect 0 0 1 1 blue\n";
    QByteArray points;
    for (int i = 0; i < added; ++i)
        points += QByteArray("pt ") + QByteArray::number(3 + i % 15) + ' ' +
                  QByteArray::number(3 + i / 15) + " red 0\n";
    testapp::writeFile(first, kept);
    testapp::writeFile(second, kept + points);
    app()->commands.openFile(first);
    app()->changeTracker->showChangesAction->setChecked(true);
    app()->commands.openFile(second);
    const QImage shown = render(ratio);
    // The first point, (3, 3), and the square's inside.
    const int x = int(3 * ratio), y = int(200 - 3 * ratio);
    const QColor square = shown.pixelColor(5, 195);
    if (framed) {
        QCOMPARE(shown.pixelColor(x, y), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(x, y - 4), kMark);
        QCOMPARE(square, QColor(Qt::blue));
    } else {
        QCOMPARE(shown.pixelColor(x, y), kMark);
        QVERIFY2(square.blue() == 255 && qAbs(square.red() - 191) <= 1 &&
                     square.red() == square.green(),
                 qPrintable(square.name()));
    }
    app()->changeTracker->showChangesAction->setChecked(false);
}

// Two records whose texts differ but that an unkeyed multiply-and-shift hash of the record text
// (hashBytes under a fixed seed for the keyword) maps to one value: they share a prefix, and the
// last word of the second cancels the difference its second-last word made in the hash state.
// Stepping from one to the other must still show one added and one removed object.
void TestChangeTracker::aCraftedRecordPairCannotHideAChange()
{
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    const auto mix = [](std::uint64_t hash, std::uint64_t word) {
        hash = (hash ^ word) * kMultiplier;
        return hash ^ (hash >> 29);
    };
    const auto word = [](const QByteArray& bytes) {
        std::uint64_t value;
        std::memcpy(&value, bytes.constData(), 8);
        return value;
    };
    // The record's text starts after its keyword, at the blank.
    const QByteArray prefix = " 0 0 1 1 blue //";
    const std::uint64_t state =
        mix(mix(hashBytes(0x6b6579776f7264ull, "rect") ^ 32, word(prefix.left(8))),
            word(prefix.mid(8)));
    const QByteArray first = prefix + "aaaaaaaabbbbbbbb";
    QByteArray second;
    for (char letter = 'c'; second.isEmpty() && letter <= 'z'; ++letter) {
        const QByteArray changed(8, letter);
        const std::uint64_t last =
            mix(state, word(first.mid(16, 8))) ^ mix(state, word(changed)) ^ word(first.mid(24));
        QByteArray tail(8, '\0');
        std::memcpy(tail.data(), &last, 8);
        if (!tail.contains('\n') && !tail.contains('\0') &&
            !QByteArray(" \t\r").contains(tail.back()))
            second = prefix + changed + tail;
    }
    QVERIFY(!second.isEmpty());

    QTemporaryDir folder;
    const QString one = folder.filePath("c.1.las"), two = folder.filePath("c.2.las");
    testapp::writeFile(one, "endheader\nrect" + first + "\n");
    testapp::writeFile(two, "endheader\nrect" + second + "\n");
    app()->commands.openFile(one);
    app()->changeTracker->showChangesAction->trigger();
    app()->commands.openFile(two);
    QCOMPARE(app()->changeTracker->summaryLabel->text(), QString("+1 \u22121 since c.1.las"));
    app()->changeTracker->showChangesAction->trigger();
}

QTEST_MAIN(TestChangeTracker)
#include "tst_changetracker.moc"
