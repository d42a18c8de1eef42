#pragma once

#include <QSize>
#include <QString>

#include <string>

class paintObject;

// Shared set-up for tests that need the application controller and its window.
namespace testapp
{

// Whether AddressSanitizer is built in: GCC says so with a macro, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define VEDRA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEDRA_ADDRESS_SANITIZER 1
#endif
#endif

// How many times slower the code runs here than in a plain release build: tests that repeat a
// check many times (random cases) do fewer repeats by it.
#if defined(VEDRA_ADDRESS_SANITIZER)
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
