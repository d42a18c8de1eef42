#pragma once

#include <QString>

#include <optional>

// Where a listening window's socket is, the same for the window and for `vedra --remote`:
// $VEDRA_SOCKET when it is set and not empty; else vedra.sock in $XDG_RUNTIME_DIR when that names
// a folder; else /tmp/vedra-UID/vedra.sock, in a folder of the user's own that nobody else can
// reach.
namespace RemoteSocket
{

// The socket's full path.
QString path();

// Makes the socket's folder ready for the window to listen in: the fallback folder is made with
// mode 0700 when missing, and refused when it is a link, not a folder, not the user's own, or
// open to others. Returns why the window cannot listen there; none when it can.
std::optional<QString> prepareFolder(const QString& socketPath);

} // namespace RemoteSocket
