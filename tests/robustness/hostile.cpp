#include "hostile.h"

#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepainter.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QtTest>

#include <cmath>

namespace hostile
{

namespace
{

qint64 statusValueKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace

void writeRepeated(const QString& path, const QByteArray& head, const QByteArray& fill,
                   qint64 fillCount, const QByteArray& tail)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(head);
    if (!fill.isEmpty()) {
        // About a mebibyte at a time.
        const qint64 batch = std::max<qint64>(1, (1 << 20) / fill.size());
        const QByteArray block = fill.repeated(static_cast<qsizetype>(batch));
        for (qint64 left = fillCount; left > 0; left -= batch)
            file.write(left >= batch ? block : fill.repeated(static_cast<qsizetype>(left)));
    }
    file.write(tail);
    QVERIFY(file.error() == QFileDevice::NoError);
}

qint64 restartPeakRss()
{
    // "5" resets the peak resident set size of the process (Linux 4.0 and later).
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    return statusValueKb("VmRSS:");
}

qint64 peakRss()
{
    return statusValueKb("VmHWM:");
}

void exerciseLoadedModel()
{
    ViewerApp* app = ViewerApp::instance();
    QImage image(200, 150, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        ScenePainter().paintScene(&painter, app->sceneView(image.size()));
    }
    app->fitToView();
    app->display->repaint();
    app->pickRect[0] = 0;
    app->pickRect[1] = app->display->height() - 1;
    app->pickRect[2] = app->display->width() - 1;
    app->pickRect[3] = 0;
    app->display->pickInRect();
    app->listedName.clear();
    app->commands.doListPicked();
    for (const paintObject* object : DrawingModel::instance()->objects) {
        QVERIFY(!object->description().isEmpty());
        object->briefText();
        object->anchorPoint();
    }
}

void verifyViewIsFinite()
{
    ViewerApp* app = ViewerApp::instance();
    QVERIFY2(std::isfinite(app->ratio) && app->ratio > 0.0,
             qPrintable(QString::number(app->ratio)));
    app->updateInfo();
    // The text without its markup: printf writes "nan" and "inf" for numbers that are not finite.
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    const QString shown = app->basicInfoLabel->text().remove(tag);
    QVERIFY2(!shown.contains(QLatin1String("nan")) && !shown.contains(QLatin1String("inf")),
             qPrintable(shown));
}

} // namespace hostile
