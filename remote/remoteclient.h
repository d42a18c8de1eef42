#pragma once

#include <QByteArray>

// `vedra --remote REQUEST [ARGS...]`: sends one request to the window that listens at
// RemoteSocket::path(), prints the answer's "key: value" lines on standard output and gives the
// exit status. Needs no display and no event loop: it waits on the socket itself.
class RemoteClient
{
public:
    static constexpr int kExitAnswered = 0;
    // The window refused or failed the request; its reason is on standard error.
    static constexpr int kExitRefused = 1;
    static constexpr int kExitNoWindow = 3;

    // The request line, without its line feed.
    static int send(const QByteArray& request);
};
