#pragma once

#include <QString>

#include <optional>
#include <sys/types.h>

// Where a listening window's socket is, and whom its two ends trust, the same for the window and
// for `vedra --remote` (remote/PROTOCOL.md): $VEDRA_SOCKET when it is set and not empty; else
// vedra.sock in $XDG_RUNTIME_DIR when that names a folder; else /tmp/vedra-UID/vedra.sock. The
// checks return why a path or a peer is refused, in words that name the path and the owner; none
// when it is trusted.
namespace RemoteSocket
{

// The socket's full path.
QString path();

// Whether the path fits a socket's address (sockaddr_un::sun_path, ended by a NUL).
std::optional<QString> whyPathTooLong(const QString& socketPath);
// The socket's folder (links not followed): a folder of the user's own that nobody else can reach.
// With `makeFallback`, the fallback folder /tmp/vedra-UID is made first (mode 0700) when missing;
// no other folder is ever made.
std::optional<QString> whyFolderRefused(const QString& socketPath, bool makeFallback);
// The socket file, which must be there (links not followed): a socket of the user's own. With
// `privateMode`, also with no group or other permission bits.
std::optional<QString> whySocketRefused(const QString& socketPath, bool privateMode);
// The user id of the process at the other end of a connected local socket; none when the system
// does not say.
std::optional<uid_t> peerUser(int descriptor);
// "user alice (uid 1001)", or "uid 1001" when the system knows no name for it.
QString userText(uid_t uid);

} // namespace RemoteSocket
