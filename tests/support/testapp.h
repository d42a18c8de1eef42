#pragma once

#include <QSize>
#include <QString>

#include <string>

class paintObject;

// Shared set-up for tests that need the application controller and its window.
namespace testapp
{

// How many times slower the code runs here than in a plain release build: timing bounds are
// multiplied by it, so that they still catch a cost that grows out of proportion.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSlowdown = 6;
#else
constexpr int kSlowdown = 1;
#endif

// Creates the controller once per test program (with no file to load) and returns the view to
// a known state: origin (0, 0), ratio 1, fix (0, 0), move mode, nothing loaded or listed.
void resetApplication();
// Gives the canvas a fixed size and waits until the shown window has laid it out; false when it
// did not take the size.
bool showCanvasAt(const QSize& size);
// Writes text to a file (created or truncated) and returns its path as 8-bit text.
std::string writeFile(const QString& path, const QByteArray& text);
// Waits until no file is loading in the background; false when one still is after two minutes.
bool waitForLoad();
// Loads the text as the current script input through a file in the working directory.
void loadText(const QByteArray& text);

} // namespace testapp
