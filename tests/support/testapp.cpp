#include "support/testapp.h"

#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "follow/fileloader.h"
#include "follow/followcontrol.h"
#include "model/drawingmodel.h"

#include <QFile>
#include <QListWidget>
#include <QMainWindow>
#include <QStandardPaths>

#include <QtTest>

namespace testapp
{

void resetApplication()
{
    if (!ViewerApp::instance()) {
        // Before anything reads QSettings: tests never read or write the user's own settings.
        QStandardPaths::setTestModeEnabled(true);
        static char name[] = "vedra-test";
        static char* argv[] = {name, nullptr};
        ViewerApp::create(1, argv);
    }
    ViewerApp* app = ViewerApp::instance();
    app->commands.clearItemList(app->itemList);
    app->relatedList->clear();
    app->fileName.clear();
    app->loadScript();
    app->followControl->followCurrentFile();
    app->resetPick();
    app->listedName.clear();
    app->originX = app->originY = 0.0;
    app->ratio = 1.0;
    app->fixX = app->fixY = 0.0;
    app->mouseX = app->mouseY = 0.0;
    app->pointSize = 3;
    app->lineWidth = 1;
    app->highlightColor = QColor(255, 128, 0);
    app->setMode(0);
    app->display->navigator().forget();
}

bool showCanvasAt(const QSize& size)
{
    ViewerApp* app = ViewerApp::instance();
    app->display->setFixedSize(size);
    return QTest::qWaitForWindowExposed(app->mainWindow) &&
           QTest::qWaitFor([&] { return app->display->size() == size; });
}

std::string writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text);
    return QFile::encodeName(path).toStdString();
}

bool waitForLoad()
{
    constexpr int kLongestLoadMs = 120000;
    return QTest::qWaitFor([] { return !ViewerApp::instance()->fileLoader->busy(); },
                           kLongestLoadMs);
}

void loadText(const QByteArray& text)
{
    ViewerApp* app = ViewerApp::instance();
    // Loading deletes every object: the explorer must let go of them first, as a reload does.
    app->commands.clearItemList(app->itemList);
    app->listedName.clear();
    app->resetPick();
    app->fileName = writeFile(QStringLiteral("current.las"), text);
    app->loadScript();
}

} // namespace testapp
