#include "export/exportjob.h"

#include "app/keptfiles.h"
#include "app/viewerapp.h"
#include "script/outputfile.h"
#include "script/seriesname.h"
#include "script/textfile.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <new>
#include <optional>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The end of every series member's name, NAME.N.las.
constexpr std::string_view kSeriesSuffix = ".las";

// Why a file cannot be read as an input or settings file, or nothing when it can. It is opened
// the way the viewer opens files, without waiting on a pipe; the loader reads a file it cannot
// open as an empty drawing, and an export of that would hide the mistake.
std::optional<QString> unreadable(const std::string& path, long long maxBytes = -1)
{
    if (const std::optional<QString> reason = whyNotRegularFile(path))
        return QStringLiteral("cannot read %1: %2").arg(displayName(path), *reason);
    struct stat status;
    if (maxBytes >= 0 && ::stat(path.c_str(), &status) == 0 && status.st_size > maxBytes)
        return QStringLiteral("cannot read %1: larger than the %2 bytes a settings file may have")
            .arg(displayName(path))
            .arg(maxBytes);
    return std::nullopt;
}

// The file a path names, links followed; none when nothing is there.
std::optional<std::pair<dev_t, ino_t>> identity(const std::string& path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return std::make_pair(status.st_dev, status.st_ino);
}

} // namespace

ExportJob::ExportJob(const ExportOptions& options) : options(options)
{
}

void ExportJob::report(const QString& message)
{
    std::fprintf(stderr, "vedra-export: %s\n", QFile::encodeName(message).constData());
}

int ExportJob::run()
{
    std::vector<Picture> pictures;
    QString error;
    if (!collectPictures(pictures, error) || !checkOutputs(pictures, error)) {
        report(error);
        return kExitUsage;
    }
    if (const std::optional<QString> problem = unreadable(options.input)) {
        report(*problem);
        return kExitFailed;
    }
    if (!createViewer(error)) {
        report(error);
        return kExitFailed;
    }
    bool allWritten = true;
    for (const Picture& picture : pictures) {
        if (options.series)
            std::fprintf(stderr, "%s -> %s\n", picture.input.c_str(), picture.output.c_str());
        if (!writeOutput(picture, error)) {
            report(error);
            allWritten = false;
        }
    }
    return allWritten ? kExitSucceeded : kExitFailed;
}

// A series is every NAME.N.las beside the input that has the input's NAME, N any run of digits,
// ordered by number; directories are no members. Paths keep the directory as the input names
// it, so that the progress lines read like the command line.
bool ExportJob::collectPictures(std::vector<Picture>& pictures, QString& error) const
{
    if (!options.series) {
        pictures.push_back({0, options.input, options.output});
        return true;
    }
    const std::string& input = options.input;
    const std::size_t slash = input.rfind('/');
    const std::string directory =
        slash == std::string::npos ? std::string() : input.substr(0, slash + 1);
    const std::string fileName = input.substr(directory.size());
    // NAME is the file name up to the dot before its last run of digits.
    std::size_t nameEnd = fileName.size() >= 4 ? fileName.size() - 4 : 0;
    while (nameEnd > 0 && fileName[nameEnd - 1] >= '0' && fileName[nameEnd - 1] <= '9')
        --nameEnd;
    const std::string name = fileName.substr(0, nameEnd);
    if (name.empty() || name.back() != '.' || !seriesMemberIndex(fileName, name, kSeriesSuffix)) {
        error = QStringLiteral("%1 is no member of a numbered series NAME.N.las")
                    .arg(displayName(input));
        return false;
    }
    DIR* folder = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!folder) {
        error = QStringLiteral("cannot list the folder of %1").arg(displayName(input));
        return false;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const std::optional<qint64> number = seriesMemberIndex(entry->d_name, name, kSeriesSuffix);
        struct stat status;
        const std::string path = directory + entry->d_name;
        if (number && !(::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)))
            pictures.push_back({*number, path, options.outputFor(*number)});
    }
    ::closedir(folder);
    std::sort(pictures.begin(), pictures.end(), [](const Picture& a, const Picture& b) {
        return a.number != b.number ? a.number < b.number : a.input < b.input;
    });
    return true;
}

// Members that differ only in their number's leading zeros share an output name, and outputs named
// differently may still be one file (through "..", links or hard links); an output may also be,
// under its own name or through links, a file that the run reads. Either would lose data, so the
// run is refused before anything is written.
bool ExportJob::checkOutputs(const std::vector<Picture>& pictures, QString& error) const
{
    std::map<std::string, const Picture*> byDestination;
    std::map<std::pair<dev_t, ino_t>, const Picture*> byFile;
    for (const Picture& picture : pictures) {
        const std::string destination = OutputFile::destinationOf(picture.output);
        const Picture* earlier = byDestination.emplace(destination, &picture).first->second;
        if (const auto file = identity(picture.output); file && earlier == &picture)
            earlier = byFile.emplace(*file, &picture).first->second;
        if (earlier != &picture) {
            // The name as given when both give it, otherwise the file both names lead to.
            const std::string& shown =
                earlier->output == picture.output ? picture.output : destination;
            error = QStringLiteral("%1 and %2 would both be written to %3")
                        .arg(displayName(earlier->input), displayName(picture.input),
                             displayName(shown));
            return false;
        }
    }
    std::vector<std::string> readFiles = KeptFiles::paths();
    readFiles.push_back(options.input);
    if (!options.configPath.empty())
        readFiles.push_back(options.configPath);
    for (const Picture& picture : pictures)
        readFiles.push_back(picture.input);
    for (const Picture& picture : pictures) {
        if (const std::optional<QString> problem =
                OutputFile::whyNotOverwritten(picture.output, readFiles)) {
            error = *problem;
            return false;
        }
    }
    return true;
}

// The settings, the object types in use among them, come from the given file, or as the viewer
// reads them from config.ini in the working directory.
bool ExportJob::createViewer(QString& error)
{
    if (!options.configPath.empty()) {
        if (const std::optional<QString> problem =
                unreadable(options.configPath, kMaxConfigBytes)) {
            error = *problem;
            return false;
        }
    }
    ViewerApp::createHeadless(options.configPath.empty() ? std::string("config.ini")
                                                         : options.configPath);
    startRatio = ViewerApp::instance()->ratio;
    frameRenderer = std::make_unique<FrameRenderer>();
    scenePicture.paintThrough(frameRenderer.get());
    return true;
}

bool ExportJob::openInput(const std::string& path) const
{
    ViewerApp* app = ViewerApp::instance();
    app->fileName = path;
    if (!app->loadScript())
        return false;
    if (options.viewGiven) {
        app->originX = options.originX;
        app->originY = options.originY;
        app->ratio = options.ratio;
    } else {
        // The start view, which fitting keeps when nothing has extent.
        app->originX = app->originY = 0.0;
        app->ratio = startRatio;
        app->fitTo(options.size);
    }
    return true;
}

// A path that cannot be written is reported before anything is read or painted; a picture that
// fails at any point leaves the previous file as it was.
bool ExportJob::writeOutput(const Picture& picture, QString& error)
{
    if (const std::optional<QString> problem = unreadable(picture.input)) {
        error = *problem;
        return false;
    }
    OutputFile file(picture.output);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot write %1: %2")
                    .arg(displayName(picture.output), file.errorString());
        return false;
    }
    if (!openInput(picture.input)) {
        error = QStringLiteral("cannot read %1: out of memory").arg(displayName(picture.input));
        return false;
    }
    const std::size_t slash = picture.input.rfind('/');
    const QString title =
        displayName(slash == std::string::npos ? picture.input : picture.input.substr(slash + 1));
    const std::optional<QString> failure = scenePicture.save(
        file, options.format, ViewerApp::instance()->sceneView(options.size), title);
    if (failure)
        error = QStringLiteral("cannot write %1: %2").arg(displayName(picture.output), *failure);
    return !failure;
}
