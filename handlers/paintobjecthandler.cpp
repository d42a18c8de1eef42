#include "handlers/paintobjecthandler.h"

#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "commands/qfunctionality.h"
#include "model/drawingmodel.h"
#include "render/sharedstyles.h"

#include <QAction>
#include <QMenu>

void paintObjectHandler::addVisibilityAction(QWidget* toolBar, const std::string& iconPath,
                                             const QString& prefix,
                                             void (paintObjectHandler::*slot)())
{
    auto* action = new QAction(SharedStyles::resourceIcon(QString::fromLatin1(iconPath.c_str())),
                               QString(), toolBar);
    action->setToolTip(prefix + QString::fromLatin1(displayName().c_str()));
    connect(action, &QAction::triggered, this, slot);
    toolBar->addAction(action);
}

void paintObjectHandler::addShowAllAction(QWidget* toolBar)
{
    addVisibilityAction(toolBar, showIconPath(), QStringLiteral("Show all "),
                        &paintObjectHandler::showAllObject);
}

void paintObjectHandler::addHideAllAction(QWidget* toolBar)
{
    addVisibilityAction(toolBar, hideIconPath(), QStringLiteral("Hide all "),
                        &paintObjectHandler::hideAllObject);
}

void paintObjectHandler::addListMenuEntry(QMenu* menu)
{
    menu->addAction(QString::fromLatin1(displayName().c_str()), this,
                    &paintObjectHandler::doListAnItemType);
}

void paintObjectHandler::showAllObject()
{
    DrawingModel::instance()->setTypeVisible(typeKeyword(), 1);
    ViewerApp::instance()->display->repaint();
}

void paintObjectHandler::hideAllObject()
{
    DrawingModel::instance()->setTypeVisible(typeKeyword(), 0);
    ViewerApp::instance()->display->repaint();
}

// The listing itself only reads the singletons, so the controller's command object serves.
// Clearing the highlights changes the picture, and the listing repaints only when selected
// entries go (not at all when the type is listed already), so the canvas is redrawn here.
void paintObjectHandler::doListAnItemType()
{
    DrawingModel::instance()->clearHighlight();
    ViewerApp* app = ViewerApp::instance();
    app->commands.doListAnItemType(typeKeyword());
    app->display->repaint();
}
