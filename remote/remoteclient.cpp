#include "remote/remoteclient.h"

#include "remote/remoterequests.h"
#include "remote/remotesocket.h"

#include <QFile>
#include <QLocalSocket>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Connecting to a local socket is at once; a window whose queue of connections is full gets
// this long.
constexpr int kConnectTimeoutMs = 5000;
// No answer line of a window comes near this; a longer one is not a window's.
constexpr qint64 kMaxAnswerLineBytes = 1 << 20;

void printLine(std::FILE* stream, const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// What a window wrote, with no control character: an answer must not drive the terminal it is
// printed on. Bytes that are not UTF-8 are shown as U+FFFD too.
QString printable(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return RemoteRequests::printable(decoder(bytes));
}

} // namespace

// Nothing is sent before the socket's folder, the socket file and the process behind it are
// known to be the user's own; the answer may take long: an open of a large file answers when the
// drawing is in.
int RemoteClient::send(const QByteArray& request)
{
    const QString path = RemoteSocket::path();
    const auto refuse = [](const QString& reason) {
        printLine(stderr, QStringLiteral("vedra: ") + reason);
        return kExitRefused;
    };
    const auto noWindow = [&path] {
        printLine(stderr, QStringLiteral("vedra: no Vedra window is listening at ") + path);
        return kExitNoWindow;
    };
    if (const std::optional<QString> tooLong = RemoteSocket::whyPathTooLong(path))
        return refuse(QStringLiteral("cannot reach a window at %1: %2").arg(path, *tooLong));
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 && errno == ENOENT)
        return noWindow();
    if (const std::optional<QString> unsafe = RemoteSocket::whyFolderRefused(path, false))
        return refuse(*unsafe);
    if (const std::optional<QString> unsafe = RemoteSocket::whySocketRefused(path, true))
        return refuse(*unsafe);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return noWindow();
    const std::optional<uid_t> peer = RemoteSocket::peerUser(int(socket.socketDescriptor()));
    if (peer != ::getuid())
        return refuse(QStringLiteral("refusing the window at %1: it runs as %2")
                          .arg(path, peer ? RemoteSocket::userText(*peer)
                                          : QStringLiteral("a user the system does not name")));
    socket.write(request + '\n');
    // All of it, before any answer is read: a request is never left half sent.
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(-1))
            return refuse(QStringLiteral("the window at %1 took no request").arg(path));
    }
    for (;;) {
        while (!socket.canReadLine()) {
            if (socket.bytesAvailable() > kMaxAnswerLineBytes || !socket.waitForReadyRead(-1))
                return refuse(QStringLiteral("the window gave no answer"));
        }
        QByteArray line = socket.readLine();
        line.chop(1);
        if (line == "ok")
            return kExitAnswered;
        if (line.startsWith("error: ")) {
            printLine(stderr, printable(line.mid(7)));
            return kExitRefused;
        }
        printLine(stdout, printable(line));
    }
}
