// Printing the drawing through Qt's print preview, exporting it as a picture, the About box and
// the Keys page.
#include "app/exportimagedialog.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepainter.h"
#include "canvas/scenepicture.h"
#include "commands/qfunctionality.h"
#include "render/sharedstyles.h"
#include "script/outputfile.h"
#include "script/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStringList>

// One printer unit is one screen pixel, so the page shows the drawing at the canvas's scale.
void QFunctionality::doPrint()
{
    ViewerApp* app = ViewerApp::instance();
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintPreviewDialog dialog(&printer, app->mainWindow);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            &QFunctionality::doPrintAllPaintObject);
    dialog.exec();
}

// The picture is written beside its place and renamed over it only when complete, so a failed
// export leaves any earlier file as it was.
void QFunctionality::doExportImage()
{
    ViewerApp* app = ViewerApp::instance();
    QString suggested =
        app->fileName.empty() ? QStringLiteral("vedra.las") : displayName(app->fileName);
    if (suggested.endsWith(QStringLiteral(".las"), Qt::CaseInsensitive))
        suggested.chop(4);
    suggested += QStringLiteral(".png");
    ExportImageDialog dialog(suggested, app->display->size(), app->mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = dialog.fileName();
    if (const std::optional<QString> failure = writeImage(name, dialog.pictureSize())) {
        QMessageBox::warning(app->mainWindow, QStringLiteral("Export Image"),
                             QStringLiteral("Cannot write %1: %2").arg(name, *failure));
        return;
    }
    app->showMessage(QStringLiteral("Image written to %1").arg(name));
}

std::optional<QString> QFunctionality::writeImage(const QString& name,
                                                  const QSize& pictureSize) const
{
    const ViewerApp* app = ViewerApp::instance();
    const QString title = app->fileName.empty() ? QStringLiteral("Vedra")
                                                : QFileInfo(displayName(app->fileName)).fileName();
    OutputFile file(QFile::encodeName(name).toStdString());
    ScenePicture picture;
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    return picture.save(file, *ScenePicture::formatOf(name), app->canvasViewScaledTo(pictureSize),
                        title);
}

// No transform: every object paints itself at the canvas's current view, highlighted ones last.
void QFunctionality::doPrintAllPaintObject(QPrinter* printer)
{
    QPainter painter(printer);
    const ViewerApp* app = ViewerApp::instance();
    const SceneView view = app->sceneView(app->display->size());
    ScenePainter scene;
    scene.paintLayer(&painter, view, 0);
    scene.paintLayer(&painter, view, 1);
}

void QFunctionality::doShowAbout()
{
    ViewerApp* app = ViewerApp::instance();
    const QString qtVersion = QString::fromLatin1(qVersion());
    const QStringList pieces = {
        QStringLiteral("<font face=arial>"),
        QStringLiteral("<font size=6 color=blue>Vedra "),
        app->versionText,
        QStringLiteral("</font><hr>"),
        QStringLiteral("<font size=4>Vedra is written by <font color=blue>the Vedra "
                       "developers</font>. This software is based on Qt ") +
            qtVersion + QStringLiteral(".</font> "),
        QStringLiteral("<br><font size=4>Thanks to <font color=blue>everyone who reports "
                       "problems</font>: every report makes Vedra better.</font> "),
        QStringLiteral("<br><font size=4>Please contact <font color=blue>the project's issue "
                       "tracker</font> if there is any problem.</font> "),
        QStringLiteral("<br><font size=4>"),
        app->dateText,
        QStringLiteral("</font> "),
        QStringLiteral("</font>"),
    };
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About Vedra"), pieces.join(QString()),
                    QMessageBox::Ok, app->mainWindow);
    box.setTextFormat(Qt::RichText);
    constexpr int kLogoSize = 128;
    box.setIconPixmap(SharedStyles::resourceIcon(QStringLiteral(":/icon/logo.png"))
                          .pixmap(QSize(kLogoSize, kLogoSize), box.devicePixelRatio()));
    box.exec();
}

void QFunctionality::doShowKeys()
{
    ViewerApp* app = ViewerApp::instance();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Keys"), app->keysText(), QMessageBox::Ok,
                    app->mainWindow);
    box.setTextFormat(Qt::RichText);
    box.exec();
}
