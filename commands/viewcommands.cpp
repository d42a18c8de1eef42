// Commands that change how the drawing is shown: zoom about the fix position, fit, move a typed
// world point to the fix position, and the marker size and line width.
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "commands/qfunctionality.h"
#include "script/wordreader.h"

#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>

#include <cmath>

namespace
{

constexpr double kZoomFactor = 1.5;

} // namespace

void QFunctionality::showWarning(const QString& text) const
{
    QMessageBox::warning(ViewerApp::instance()->mainWindow, QStringLiteral("Warning"), text,
                         QMessageBox::Yes, QMessageBox::Yes);
}

// The world point under the fix position stays there.
void QFunctionality::zoomTo(double newRatio)
{
    ViewerApp* app = ViewerApp::instance();
    const double oldRatio = app->ratio;
    const double originX = app->fixX - newRatio * (app->fixX - app->originX) / oldRatio;
    const double originY = app->fixY + newRatio * (app->originY - app->fixY) / oldRatio;
    // At the ends of the ratio range (or where the view's numbers would stop being finite) the
    // zoom stops: the view stays as it is.
    if (!ViewerApp::isUsableView(originX, originY, newRatio))
        return;
    app->ratio = newRatio;
    app->originX = originX;
    app->originY = originY;
    app->display->repaint();
    app->updateInfo();
}

// Above a ratio of 1 the zoom steps by one pixel per unit, at or below it by a factor of 1.5.
void QFunctionality::doZoomin()
{
    ViewerApp::instance()->display->navigator().beginZoomStep();
    const double r = ViewerApp::instance()->ratio;
    zoomTo(r > 1.0 ? r + 1.0 : r * kZoomFactor);
}

void QFunctionality::doZoomout()
{
    ViewerApp::instance()->display->navigator().beginZoomStep();
    const double r = ViewerApp::instance()->ratio;
    zoomTo(r > 1.0 ? r - 1.0 : r / kZoomFactor);
}

void QFunctionality::dotResizefit()
{
    ViewerApp* app = ViewerApp::instance();
    app->display->navigator().jump([app] { app->fitToView(); });
}

void QFunctionality::doGotoCdt()
{
    ViewerApp* app = ViewerApp::instance();
    bool ok = false;
    const QString text = QInputDialog::getText(app->mainWindow, QStringLiteral("Move Fix Position"),
                                               QStringLiteral("Please input the coordinate"),
                                               QLineEdit::Normal, QStringLiteral("0 0"), &ok);
    if (!ok)
        return;
    const QByteArray bytes = text.toLatin1();
    WordReader words(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    double x = 0.0, y = 0.0;
    if (!words.readDouble(x) || !words.readDouble(y)) {
        showWarning(QStringLiteral("<b>Wrong Format!</b>"));
        return;
    }
    bringToFix(QPointF(x, y));
}

// A point too far out for this zoom to show leaves the view where it is.
void QFunctionality::bringToFix(const QPointF& world)
{
    ViewerApp* app = ViewerApp::instance();
    const double originX = app->fixX - world.x() * app->ratio;
    const double originY = app->fixY + world.y() * app->ratio;
    if (!ViewerApp::isUsableView(originX, originY, app->ratio))
        return;
    app->display->navigator().jump([app, originX, originY] {
        app->originX = originX;
        app->originY = originY;
        app->display->repaint();
        app->updateInfo();
    });
}

void QFunctionality::doPointSizeup()
{
    ViewerApp* app = ViewerApp::instance();
    if (app->pointSize < ViewerApp::kMaxPointSize)
        ++app->pointSize;
    app->display->repaint();
}

void QFunctionality::doPointSizedown()
{
    ViewerApp* app = ViewerApp::instance();
    if (app->pointSize <= 1)
        return;
    --app->pointSize;
    app->display->repaint();
}

void QFunctionality::doLineWiden()
{
    ViewerApp* app = ViewerApp::instance();
    if (app->lineWidth < ViewerApp::kMaxLineWidth)
        ++app->lineWidth;
    app->display->repaint();
}

void QFunctionality::doLineNarrow()
{
    ViewerApp* app = ViewerApp::instance();
    if (app->lineWidth <= 1)
        return;
    --app->lineWidth;
    app->display->repaint();
}
