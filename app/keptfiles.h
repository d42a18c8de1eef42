#pragma once

#include <string>
#include <vector>

// The files Vedra itself reads or keeps, whichever program of it runs: config.ini in the working
// folder, the remembered settings and their lock, and the remote-control socket. No writer of
// Vedra's writes over them, whatever name an output gives them (OutputFile::whyNotOverwritten
// compares the files, not the names).
namespace KeptFiles
{

// Their paths as the system names them; those that do not exist are never written over anyway.
std::vector<std::string> paths();

} // namespace KeptFiles
