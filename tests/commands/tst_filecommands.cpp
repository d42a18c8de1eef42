#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "commands/qwgtlistitemwithobj.h"
#include "follow/changetracker.h"
#include "follow/fileloader.h"
#include "follow/followcontrol.h"
#include "handlers/paintobjecthandler.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QWindow>
#include <QtTest>

#include <fstream>
#include <limits>
#include <sys/stat.h>

namespace
{

// Answers the next modal file dialog with the given path.
void answerFileDialog(const QString& path)
{
    QTimer::singleShot(0, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Open .las file"));
        QCOMPARE(dialog->nameFilters(), (QStringList{QStringLiteral("las files (*.las)"),
                                                     QStringLiteral("All files (*)")}));
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(path);
        // accept() is protected in QFileDialog; it is a slot, so call it through the meta-object.
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void stepsThroughTheSeries_data();
    void stepsThroughTheSeries();
    void stepsThroughNamesOutsideTheLocalEncoding();
    void stepsOverAPipeInTheSeries();
    void splitsIndexFileNames_data();
    void splitsIndexFileNames();
    void openThroughTheDialog();
    void openNonAsciiName();
    void cancelledDialogChangesNothing();
    void reloadDropsThePick();
    void investigationAcrossAStep_data();
    void investigationAcrossAStep();
    void backgroundLoadShowsTheDrawingWhole_data();
    void backgroundLoadShowsTheDrawingWhole();

private:
    QTemporaryDir directory;
};

void TestFileCommands::init()
{
    testapp::resetApplication();
    QVERIFY(directory.isValid());
}

void TestFileCommands::stepsThroughTheSeries_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QString>("expected");
    const QStringList none;
    QTest::newRow("next over a gap") << QStringList{"f.3", "f.7"} << "f.3" << true << "f.7";
    QTest::newRow("next with nothing above") << QStringList{"f.3"} << "f.3" << true << "f.4";
    QTest::newRow("next beyond twenty") << QStringList{"f.3", "f.24"} << "f.3" << true << "f.4";
    QTest::newRow("next at the twentieth") << QStringList{"f.3", "f.23"} << "f.3" << true << "f.23";
    QTest::newRow("previous finds nothing in twenty")
        << QStringList{"f.2", "f.25"} << "f.25" << false << "f.24";
    QTest::newRow("previous over a gap") << QStringList{"f.2", "f.9"} << "f.9" << false << "f.2";
    QTest::newRow("previous to zero") << QStringList{"f.1"} << "f.1" << false << "f.0";
    QTest::newRow("previous from zero") << QStringList{"f.0"} << "f.0" << false << "f.0";
    QTest::newRow("leading zeros next") << QStringList{"f.007", "f.8"} << "f.007" << true << "f.8";
    QTest::newRow("leading zeros previous") << QStringList{"f.007"} << "f.007" << false << "f.6";
    QTest::newRow("tab in the name")
        << QStringList{"tab\tb.1", "tab\tb.2"} << "tab\tb.1" << true << "tab\tb.2";
    QTest::newRow("line breaks in the name")
        << QStringList{"a\nb\rc\vd\fe.2"} << "a\nb\rc\vd\fe.5" << false << "a\nb\rc\vd\fe.2";
    QTest::newRow("no index") << QStringList{"f"} << "f" << true << "f";
    QTest::newRow("upper-case extension") << QStringList{} << "f.3.LAS" << true << "f.3.LAS";
    QTest::newRow("no dot before the index") << QStringList{} << "f3" << false << "f3";
    QTest::newRow("time stamp next") << QStringList{"t.1700000000123", "t.1700000000130"}
                                     << "t.1700000000123" << true << "t.1700000000130";
    QTest::newRow("time stamp previous")
        << QStringList{"t.1700000000123"} << "t.1700000000123" << false << "t.1700000000122";
    QTest::newRow("next from the largest index")
        << QStringList{"t.9223372036854775807"} << "t.9223372036854775807" << true
        << "t.9223372036854775807";
}

void TestFileCommands::stepsThroughTheSeries()
{
    QFETCH(QStringList, present);
    QFETCH(QString, current);
    QFETCH(bool, forward);
    QFETCH(QString, expected);
    QTemporaryDir series;
    const auto pathOf = [&series](const QString& stem) {
        return series.filePath(stem.endsWith(QLatin1String(".LAS")) ? stem : stem + ".las");
    };
    // Each file names itself in a comment, percent-encoded so that a line break in the name
    // cannot end the record.
    const auto tagOf = [](const QString& stem) { return stem.toUtf8().toPercentEncoding(); };
    for (const QString& stem : present)
        testapp::writeFile(pathOf(stem), "endheader\npt 1 1 red 0 // " + tagOf(stem) + "\n");
    ViewerApp* app = ViewerApp::instance();
    app->fileName = QFile::encodeName(pathOf(current)).toStdString();
    app->loadScript();
    app->listedName = "pt";
    if (forward)
        app->commands.doSwitchNextFile();
    else
        app->commands.doSwitchPreFile();
    QCOMPARE(QFile::decodeName(app->fileName.c_str()), pathOf(expected));
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    if (expected == current) {
        // Nothing happened, not even a reload.
        QCOMPARE(app->listedName, std::string("pt"));
        return;
    }
    QCOMPARE(app->listedName, std::string());
    QVERIFY(app->mainWindow->windowTitle().startsWith(pathOf(expected) + " - Vedra 1.1"));
    // The status bar says what the step found.
    const QString message = app->mainWindow->statusBar()->currentMessage();
    if (present.contains(expected)) {
        QCOMPARE(objects.size(), std::size_t(1));
        QCOMPARE(objects.front()->comments, QStringList(" " + tagOf(expected)));
        QVERIFY2(message.startsWith(QStringLiteral("1 object loaded in ")), qPrintable(message));
    } else {
        QVERIFY(objects.empty());
        QCOMPARE(message, QFileInfo(pathOf(expected)).fileName() + " does not exist");
    }
}

// A name with a byte that is no UTF-8 (Latin-1 "é") opens, and its neighbour is found by its
// bytes.
void TestFileCommands::stepsThroughNamesOutsideTheLocalEncoding()
{
    QTemporaryDir series;
    const std::string stem = QFile::encodeName(series.path()).toStdString() + "/caf\xe9.";
    std::ofstream(stem + "3.las") << "endheader\npt 1 1 red 0\n";
    std::ofstream(stem + "4.las") << "endheader\npt 1 1 red 0\npt 2 2 red 0\n";
    ViewerApp* app = ViewerApp::instance();
    app->fileName = stem + "3.las";
    app->loadScript();
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(1));
    app->commands.doSwitchNextFile();
    QCOMPARE(app->fileName, stem + "4.las");
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(2));
}

// Opening a pipe for reading waits for a writer, for ever here; stepping must neither wait nor
// stop there.
void TestFileCommands::stepsOverAPipeInTheSeries()
{
    QTemporaryDir series;
    const std::string stem = QFile::encodeName(series.path()).toStdString() + "/run.";
    std::ofstream(stem + "3.las") << "endheader\npt 1 1 red 0\n";
    QCOMPARE(mkfifo((stem + "4.las").c_str(), 0600), 0);
    std::ofstream(stem + "5.las") << "endheader\npt 1 1 red 0\npt 2 2 red 0\n";
    ViewerApp* app = ViewerApp::instance();
    app->fileName = stem + "3.las";
    app->loadScript();
    app->commands.doSwitchNextFile();
    QCOMPARE(app->fileName, stem + "5.las");
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(2));
}

void TestFileCommands::splitsIndexFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<qint64>("index");
    QTest::newRow("plain") << "C:/run/f.12.las" << true << "C:/run/f." << qint64(12);
    QTest::newRow("several numbers") << "run.3.5.las" << true << "run.3." << qint64(5);
    QTest::newRow("text after the match") << "a.2.las.bak" << true << "a." << qint64(2);
    QTest::newRow("blank in the name") << "my run.4.las" << true << "my run." << qint64(4);
    QTest::newRow("tab and line break in the folder")
        << "/tmp/a\tb\nc/f.7.las" << true << "/tmp/a\tb\nc/f." << qint64(7);
    QTest::newRow("index beyond an int")
        << "f.99999999999.las" << true << "f." << qint64(99999999999);
    QTest::newRow("largest index")
        << "f.9223372036854775807.las" << true << "f." << std::numeric_limits<qint64>::max();
    QTest::newRow("index beyond 64 bits")
        << "f.9223372036854775808.las" << false << "" << qint64(-1);
    QTest::newRow("no index") << "f.las" << false << "" << qint64(-1);
    QTest::newRow("upper case") << "f.3.LAS" << false << "" << qint64(-1);
}

void TestFileCommands::splitsIndexFileNames()
{
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QFETCH(QString, prefix);
    QFETCH(qint64, index);
    ViewerApp* app = ViewerApp::instance();
    app->fileName = QFile::encodeName(name).toStdString();
    std::string actualPrefix = "untouched", actualSuffix = "untouched";
    qint64 actualIndex = -1;
    QCOMPARE(app->commands.splitIndexFileName(actualPrefix, actualIndex, actualSuffix), matches);
    QCOMPARE(QString::fromStdString(actualPrefix), matches ? prefix : QStringLiteral("untouched"));
    QCOMPARE(actualIndex, index);
    QCOMPARE(actualSuffix, std::string(matches ? ".las" : "untouched"));
}

void TestFileCommands::openThroughTheDialog()
{
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText("endheader\npt 0 0 red 0\n");
    app->commands.doListAnItemType("pt");
    QCOMPARE(app->itemList->count(), 1);
    const QString path = directory.filePath(QStringLiteral("chosen.las"));
    testapp::writeFile(path, "endheader\nline 0 0 1 1 red\nrect 0 0 2 2 blue\n");
    app->ratio = 3;
    answerFileDialog(path);
    app->openAction->trigger();
    QCOMPARE(QFile::decodeName(app->fileName.c_str()), path);
    QCOMPARE(app->mainWindow->windowTitle(),
             path + QStringLiteral(" - Vedra 1.1 [ move - default ]"));
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(2));
    QCOMPARE(app->itemList->count(), 0);
    QCOMPARE(app->listedName, std::string());
    // A newly opened file is drawn at the current view.
    QCOMPARE(app->ratio, 3.0);
    QVERIFY(app->mainWindow->statusBar()->currentMessage().startsWith("2 objects loaded in "));
    QCOMPARE(app->objectCountLabel->text(), QStringLiteral("2 objects"));
    // What cannot be opened, or has no drawing, says why, and the drawing is empty.
    QDir(directory.path()).mkdir(QStringLiteral("folder.las"));
    testapp::writeFile(directory.filePath("header.las"), "color ink 1 2 3\npt 0 0 ink 0\n");
    const std::pair<QString, QString> cases[] = {
        {"missing.las", "Cannot open " + directory.filePath("missing.las") + ": no such file"},
        {"folder.las", "Cannot open " + directory.filePath("folder.las") + ": it is a directory"},
        {"header.las", "no endheader line: the whole file was read as header"}};
    for (const auto& [name, message] : cases) {
        app->commands.openFile(directory.filePath(name));
        QCOMPARE(app->objectCountLabel->text(), QStringLiteral("0 objects"));
        QCOMPARE(app->mainWindow->statusBar()->currentMessage(), message);
    }
}

void TestFileCommands::openNonAsciiName()
{
    ViewerApp* app = ViewerApp::instance();
    const QString path = directory.filePath(QStringLiteral("résumé.las"));
    testapp::writeFile(path, "endheader\npt 0 0 red 0\n");
    answerFileDialog(path);
    app->commands.doOpenfile();
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(1));
    QVERIFY(app->mainWindow->windowTitle().startsWith(path));
}

void TestFileCommands::cancelledDialogChangesNothing()
{
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText("endheader\npt 0 0 red 0\n");
    app->listedName = "pt";
    answerFileDialog(QString());
    app->commands.doOpenfile();
    QCOMPARE(app->fileName, std::string("current.las"));
    QCOMPARE(app->listedName, std::string("pt"));
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(1));
}

void TestFileCommands::reloadDropsThePick()
{
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText("endheader\npt 0 0 red 0\n");
    app->pickedList.push_back(DrawingModel::instance()->objects.front());
    app->reloadAction->trigger();
    QVERIFY(app->pickedList.empty());
    QCOMPARE(app->pickRect[2], -999999999);
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(1));
}

void TestFileCommands::investigationAcrossAStep_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QString>("move");
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QByteArray>("firstPoint");
    QTest::addColumn<int>("listed");
    QTest::addColumn<bool>("described");
    QTest::addColumn<bool>("background");
    const QByteArray same = "pt 1 1 red 0 net a !! rect:w>1\n";
    const QByteArray moved = "pt 1 1.5 red 0 net a !! rect:w>1\n";
    QTest::newRow("nothing kept: the description goes with its object")
        << false << "step"
        << "pt:net==a" << same << 0 << false << false;
    QTest::newRow("nothing kept across a reload") << false << "reload"
                                                  << "pt:net==a" << same << 0 << false << false;
    QTest::newRow("query run again, described object still there")
        << true << "step"
        << "pt:net==a" << same << 2 << true << false;
    QTest::newRow("query run again, described object gone")
        << true << "step"
        << "pt:net==a" << moved << 2 << false << false;
    QTest::newRow("type listed again") << true << "step"
                                       << "pt" << same << 3 << true << false;
    QTest::newRow("query run again after a load in the background")
        << true << "step"
        << "pt:net==a" << moved << 2 << false << true;
    QTest::newRow("kept across a reload") << true << "reload"
                                          << "pt" << same << 3 << true << false;
    QTest::newRow("an Open of another series keeps nothing") << true << "open"
                                                             << "pt" << same << 0 << false << false;
}

// f.1.las is investigated: rectangles hidden, a listing, its first entry described; then the
// user steps to f.2.las, reloads f.1.las (rewritten as f.2.las is) or opens g.2.las (the same
// text as f.2.las, in another series).
void TestFileCommands::investigationAcrossAStep()
{
    QFETCH(bool, keep);
    QFETCH(QString, move);
    QFETCH(QString, listing);
    QFETCH(QByteArray, firstPoint);
    QFETCH(int, listed);
    QFETCH(bool, described);
    QFETCH(bool, background);
    ViewerApp* app = ViewerApp::instance();
    DrawingModel* model = DrawingModel::instance();
    const QByteArray header = "property pt net string none\nendheader\n";
    const QByteArray next = header + "pt 3 3 red 0 net a\n" + firstPoint +
                            "pt 2 2 red 0 net b\nrect 0 0 1 1 blue\n" + "rect 5 5 6 6 blue\n";
    testapp::writeFile(directory.filePath("f.1.las"),
                       header + "pt 1 1 red 0 net a !! rect:w>1\n" +
                           "pt 2 2 red 0 net b\nrect 0 0 1 1 blue\n");
    testapp::writeFile(directory.filePath("f.2.las"), next);
    testapp::writeFile(directory.filePath("g.2.las"), next);
    app->followControl->keepInvestigationAction->setChecked(keep);
    QCOMPARE(RememberedState::keepInvestigation(), keep);
    app->commands.openFile(directory.filePath("f.1.las"));
    model->handlers.at("rect")->hideAllObject();
    if (listing.contains(':'))
        app->commands.runConditionalPick(listing);
    else
        app->commands.doListAnItemType(listing.toStdString());
    app->itemList->setCurrentRow(0);
    const QString description = app->itemText->toPlainText();
    QVERIFY(description.startsWith("Point"));
    QCOMPARE(app->relatedList->count(), 1);

    if (background)
        app->fileLoader->setBackgroundFrom(0);
    if (move == "step") {
        app->nextFileAction->trigger();
    } else if (move == "reload") {
        testapp::writeFile(directory.filePath("f.1.las"), next);
        app->reloadAction->trigger();
    } else {
        app->commands.openFile(directory.filePath("g.2.las"));
    }
    QVERIFY(testapp::waitForLoad());
    app->fileLoader->setBackgroundFrom(FileLoader::kBackgroundFrom);
    QVERIFY(app->fileName.find(move == "step"     ? "f.2.las"
                               : move == "reload" ? "f.1.las"
                                                  : "g.2.las") != std::string::npos);
    const bool kept = keep && move != "open";
    for (const paintObject* rect : model->objectsOfType("rect"))
        QCOMPARE(rect->visible, !kept);
    QCOMPARE(app->itemList->count(), listed);
    QCOMPARE(int(app->pickedList.size()), listing.contains(':') ? listed : 0);
    QCOMPARE(app->itemText->toPlainText(), described ? description : QString());
    QCOMPARE(app->relatedList->count(), described ? 1 : 0);
    // A kept description keeps its entry selected, and so its object highlighted.
    const auto* current = static_cast<const QwgtListItemWithObj*>(app->itemList->currentItem());
    QCOMPARE(current && current->isSelected(), kept && described);
    if (current) {
        QCOMPARE(current->object->minY, 1.0);
        QVERIFY(current->object->highlighted);
    }
    // The next step keeps what this one kept.
    if (move == "step") {
        app->previousFileAction->trigger();
        QCOMPARE(model->objectsOfType("rect").front()->visible, !kept);
    }
    app->followControl->keepInvestigationAction->setChecked(false);
}

void TestFileCommands::backgroundLoadShowsTheDrawingWhole_data()
{
    QTest::addColumn<QString>("during");
    QTest::addColumn<bool>("showChanges");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");
    QTest::newRow("load finishes") << "" << false << "s.2.las"
                                   << "3 objects loaded";
    QTest::newRow("load finishes, changes shown") << "" << true << "s.2.las"
                                                  << "3 objects loaded";
    QTest::newRow("Esc") << "esc" << false << "s.1.las"
                         << "Loading s.2.las cancelled";
    QTest::newRow("Cancel button") << "cancel" << false << "s.1.las"
                                   << "Loading s.2.las cancelled";
    QTest::newRow("Esc, changes shown") << "esc" << true << "s.1.las"
                                        << "Loading s.2.las cancelled";
    QTest::newRow("another file opened") << "open" << false << "c.las"
                                         << "1 object loaded";
}

// s.1.las is shown; s.2.las is opened and loads in the background. Until it is in, the window shows
// s.1.las whole and takes no command; a stopped load leaves s.1.las as it was.
void TestFileCommands::backgroundLoadShowsTheDrawingWhole()
{
    QFETCH(QString, during);
    QFETCH(bool, showChanges);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    ViewerApp* app = ViewerApp::instance();
    DrawingModel* model = DrawingModel::instance();
    const QMap<QString, int> counts{{"s.1.las", 2}, {"s.2.las", 3}, {"c.las", 1}};
    testapp::writeFile(directory.filePath("s.1.las"),
                       "color ink 10 20 30\nendheader\npt 1 1 ink 0\nrect 0 0 1 1 blue\n");
    testapp::writeFile(directory.filePath("s.2.las"),
                       "endheader\npt 1 1 ink 0\nrect 0 0 2 2 blue\nline 0 0 1 1 red\n");
    testapp::writeFile(directory.filePath("c.las"), "endheader\ncircle 0 0 1 red\n");
    app->commands.openFile(directory.filePath("s.1.las"));
    app->changeTracker->showChangesAction->setChecked(showChanges);
    QVERIFY(testapp::showCanvasAt(QSize(200, 150)));
    app->fileLoader->setBackgroundFrom(0);
    const std::string before = app->fileName;
    const double ratio = app->ratio;
    app->mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(app->mainWindow));
    app->display->setFocus();
    QVERIFY(QTest::qWaitFor([app] { return app->display->hasFocus(); }));
    QStatusBar* status = app->mainWindow->statusBar();
    const QList<QWidget*> fixed{app->pointerLabel, app->objectCountLabel};
    QList<QRect> places;
    for (const QWidget* widget : fixed)
        places << widget->geometry();

    app->commands.openFile(directory.filePath("s.2.las"));
    QVERIFY(app->fileLoader->busy());
    QCOMPARE(model->objects.size(), std::size_t(2));
    QCOMPARE(app->fileName, before);
    // The progress, once shown, moves none of the other status widgets. (Only the status bar's
    // layout is run: the event loop would take the load's result.)
    status->findChild<QPushButton*>()->parentWidget()->show();
    QCoreApplication::sendPostedEvents(status, QEvent::LayoutRequest);
    for (int k = 0; k < fixed.size(); ++k)
        QCOMPARE(fixed[k]->geometry(), places[k]);
    // What acts on the drawing waits: its keys and shortcuts reach nothing meanwhile. The view
    // of the drawing shown still moves by the keys and the wheel: Page Up doubles the ratio, a
    // wheel notch adds one, Back undoes the notch.
    QTest::keyClick(app->display, Qt::Key_D);
    QTest::keySequence(app->display, QKeySequence(QKeySequence::Refresh));
    QTest::keyClick(app->display, Qt::Key_PageUp);
    // The wheel and the Cancel click come as the window system sends them: to the window first,
    // which hands them to the widget under the pointer.
    QWindow* window = app->mainWindow->windowHandle();
    const QPointF overCanvas = app->display->mapTo(app->mainWindow, QPointF(100, 75));
    QWheelEvent wheel(overCanvas, app->mainWindow->mapToGlobal(overCanvas), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &wheel);
    QCOMPARE(app->changeTracker->showChangesAction->isChecked(), showChanges);
    QCOMPARE(app->ratio, 2 * ratio + 1);
    QTest::keyClick(app->display, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(app->ratio, 2 * ratio);
    QVERIFY(app->fileLoader->busy());
    if (during == "esc")
        QTest::keyClick(app->display, Qt::Key_Escape);
    else if (during == "cancel") {
        const QPushButton* cancel = status->findChild<QPushButton*>();
        const QPointF onCancel = cancel->mapTo(app->mainWindow, QPointF(cancel->rect().center()));
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent click(
                type, onCancel, app->mainWindow->mapToGlobal(onCancel), Qt::LeftButton,
                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(window, &click);
        }
    } else if (during == "open")
        app->commands.openFile(directory.filePath("c.las"));
    QVERIFY(testapp::waitForLoad());
    app->fileLoader->setBackgroundFrom(FileLoader::kBackgroundFrom);

    QVERIFY(app->fileName.find(shown.toStdString()) != std::string::npos);
    QVERIFY(app->mainWindow->windowTitle().contains(shown));
    QCOMPARE(model->objects.size(), std::size_t(counts[shown]));
    QCOMPARE(app->fileColors.count("ink"), std::size_t(shown == "s.1.las" ? 1 : 0));
    QVERIFY2(app->mainWindow->statusBar()->currentMessage().startsWith(message),
             qPrintable(app->mainWindow->statusBar()->currentMessage()));
    // With Show Changes on, s.2.las is compared with s.1.las: one record the same, two new.
    const bool changed = showChanges && shown == "s.2.las";
    QCOMPARE(model->changes() != nullptr, changed);
    QCOMPARE(app->changeTracker->summaryLabel->isVisibleTo(app->mainWindow), changed);
    if (changed)
        QCOMPARE(app->changeTracker->summaryLabel->text(), QString("+2 \u22121 since s.1.las"));
    app->changeTracker->showChangesAction->setChecked(false);
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
