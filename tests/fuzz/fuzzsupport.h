#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What every fuzz target shares: one offscreen application with its controller, made once per
// process, and a scratch file for inputs that must come from disk.
namespace fuzzsupport
{

// Creates the QApplication (offscreen) and the controller with no file loaded. Idempotent.
void startApplication();
// Writes the bytes to this process's scratch file and returns its path.
const std::string& writeScratchFile(const uint8_t* data, std::size_t size);
// Empties the explorer and the picked list (loading deletes the objects they point to) and puts
// the view back to origin (0, 0), ratio 1, fix (0, 0).
void resetView();
// Delivers the events that the commands posted, as the application's event loop would between
// two user actions; without it they would pile up from one input to the next.
void deliverPostedEvents();
// Stops the process in a way that libFuzzer reports as a crash, with the reason on stderr.
[[noreturn]] void fail(const char* what);

} // namespace fuzzsupport
