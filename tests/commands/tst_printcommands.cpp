#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepainter.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QAction>
#include <QMainWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPicture>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace
{

constexpr int kCanvasWidth = 400;
constexpr int kCanvasHeight = 300;
const QColor kHighlight(255, 128, 0);

// Every kind, overlapping: the first rectangle lies under the second, whose pixel (90, 210)
// (world (90, 90)) both cover.
const QByteArray kDrawing = "endheader\n"
                            "rect 20 20 120 120 blue\n"
                            "rect 60 60 160 160 green\n"
                            "circle 200 200 30 red\n"
                            "line 10 280 390 250 navy\n"
                            "path 4 250 20 300 80 350 20 380 90 purple\n"
                            "polygon 3 200 20 240 120 180 100 teal\n"
                            "pt 300 200 maroon 0\n"
                            "pt 320 200 olive 3\n"
                            "pt 340 200 fuchsia 2\n"
                            "pt 360 200 red 1\n";
const QPoint kOverlap(90, 210);

QImage canvasImage()
{
    return ViewerApp::instance()->display->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The two layers as the printer gets them, on a white page of the canvas's size.
QImage layersImage()
{
    const ViewerApp* app = ViewerApp::instance();
    QImage image(app->display->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const SceneView view = app->sceneView(image.size());
    ScenePainter scene;
    scene.paintLayer(&painter, view, 0);
    scene.paintLayer(&painter, view, 1);
    return image;
}

// The first pixel inside the canvas's 1-pixel outline where the images differ, or empty.
QString firstDifferenceInside(const QImage& actual, const QImage& expected)
{
    for (int y = 1; y < expected.height() - 1; ++y)
        for (int x = 1; x < expected.width() - 1; ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return QStringLiteral("(%1,%2): %3 vs %4")
                    .arg(x)
                    .arg(y)
                    .arg(QColor(actual.pixel(x, y)).name(), QColor(expected.pixel(x, y)).name());
    return QString();
}

// Hands the next modal window to the check once it shows and then makes sure it is closed, so
// that a failed check cannot leave the test waiting on it. The class name of what showed is
// stored in shown.
void handleNextModal(QString* shown, std::function<void(QWidget*)> check)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, shown, check] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll->stop();
        poll->deleteLater();
        *shown = QString::fromLatin1(modal->metaObject()->className());
        check(modal);
        if (modal->isVisible())
            modal->close();
    });
    poll->start();
    QTimer::singleShot(5000, poll, [poll] {
        poll->stop();
        poll->deleteLater();
    });
}

} // namespace

class TestPrintCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void printsAPdf();
    void layersReproduceTheCanvas_data();
    void layersReproduceTheCanvas();
    void outlinesStayOnePixelWhenScaled_data();
    void outlinesStayOnePixelWhenScaled();
    void previewShowsOnePageAndReturns();
    void aboutBox();
};

void TestPrintCommands::initTestCase()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(kCanvasWidth, kCanvasHeight)));
}

void TestPrintCommands::init()
{
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    app->originY = kCanvasHeight;
    app->fixX = app->fixY = -100;
}

// Both layers reach the page: a drawing adds to an empty page whether or not it is highlighted.
void TestPrintCommands::printsAPdf()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const auto print = [&](const QString& name) {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(directory.filePath(name));
        ViewerApp::instance()->commands.doPrintAllPaintObject(&printer);
        QFile file(directory.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray empty = print(QStringLiteral("empty.pdf"));
    testapp::loadText(kDrawing);
    const QByteArray plain = print(QStringLiteral("plain.pdf"));
    DrawingModel::instance()->setHighlighted(DrawingModel::instance()->objects, true);
    const QByteArray highlighted = print(QStringLiteral("highlighted.pdf"));
    QVERIFY(empty.startsWith("%PDF"));
    QVERIFY(plain.startsWith("%PDF"));
    QVERIFY(highlighted.startsWith("%PDF"));
    const QString sizes =
        QStringLiteral("%1 %2 %3").arg(empty.size()).arg(plain.size()).arg(highlighted.size());
    QVERIFY2(plain.size() > empty.size(), qPrintable(sizes));
    QVERIFY2(highlighted.size() > empty.size(), qPrintable(sizes));
}

void TestPrintCommands::layersReproduceTheCanvas_data()
{
    QTest::addColumn<QList<int>>("highlighted");
    QTest::addColumn<QList<int>>("hidden");
    QTest::addColumn<QColor>("atOverlap");
    QTest::newRow("load order") << QList<int>{} << QList<int>{} << QColor(0, 128, 0);
    QTest::newRow("highlighted on top") << QList<int>{0, 3, 4, 8, 9} << QList<int>{} << kHighlight;
    QTest::newRow("hidden highlighted") << QList<int>{0} << QList<int>{0} << QColor(0, 128, 0);
    QTest::newRow("all highlighted")
        << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} << QList<int>{} << kHighlight;
}

void TestPrintCommands::layersReproduceTheCanvas()
{
    QFETCH(QList<int>, highlighted);
    QFETCH(QList<int>, hidden);
    QFETCH(QColor, atOverlap);
    testapp::loadText(kDrawing);
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    for (int index : highlighted)
        DrawingModel::instance()->setHighlighted(objects[index], true);
    for (int index : hidden)
        objects[index]->visible = false;
    const QImage canvas = canvasImage();
    const QImage printed = layersImage();
    QCOMPARE(printed.size(), canvas.size());
    QCOMPARE(firstDifferenceInside(printed, canvas), QString());
    QCOMPARE(printed.pixelColor(kOverlap), atOverlap);
}

void TestPrintCommands::outlinesStayOnePixelWhenScaled_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("highlighted");
    QTest::newRow("grey outline") << QByteArray("rect 0 0 8 8 green") << false;
    QTest::newRow("highlighted outline") << QByteArray("rect 0 0 8 8 green") << true;
    QTest::newRow("highlighted square marker") << QByteArray("pt 4 4 green 1") << true;
}

// A print preview scales the page as the user zooms it: outlines stay one device pixel wide,
// as on the canvas, instead of growing with the scale.
void TestPrintCommands::outlinesStayOnePixelWhenScaled()
{
    QFETCH(QByteArray, record);
    QFETCH(bool, highlighted);
    testapp::loadText("endheader\n" + record + "\n");
    ViewerApp* app = ViewerApp::instance();
    app->originX = 10;
    app->originY = 90;
    app->ratio = 10;
    app->pointSize = 20;
    DrawingModel::instance()->objects.front()->highlighted = highlighted;
    QPicture page;
    {
        QPainter painter(&page);
        const SceneView view = app->sceneView(app->display->size());
        ScenePainter scene;
        scene.paintLayer(&painter, view, 0);
        scene.paintLayer(&painter, view, 1);
    }
    constexpr int kScale = 4;
    QImage image(kScale * 100, kScale * 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.scale(kScale, kScale);
        painter.drawPicture(0, 0, page);
    }
    // Down the middle column: white, the top edge, then the inside in another colour.
    const int column = kScale * 50;
    int y = 0;
    while (y < image.height() && image.pixel(column, y) == qRgb(255, 255, 255))
        ++y;
    QVERIFY(y < image.height());
    const QRgb edge = image.pixel(column, y);
    int thickness = 0;
    while (y < image.height() && image.pixel(column, y) == edge) {
        ++thickness;
        ++y;
    }
    QCOMPARE(thickness, 1);
    QVERIFY(y < image.height() && image.pixel(column, y) != qRgb(255, 255, 255));
}

void TestPrintCommands::previewShowsOnePageAndReturns()
{
    testapp::loadText(kDrawing);
    QString shown;
    int pages = -1;
    handleNextModal(&shown, [&pages](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(modal);
        if (!dialog)
            return;
        if (auto* preview = dialog->findChild<QPrintPreviewWidget*>())
            pages = preview->pageCount();
        dialog->reject();
    });
    ViewerApp::instance()->commands.doPrint();
    QCOMPARE(shown, QStringLiteral("QPrintPreviewDialog"));
    QCOMPARE(pages, 1);
}

void TestPrintCommands::aboutBox()
{
    QString shown;
    QString title, text;
    bool hasIcon = false;
    handleNextModal(&shown, [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        hasIcon = !box->iconPixmap().isNull();
        box->accept();
    });
    ViewerApp::instance()->aboutAction->trigger();
    QCOMPARE(shown, QStringLiteral("QMessageBox"));
    QCOMPARE(title, QStringLiteral("About Vedra"));
    QVERIFY(hasIcon);

    const QString head =
        QStringLiteral("<font face=arial><font size=6 color=blue>Vedra 1.1</font><hr>");
    const QString tail = QStringLiteral("<br><font size=4>2011.06.12</font> </font>");
    QVERIFY2(text.startsWith(head), qPrintable(text));
    QVERIFY2(text.endsWith(tail), qPrintable(text));
    QVERIFY(text.contains(QString::fromLatin1(qVersion())));
    // Between the two: three credit paragraphs, each after the first opened by a line break.
    const QString credits = text.mid(head.size(), text.size() - head.size() - tail.size());
    const QStringList paragraphs = credits.split(QStringLiteral("<br>"));
    QCOMPARE(paragraphs.size(), 3);
    for (const QString& paragraph : paragraphs) {
        QVERIFY2(paragraph.startsWith(QStringLiteral("<font size=4>")), qPrintable(paragraph));
        QVERIFY2(paragraph.endsWith(QStringLiteral("</font> ")), qPrintable(paragraph));
        QCOMPARE(paragraph.count(QStringLiteral("<font size=4>")), 1);
    }
}

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
