// The view at the ends of its range: long runs of zooms, and moves to points far out, must keep
// every number of the view finite and the canvas, the pick and the explorer working.
#include "hostile.h"

#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "model/drawingmodel.h"
#include "support/testapp.h"

#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QtTest>

namespace
{

const QByteArray kFarAndNear = "endheader\n"
                               "pt 1e308 -1e308 red 0\n"
                               "pt 0.5 0.5 blue 1\n"
                               "line -1e-300 0 1e-300 1e-300 red\n"
                               "circle 1e200 0 1e150 green\n"
                               "path 2 -1.7e308 0 1.7e308 0 red\n";

// Types the text into the next "Move Fix Position" dialog; a warning after it fails the test.
void gotoPoint(const QString& text)
{
    QTimer::singleShot(0, [text] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setTextValue(text);
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box)
                box->done(QMessageBox::Yes);
            QVERIFY2(!box, "a warning for a well-formed point");
        });
        dialog->accept();
    });
    ViewerApp::instance()->commands.doGotoCdt();
}

QPointF fixInWorld()
{
    const ViewerApp* app = ViewerApp::instance();
    return {(app->fixX - app->originX) / app->ratio, (app->originY - app->fixY) / app->ratio};
}

} // namespace

class TestExtremeView : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }
    void longZoomRunsKeepTheViewFinite_data();
    void longZoomRunsKeepTheViewFinite();
    void movesOutOfReachLeaveTheView_data();
    void movesOutOfReachLeaveTheView();
    void fitCentresABoxNearTheLargestDouble();
    void farReachingShapesKeepTheirDirection_data();
    void farReachingShapesKeepTheirDirection();
};

void TestExtremeView::longZoomRunsKeepTheViewFinite_data()
{
    QTest::addColumn<double>("startRatio");
    QTest::addColumn<bool>("outFirst");
    QTest::newRow("out, then in") << 1.0 << true;
    QTest::newRow("in, then out") << 1.0 << false;
    QTest::newRow("from the largest ratio") << ViewerApp::kMaxRatio << false;
}

void TestExtremeView::longZoomRunsKeepTheViewFinite()
{
    QFETCH(double, startRatio);
    QFETCH(bool, outFirst);
    testapp::loadText(kFarAndNear);
    ViewerApp* app = ViewerApp::instance();
    app->ratio = startRatio;
    app->fixX = 300;
    app->fixY = 200;
    app->mouseX = app->display->width();
    app->mouseY = app->display->height();
    for (const bool out : {outFirst, !outFirst}) {
        for (int i = 0; i < 2000; ++i) {
            if (out)
                app->commands.doZoomout();
            else
                app->commands.doZoomin();
            hostile::verifyViewIsFinite();
            if (QTest::currentTestFailed())
                return;
        }
        hostile::exerciseLoadedModel();
        gotoPoint(QStringLiteral("1e308 -1e308"));
        hostile::verifyViewIsFinite();
        app->commands.doListAnItemType("pt");
        for (int row = 0; row < app->itemList->count(); ++row) {
            app->commands.doMoveToObject(app->itemList->item(row));
            hostile::verifyViewIsFinite();
        }
    }
}

void TestExtremeView::movesOutOfReachLeaveTheView_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("moves");
    QTest::newRow("near point") << 2.0 << QStringLiteral("5 -5") << true;
    QTest::newRow("largest doubles at ratio 1")
        << 1.0 << QStringLiteral("1.7e308 -1.7e308") << true;
    QTest::newRow("largest doubles at ratio 2") << 2.0 << QStringLiteral("1.7e308 0") << false;
    QTest::newRow("far point zoomed in") << 1e100 << QStringLiteral("0 1e250") << false;
    QTest::newRow("far point zoomed out") << 1e-100 << QStringLiteral("1e250 0") << true;
}

// "Move Fix Position" and "move to object" take the same target; one that this zoom cannot
// show leaves the view as it was, without a warning (the point itself was well formed).
void TestExtremeView::movesOutOfReachLeaveTheView()
{
    QFETCH(double, ratio);
    QFETCH(QString, target);
    QFETCH(bool, moves);
    ViewerApp* app = ViewerApp::instance();
    const QStringList xy = target.split(QLatin1Char(' '));
    const QPointF point(xy[0].toDouble(), xy[1].toDouble());
    testapp::loadText("endheader\npt " + target.toLatin1() + " red 0\n");
    app->commands.doListAnItemType("pt");
    for (const bool byObject : {false, true}) {
        app->ratio = ratio;
        app->originX = app->originY = 0.0;
        app->fixX = 10;
        app->fixY = 20;
        if (byObject)
            app->commands.doMoveToObject(app->itemList->item(0));
        else
            gotoPoint(target);
        if (moves) {
            QCOMPARE(fixInWorld(), point);
        } else {
            QCOMPARE(app->originX, 0.0);
            QCOMPARE(app->originY, 0.0);
        }
        hostile::verifyViewIsFinite();
    }
}

// A box of no width that stands at x = 1.7e308: the sum of its edges would overflow, its centre
// does not.
void TestExtremeView::fitCentresABoxNearTheLargestDouble()
{
    testapp::loadText("endheader\npt 1.7e308 0 red 0\npt 1.7e308 1000000 red 0\n");
    ViewerApp* app = ViewerApp::instance();
    app->fitToView();
    QVERIFY(app->ratio != 1.0);
    QCOMPARE(fixInWorld().x(), 1.7e308);
    // On an odd canvas height the fix is a pixel off the middle.
    QVERIFY(qAbs(fixInWorld().y() - 500000) <= 1.5 / app->ratio);
    hostile::verifyViewIsFinite();
}

void TestExtremeView::farReachingShapesKeepTheirDirection_data()
{
    QTest::addColumn<QByteArray>("record");
    // A pixel that must be drawn black (none when negative) and one that must stay white.
    QTest::addColumn<QPoint>("drawn");
    QTest::addColumn<QPoint>("blank");
    // Zoomed in 100 times, the far end of each shape lies 1e9 pixels right of the origin at
    // (200, 150): the edge from the origin to it passes (300, 100), not (300, 50).
    QTest::newRow("line") << QByteArray("line 0 0 10000000 5000000 black") << QPoint(300, 100)
                          << QPoint(300, 50);
    QTest::newRow("path") << QByteArray("path 3 -5 0 0 0 10000000 5000000 black")
                          << QPoint(300, 100) << QPoint(300, 50);
    QTest::newRow("path back from far")
        << QByteArray("path 2 10000000 5000000 0 0 black") << QPoint(300, 100) << QPoint(300, 50);
    QTest::newRow("polygon") << QByteArray("polygon 3 0 0 10000000 5000000 10000000 0 black")
                             << QPoint(300, 120) << QPoint(300, 90);
    QTest::newRow("polygon beyond two sides")
        << QByteArray("polygon 3 0 0 10000000 5000000 10000000 -5000000 black") << QPoint(300, 120)
        << QPoint(300, 90);
    // Given far end first, far out: the crossing must be measured from the near end.
    QTest::newRow("line far end first")
        << QByteArray("line 100000000000000000 50000000000000000 0 0 black") << QPoint(300, 100)
        << QPoint(300, 50);
    QTest::newRow("polygon far vertex first") << QByteArray("polygon 3 1e28 5e27 0 0 1e28 0 black")
                                              << QPoint(300, 120) << QPoint(300, 90);
    // An L whose box holds the screen while the shape stays beyond the limit on every side.
    QTest::newRow("polygon around the screen")
        << QByteArray("polygon 6 -10000000 -10000000 10000000 -10000000 10000000 -9000000 "
                      "-9000000 -9000000 -9000000 10000000 -10000000 10000000 black")
        << QPoint(-1, -1) << QPoint(200, 150);
}

// A shape reaching far beyond anything a pixel position can hold is drawn as it runs across the
// screen.
void TestExtremeView::farReachingShapesKeepTheirDirection()
{
    QFETCH(QByteArray, record);
    QFETCH(QPoint, drawn);
    QFETCH(QPoint, blank);
    QVERIFY(testapp::showCanvasAt(QSize(400, 300)));
    testapp::loadText("endheader\n" + record + "\n");
    ViewerApp* app = ViewerApp::instance();
    app->originX = 200;
    app->originY = 150;
    app->ratio = 100;
    app->lineWidth = 1;
    app->fixX = app->fixY = -100;
    const QImage canvas = app->display->grab().toImage();
    if (drawn.x() >= 0)
        QCOMPARE(canvas.pixelColor(drawn), QColor(Qt::black));
    QCOMPARE(canvas.pixelColor(blank), QColor(Qt::white));
}

QTEST_MAIN(TestExtremeView)
#include "tst_extremeview.moc"
