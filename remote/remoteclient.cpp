#include "remote/remoteclient.h"

#include "remote/remotesocket.h"

#include <QFile>
#include <QLocalSocket>

#include <cstdio>

namespace
{

// Connecting to a local socket is at once; a window whose queue of connections is full gets
// this long.
constexpr int kConnectTimeoutMs = 5000;
// No answer line of a window comes near this; a longer one is not a window's.
constexpr qint64 kMaxAnswerLineBytes = 1 << 20;

void printLine(std::FILE* stream, const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stream);
    std::fputc('\n', stream);
}

} // namespace

// The answer may take long: an open of a large file answers when the drawing is in.
int RemoteClient::send(const QByteArray& request)
{
    const QString path = RemoteSocket::path();
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        printLine(stderr, "vedra: no Vedra window is listening at " + QFile::encodeName(path));
        return kExitNoWindow;
    }
    socket.write(request + '\n');
    for (;;) {
        while (!socket.canReadLine()) {
            if (socket.bytesAvailable() > kMaxAnswerLineBytes || !socket.waitForReadyRead(-1)) {
                printLine(stderr, "vedra: the window gave no answer");
                return kExitRefused;
            }
        }
        QByteArray line = socket.readLine();
        line.chop(1);
        if (line == "ok")
            return kExitAnswered;
        if (line.startsWith("error: ")) {
            printLine(stderr, line.mid(7));
            return kExitRefused;
        }
        printLine(stdout, line);
    }
}
