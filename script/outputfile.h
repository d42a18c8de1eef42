#pragma once

#include <QIODevice>
#include <QString>

#include <string>

// A picture's destination, named by the bytes of its path. Every failed write is kept, the last
// buffered one's included. A regular file (or nothing yet) is written beside its place and renamed
// over it only by a successful commit(); an existing path that is not a regular file (a device, a
// FIFO, /dev/stdout) is written into as it is. Symbolic links are followed to what they name.
class OutputFile : public QIODevice
{
public:
    explicit OutputFile(std::string path);
    // Removes the temporary file of an export that was not committed.
    ~OutputFile() override;

    // Write-only; false, with errorString() set, when the destination cannot be written.
    bool open(OpenMode mode) override;
    bool isSequential() const override { return true; }
    // Writes what is buffered and puts the picture in place; false, with errorString() set and
    // the destination as it was (a regular file) when any write failed.
    bool commit();
    // Whether a write has failed; errorString() then says why.
    bool writeFailed() const { return firstError != 0; }

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
    // Keeps the first failure, described by the error number.
    void fail(int errorNumber);
    void discard();

    const std::string path;
    // The final destination, links resolved, and the temporary file beside it (empty when the
    // destination is written into directly).
    std::string target;
    std::string temporary;
    int descriptor = -1;
    std::string buffer;
    // The error number of the first failed write, 0 while all went well.
    int firstError = 0;
};
