#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "support/testapp.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace
{

// The entry of the menu bar's menus, or their submenus, with the text.
QAction* actionNamed(const QWidget* menus, const QString& text)
{
    for (QAction* action : menus->actions()) {
        if (action->text() == text)
            return action;
        if (action->menu())
            if (QAction* found = actionNamed(action->menu(), text))
                return found;
    }
    return nullptr;
}

// Chooses the entry of the menu by a click, as a user does; the menu is opened first by a click
// on the widget that shows it, or popped up where it has none.
void chooseFrom(QMenu* menu, QAction* entry, QMenuBar* bar = nullptr)
{
    if (bar)
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                          bar->actionGeometry(menu->menuAction()).center());
    else
        menu->popup(QPoint(0, 0));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(entry).center());
}

} // namespace

class TestViewerApp : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }
    // First, while the window has the size it was built with.
    void defaultWindowShowsEveryToolBarButtonInSharpIcons();
    void builtInColors_data();
    void builtInColors();
    void fileColorsWin();
    void eachNamePaintsInItsFilesColour();
    void settingsAreReadPositionally_data();
    void settingsAreReadPositionally();
    void mappingAndBasicInfo();
    void farCoordinatesClampInsteadOfOverflowing();
    void farCoordinatesKeepTheWindowSize();
    void titleFollowsModeAndFile();
    void recentFilesAreRememberedInTheTestSettings();
    void commandsFromMenusAndTheExplorerLeaveTheFocusOnTheCanvas_data();
    void commandsFromMenusAndTheExplorerLeaveTheFocusOnTheCanvas();
    void resetLayoutPutsDocksAndToolBarsBack();
    void keysPageNamesTheMouseGestures();
};

// Without config.ini the window grows to show every toolbar button where the screen has room
// (this test's screen is 1920x1200), and every icon carries its versions for scaled screens.
void TestViewerApp::defaultWindowShowsEveryToolBarButtonInSharpIcons()
{
    const ViewerApp* app = ViewerApp::instance();
    QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow));
    for (QToolBar* bar : {app->mainToolBar, app->objectControlToolBar}) {
        for (QAction* action : bar->actions()) {
            const QWidget* button = bar->widgetForAction(action);
            QVERIFY2(button && button->isVisible(), qPrintable(action->toolTip()));
            QList<QSize> sizes = action->icon().availableSizes();
            QVERIFY2(!sizes.isEmpty(), qPrintable(action->toolTip()));
            std::sort(sizes.begin(), sizes.end(),
                      [](const QSize& a, const QSize& b) { return a.width() < b.width(); });
            QVERIFY2(sizes.contains(sizes.first() * 2) && sizes.contains(sizes.first() * 3),
                     qPrintable(action->toolTip()));
        }
    }
}

void TestViewerApp::builtInColors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("aqua") << "aqua" << QColor(0, 255, 255);
    QTest::newRow("10") << "10" << QColor(0, 255, 255);
    QTest::newRow("maroon") << "maroon" << QColor(128, 0, 0);
    QTest::newRow("9") << "9" << QColor(128, 0, 0);
    QTest::newRow("1") << "1" << QColor(255, 255, 255);
    QTest::newRow("16") << "16" << QColor(0, 0, 0);
    QTest::newRow("0") << "0" << QColor();
    QTest::newRow("17") << "17" << QColor();
    QTest::newRow("Red") << "Red" << QColor();
    QTest::newRow("red ") << "red " << QColor();
}

void TestViewerApp::builtInColors()
{
    QFETCH(QString, name);
    QFETCH(QColor, expected);
    const QColor actual = ViewerApp::instance()->colorOf(name.toStdString());
    QCOMPARE(actual.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(actual, expected);
}

void TestViewerApp::fileColorsWin()
{
    testapp::loadText("color red 0 0 255\ncolor 4 1 1 1\ncolor glow 300 -5 128\nendheader\n");
    const ViewerApp* app = ViewerApp::instance();
    QCOMPARE(app->colorOf("red"), QColor(0, 0, 255));
    QCOMPARE(app->colorOf("4"), QColor(1, 1, 1));
    QCOMPARE(app->colorOf("glow"), QColor(255, 0, 128));
    QCOMPARE(app->colorOf("blue"), QColor(0, 0, 255));
}

// A paint remembers the colours it resolves; with more names than it keeps at once, and after a
// new file redefines every name, each object must still get its own file's colour. The names
// come in several lengths, many of them alike but for a byte or two in the middle.
void TestViewerApp::eachNamePaintsInItsFilesColour()
{
    QVERIFY(testapp::showCanvasAt(QSize(420, 60)));
    constexpr int kNames = 100;
    const auto nameOf = [](int i) {
        switch (i % 4) {
        case 0:
            return QStringLiteral("n%1").arg(i);
        case 1:
            return QStringLiteral("prefixAB%1suffixCD").arg(i, 2, 10, QLatin1Char('0'));
        case 2:
            return QStringLiteral("abcdefg%1zzzzzzz").arg(i, 2, 10, QLatin1Char('0'));
        default:
            return QStringLiteral("qqqq%1").arg(i);
        }
    };
    for (const bool second : {false, true}) {
        QByteArray text;
        for (int i = 0; i < kNames; ++i) {
            const QColor color = second ? QColor(7, i, 2 * i) : QColor(i, 2 * i, 7);
            text += QStringLiteral("color %1 %2 %3 %4\n")
                        .arg(nameOf(i))
                        .arg(color.red())
                        .arg(color.green())
                        .arg(color.blue())
                        .toLatin1();
        }
        text += "endheader\n";
        for (int i = 0; i < kNames; ++i)
            text += QStringLiteral("rect %1 -30 %2 -10 %3\n")
                        .arg(i * 4)
                        .arg(i * 4 + 2)
                        .arg(nameOf(i))
                        .toLatin1();
        testapp::loadText(text);
        const QImage image = ViewerApp::instance()->display->grab().toImage();
        for (int i = 0; i < kNames; ++i) {
            const QColor expected = second ? QColor(7, i, 2 * i) : QColor(i, 2 * i, 7);
            QCOMPARE(image.pixelColor(i * 4 + 1, 20), expected);
        }
    }
}

struct Settings {
    double ratio;
    int pointSize, lineWidth;
    QColor highlight;
    int width, height, toolButtonSize, infoFontSize;
};
Q_DECLARE_METATYPE(Settings)

void TestViewerApp::settingsAreReadPositionally_data()
{
    const ViewerApp* app = ViewerApp::instance();
    const Settings defaults = {app->ratio,          app->pointSize,   app->lineWidth,
                               app->highlightColor, app->windowWidth, app->windowHeight,
                               app->toolButtonSize, app->infoFontSize};
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<Settings>("expected");
    QTest::newRow("all seven with remarks")
        << QByteArray("2.5 ratio\n100 7 words\n4\n1 2 3 rgb\n800 600\n40\n5\ntypeusing pt\n")
        << Settings{2.5, 100, 4, QColor(1, 2, 3), 800, 600, 40, 5};
    QTest::newRow("leading blank lines and spaces")
        << QByteArray("\n\n   3\n  2\n1\n0 0 0\n640 480\n30\n2\n")
        << Settings{3, 2, 1, QColor(0, 0, 0), 640, 480, 30, 2};
    // Line 4 holds two numbers: blue comes from line 5, whose rest is dropped, so every later
    // setting is read one line further down.
    QTest::newRow("short line shifts the rest")
        << QByteArray("2\n3\n1\n10 20\n30 999\n640 480\n30\n2\n")
        << Settings{2, 3, 1, QColor(10, 20, 30), 640, 480, 30, 2};
    QTest::newRow("floors") << QByteArray("2\n0\n-4\n0 0 0\n640 480\n3\n-2\n")
                            << Settings{2, 1, 1, QColor(0, 0, 0), 640, 480, 3, 1};
    QTest::newRow("unreadable value stops the rest")
        << QByteArray("2\n5\nwide\n0 0 0\n640 480\n30\n2\n")
        << Settings{2,
                    5,
                    defaults.lineWidth,
                    defaults.highlight,
                    defaults.width,
                    defaults.height,
                    defaults.toolButtonSize,
                    defaults.infoFontSize};
    QTest::newRow("ratio that is no positive number is refused")
        << QByteArray("0\n5\n") << Settings{defaults.ratio,          5,
                                            defaults.lineWidth,      defaults.highlight,
                                            defaults.width,          defaults.height,
                                            defaults.toolButtonSize, defaults.infoFontSize};
    QTest::newRow("negative ratio") << QByteArray("-2\n") << defaults;
    QTest::newRow("overflowing ratio") << QByteArray("1e999\n") << defaults;
    QTest::newRow("empty") << QByteArray() << defaults;
}

void TestViewerApp::settingsAreReadPositionally()
{
    QFETCH(QByteArray, config);
    QFETCH(Settings, expected);
    ViewerApp* app = ViewerApp::instance();
    const Settings before = {app->ratio,          app->pointSize,   app->lineWidth,
                             app->highlightColor, app->windowWidth, app->windowHeight,
                             app->toolButtonSize, app->infoFontSize};
    app->readSettings(std::string_view(config.constData(), config.size()));
    QCOMPARE(app->ratio, expected.ratio);
    QCOMPARE(app->pointSize, expected.pointSize);
    QCOMPARE(app->lineWidth, expected.lineWidth);
    QCOMPARE(app->highlightColor, expected.highlight);
    QCOMPARE(app->windowWidth, expected.width);
    QCOMPARE(app->windowHeight, expected.height);
    QCOMPARE(app->toolButtonSize, expected.toolButtonSize);
    QCOMPARE(app->infoFontSize, expected.infoFontSize);
    app->readSettings(std::string_view());
    app->ratio = before.ratio;
    app->pointSize = before.pointSize;
    app->lineWidth = before.lineWidth;
    app->highlightColor = before.highlight;
    app->windowWidth = before.width;
    app->windowHeight = before.height;
    app->toolButtonSize = before.toolButtonSize;
    app->infoFontSize = before.infoFontSize;
}

void TestViewerApp::mappingAndBasicInfo()
{
    ViewerApp* app = ViewerApp::instance();
    app->ratio = 2;
    app->originX = 100;
    app->originY = 300;
    QCOMPARE(app->pixelX(10), 120);
    QCOMPARE(app->pixelY(20), 260);
    // Truncation toward zero on both sides of the origin.
    QCOMPARE(app->pixelX(-50.6), -1);
    QCOMPARE(app->pixelY(150.3), -0);
    QCOMPARE(app->pixelLength(1.74), 3);
    app->mouseX = 120;
    app->mouseY = 260;
    app->fixX = 100;
    app->fixY = 301;
    app->infoFontSize = 4;
    app->updateInfo();
    QCOMPARE(app->basicInfoLabel->text(),
             QStringLiteral(" <font color=blue size=4><font color=black>Mouse=</font>( 10.00 , "
                            "20.00 )<br><font color=black>Fix=</font>( 0.00 , -0.50 ) <br><font "
                            "color=black>Ratio=</font>2.000000</font>"));
    app->infoFontSize = 3;
}

void TestViewerApp::farCoordinatesClampInsteadOfOverflowing()
{
    ViewerApp* app = ViewerApp::instance();
    app->ratio = 1e6;
    const int limit = static_cast<int>(ViewerApp::kPixelLimit);
    QCOMPARE(app->pixelX(1e300), limit);
    QCOMPARE(app->pixelX(-1e300), -limit);
    QCOMPARE(app->pixelY(1e300), -limit);
    QCOMPARE(app->pixelX(std::numeric_limits<double>::infinity()), limit);
    QCOMPARE(app->pixelX(std::numeric_limits<double>::quiet_NaN()), -limit);
    QCOMPARE(app->pixelLength(1e300), limit);
    // Everything that can be on a screen maps exactly.
    QCOMPARE(app->pixelX(123.4567), 123456700);
}

// "%.2f" of a coordinate near the largest double has some 300 digits; the panel must not widen
// the window to show them all.
void TestViewerApp::farCoordinatesKeepTheWindowSize()
{
    QVERIFY(testapp::showCanvasAt(QSize(400, 300)));
    ViewerApp* app = ViewerApp::instance();
    const QSize size = app->mainWindow->size();
    app->ratio = 1;
    app->originX = -1e300;
    app->updateInfo();
    QApplication::processEvents();
    QVERIFY(app->basicInfoLabel->text().size() > 300);
    QCOMPARE(app->mainWindow->size(), size);
}

void TestViewerApp::titleFollowsModeAndFile()
{
    ViewerApp* app = ViewerApp::instance();
    QCOMPARE(app->mainWindow->windowTitle(), QStringLiteral("Vedra 1.1 [ move - default ]"));
    app->fileName = "a.las";
    app->setMode(1);
    QCOMPARE(app->mainWindow->windowTitle(), QStringLiteral("a.las - Vedra 1.1 [ pick ]"));
    app->setMode(0);
    QCOMPARE(app->mainWindow->windowTitle(),
             QStringLiteral("a.las - Vedra 1.1 [ move - default ]"));
    QAction* measure = actionNamed(app->mainWindow->menuBar(), "Measure Mode");
    measure->trigger();
    QCOMPARE(app->mainWindow->windowTitle(), QStringLiteral("a.las - Vedra 1.1 [ measure ]"));
    app->setMode(1);
    QCOMPARE(app->mainWindow->windowTitle(), QStringLiteral("a.las - Vedra 1.1 [ pick ]"));
    app->setMode(0);
    measure->trigger();
    QCOMPARE(app->mainWindow->windowTitle(),
             QStringLiteral("a.las - Vedra 1.1 [ move - default ]"));
}

// Files that open are kept newest first, once each, ten at most, one entry per numbered series
// (its last member opened), by the bytes of their names, in the settings of the test mode (never
// the user's). Open Recent shows them as named, reopens the same bytes, says when an entry's file
// is gone and offers to remove it, and its Clear Menu empties them.
void TestViewerApp::recentFilesAreRememberedInTheTestSettings()
{
    ViewerApp* app = ViewerApp::instance();
    const QString settingsFile =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Vedra", "vedra").fileName();
    QCOMPARE(RememberedState::settingsFile(), settingsFile);
    QVERIFY2(settingsFile.contains(QStringLiteral("qttest")), qPrintable(settingsFile));
    RememberedState::clearRecentFiles();
    const std::string folder = QFile::encodeName(QDir::currentPath()).toStdString() + '/';
    std::vector<std::string> expected;
    const auto open = [&](const std::string& name) {
        // By its bytes: a name that is not valid UTF-8 does not survive a trip through text.
        std::FILE* file = name == "missing.las" ? nullptr : std::fopen(name.c_str(), "w");
        if (file)
            std::fclose(file);
        app->commands.loadFile(name, QFunctionality::FileChange::Open);
    };
    for (int n = 0; n < 12; ++n) {
        open("recent" + std::to_string(n) + ".las");
        expected.insert(expected.begin(), folder + "recent" + std::to_string(n) + ".las");
    }
    open("recent3.las");
    std::rotate(expected.begin(),
                std::find(expected.begin(), expected.end(), folder + "recent3.las"),
                std::find(expected.begin(), expected.end(), folder + "recent3.las") + 1);
    open("missing.las");
    // Steps through a series are remembered once they pause, or before another file is shown:
    // the series' entry is the last member shown.
    for (const char* member : {"run.2.las", "run.10.las"})
        std::fclose(std::fopen(member, "w"));
    open("run.1.las");
    app->nextFileAction->trigger();
    QCOMPARE(RememberedState::recentPaths().front(), folder + "run.1.las");
    QTRY_COMPARE(RememberedState::recentPaths().front(), folder + "run.2.las");
    app->nextFileAction->trigger();
    // Not valid UTF-8, and with a character that menus take for a shortcut's mark.
    const std::string oddName = "\xff&.las";
    open(oddName);
    expected.insert(expected.begin(), {folder + oddName, folder + "run.10.las"});
    expected.resize(RememberedState::kMaxRecentFiles);
    QCOMPARE(RememberedState::recentPaths(), expected);

    const auto shown = [app] {
        QStringList texts;
        for (const QAction* action : app->recentMenu->actions())
            texts << (action->isSeparator() ? QStringLiteral("---") : action->text());
        return texts;
    };
    QStringList named;
    for (const std::string& path : expected)
        named << QFile::decodeName(QByteArray::fromStdString(path)).replace("&", "&&");
    QCOMPARE(shown(), named + QStringList({"---", "Clear Menu"}));
    app->recentMenu->actions().at(1)->trigger();
    QCOMPARE(app->fileName, folder + "run.10.las");
    app->recentMenu->actions().at(1)->trigger();
    QCOMPARE(app->fileName, folder + oddName);

    // recent11.las is fourth now; once gone, its entry asks before it goes and opens nothing.
    QCOMPARE(RememberedState::recentPaths().at(3), folder + "recent11.las");
    QVERIFY(QFile::remove(QStringLiteral("recent11.las")));
    QString question;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            question = box->text();
            box->button(QMessageBox::Yes)->click();
        }
    });
    app->recentMenu->actions().at(3)->trigger();
    QCOMPARE(question, QStringLiteral("Cannot open %1recent11.las: no such file.\nRemove it from "
                                      "Open Recent?")
                           .arg(QFile::decodeName(QByteArray::fromStdString(folder))));
    QCOMPARE(app->fileName, folder + oddName);
    expected = {folder + oddName, folder + "run.10.las", folder + "recent3.las"};
    for (int n = 10; n >= 5; --n)
        expected.push_back(folder + "recent" + std::to_string(n) + ".las");
    QCOMPARE(RememberedState::recentPaths(), expected);

    app->recentMenu->actions().constLast()->trigger();
    QVERIFY(RememberedState::recentPaths().empty());
    QCOMPARE(app->recentMenu->actions().size(), 2);
}

void TestViewerApp::commandsFromMenusAndTheExplorerLeaveTheFocusOnTheCanvas_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("entry");
    QTest::newRow("a View menu entry") << "&View"
                                       << "Zoom In";
    QTest::newRow("the List Menu") << "List Menu"
                                   << "[picked]";
    QTest::newRow("a double click on an entry") << ""
                                                << "";
}

// With the focus in the explorer's list, a command chosen elsewhere gives it to the canvas, so
// that the canvas's keys work without a click. Choosing an entry of the list keeps it there.
void TestViewerApp::commandsFromMenusAndTheExplorerLeaveTheFocusOnTheCanvas()
{
    QFETCH(QString, menu);
    QFETCH(QString, entry);
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText("endheader\npt 1 1 red 0\npt 2 2 red 0\n");
    app->commands.doListAnItemType("pt");
    app->mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(app->mainWindow));
    app->itemList->setFocus();
    QVERIFY(QTest::qWaitFor([app] { return app->itemList->hasFocus(); }));
    const QRect second = app->itemList->visualItemRect(app->itemList->item(1));
    QTest::mouseClick(app->itemList->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QVERIFY(app->itemList->hasFocus());
    if (menu == "List Menu") {
        chooseFrom(app->listMenu, actionNamed(app->listMenu, entry));
    } else if (!menu.isEmpty()) {
        QMenu* top = actionNamed(app->mainWindow->menuBar(), menu)->menu();
        chooseFrom(top, actionNamed(top, entry), app->mainWindow->menuBar());
    } else {
        QTest::mouseDClick(app->itemList->viewport(), Qt::LeftButton, Qt::NoModifier,
                           second.center());
    }
    QTRY_VERIFY(app->display->hasFocus());
}

// Wherever the user put the docks and toolbars, Reset Layout puts them back, shown.
void TestViewerApp::resetLayoutPutsDocksAndToolBarsBack()
{
    ViewerApp* app = ViewerApp::instance();
    QMainWindow* window = app->mainWindow;
    window->addDockWidget(Qt::LeftDockWidgetArea, app->explorerDock);
    app->basicInfoDock->setFloating(true);
    window->addToolBar(Qt::BottomToolBarArea, app->mainToolBar);
    app->objectControlToolBar->hide();
    app->resetLayoutAction->trigger();
    QCOMPARE(window->dockWidgetArea(app->explorerDock), Qt::RightDockWidgetArea);
    QVERIFY(!app->basicInfoDock->isFloating());
    QCOMPARE(window->toolBarArea(app->mainToolBar), Qt::TopToolBarArea);
    QVERIFY(app->objectControlToolBar->isVisibleTo(window));
    QCOMPARE(window->toolBarArea(app->objectControlToolBar), Qt::LeftToolBarArea);
}

// The gestures that no menu entry names are on the Keys page too, each in a row of its own.
void TestViewerApp::keysPageNamesTheMouseGestures()
{
    const QString keys = ViewerApp::instance()->keysText();
    for (const char* gesture : {"Shift+Drag", "Ctrl+Click", "Right Click", "Wheel"})
        QVERIFY2(keys.contains(QStringLiteral("<tr><td>%1</td>").arg(QLatin1String(gesture))),
                 gesture);
}

QTEST_MAIN(TestViewerApp)
#include "tst_viewerapp.moc"
