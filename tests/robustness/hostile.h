#pragma once

#include <QByteArray>
#include <QString>

// Helpers shared by the hostile-input tests.
namespace hostile
{

// Writes head, then fill repeated fillCount times, then tail, without holding the whole text in
// memory, so that what the test measures is what loading takes.
void writeRepeated(const QString& path, const QByteArray& head, const QByteArray& fill,
                   qint64 fillCount, const QByteArray& tail);
// Starts a new peak of the resident set and returns the current size in KiB.
qint64 restartPeakRss();
// The peak resident set in KiB since the last restartPeakRss().
qint64 peakRss();
// Runs everything that reads the loaded objects and the view: paint into a small image, fit,
// pick the whole canvas, list the picked objects and every object's explorer texts.
void exerciseLoadedModel();
// Fails the current test unless the ratio is a positive finite number and the Basic Info panel
// shows finite numbers only.
void verifyViewIsFinite();

} // namespace hostile
