#pragma once

#include <QIODevice>
#include <QString>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

// A picture's destination, named by the bytes of its path. Every failed write is kept, the last
// buffered one's included. A regular file (or nothing yet) is written beside its place and renamed
// over it only by a successful commit(); an existing path that is not a regular file (a device, a
// FIFO, /dev/stdout) is written into as it is. Symbolic links are followed to what they name. The
// temporary file has a short name of its own in the destination's folder, so that every name the
// system accepts can be written.
class OutputFile : public QIODevice
{
public:
    // Whether opening a FIFO waits for a reader to open it, as a program run from a shell may;
    // otherwise a FIFO that nothing reads fails to open at once.
    enum class FifoReader { Wait, MustBeThere };

    explicit OutputFile(std::string path, FifoReader fifoReader = FifoReader::Wait);
    // Removes the temporary file of an export that was not committed.
    ~OutputFile() override;

    // Write-only; false, with errorString() set, when the destination cannot be written.
    bool open(OpenMode mode) override;
    bool isSequential() const override { return true; }
    // Writes what is buffered and puts the picture in place; false, with errorString() set and
    // the destination as it was (a regular file) when any write failed.
    bool commit();
    // Whether the destination is a device or a FIFO, written into as it is rather than put in
    // place; known once open.
    bool writesIntoDevice() const { return descriptor >= 0 && temporary.empty(); }
    // Whether a write has failed; errorString() then says why.
    bool writeFailed() const { return firstError != 0; }
    // Makes every later write fail, so that a writer on another thread gives up; the destination
    // stays as it was. Safe from any thread.
    void abandon() { abandoned.store(true, std::memory_order_relaxed); }

    // The file a picture written to the path lands in: what an existing path names, or the place
    // a new file gets, its folder resolved; outputs that name one file by different paths (through
    // "..", links or hard links) have the same destination or, when it exists, the same identity.
    static std::string destinationOf(const std::string& path);
    // Why writing to the output would replace one of the files read (its text for the user, the
    // same for every writer), or none when it would not.
    static std::optional<QString> whyNotOverwritten(const std::string& output,
                                                    const std::vector<std::string>& readFiles);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    // The file that an existing path names, links resolved by the system.
    static std::string realPath(const std::string& path);
    // Where a link to nothing leads, followed link by link.
    static std::string resolvedPath(const std::string& path);
    // Writes the buffer out; false once any write has failed.
    bool flushBuffer();
    // Waits until a FIFO opened without waiting takes more, or the export is abandoned.
    void waitUntilWritable();
    // Keeps the first failure, described by the error number.
    void fail(int errorNumber);
    void discard();

    const std::string path;
    const FifoReader fifoReader;
    std::atomic<bool> abandoned{false};
    // The final destination, links resolved, and the temporary file beside it (empty when the
    // destination is written into directly).
    std::string target;
    std::string temporary;
    int descriptor = -1;
    // Written without waiting: a FIFO opened with FifoReader::MustBeThere.
    bool nonBlocking = false;
    std::string buffer;
    // The error number of the first failed write, 0 while all went well.
    int firstError = 0;
};
