#pragma once

// Writing .las dumps for the Vedra viewer from a C++ program, and showing them in a running
// Vedra window. One header, C++17 and the standard library (POSIX for writing beside a file,
// show() and request()).
//
//     vedra::Dump dump("cells.las");
//     dump.pt(1.5, 2, "red", vedra::Triangle).prop("net", "a1").comment("first note");
//     dump.show();
//
// Everything written reads back exactly as it was given: numbers are written as the shortest
// text that reads back to the same double, text (UTF-8, as string literals are) as the Latin-1
// bytes the viewer reads, and whatever the file cannot hold (see README.md) is refused with a
// vedra::DumpError that names the field, before anything of it is written.

#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#define VEDRA_DUMP_POSIX 1
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/syscall.h>
#endif
#endif

namespace vedra
{

// A value the file cannot hold; what() names the record kind and the field.
class DumpError : public std::invalid_argument
{
public:
    using std::invalid_argument::invalid_argument;
};

// A dump that could not be written; what() names the dump (never the temporary written beside
// it) and the reason, code() holds the system's error.
class WriteError : public std::system_error
{
public:
    WriteError(std::string file, std::error_code code, const std::string& reason)
        : std::system_error(code, reason), name(std::move(file)),
          message("cannot write " + name + ": " + reason)
    {
    }
    const char* what() const noexcept override { return message.c_str(); }
    // The dump's file name, as given to Dump.
    const std::string& file() const noexcept { return name; }

private:
    std::string name, message;
};

// A world point, y pointing up. Ranges of any point type with x/y members, x()/y() functions or
// two tuple elements (std::pair, std::array) are taken as well.
struct Point {
    double x = 0.0;
    double y = 0.0;
};

// Marker codes of pt; a code n above 4 draws a regular n-gon, a negative code draws nothing.
enum Marker : int { Circle = 0, Square = 1, Cross = 2, Triangle = 3, Diamond = 4 };

// How the viewer's conditional pick compares a declared property's values.
enum class Kind { String, Double };

// A colour word: a built-in name ("red"), a built-in number (1 to 16), or a name the dump
// defines with Dump::color.
class Color
{
public:
    Color(const char* name) : word(name ? name : "") {}
    Color(std::string_view name) : word(name) {}
    Color(const std::string& name) : word(name) {}
    Color(int number) : word(std::to_string(number)) {}
    const std::string& name() const { return word; }

private:
    std::string word;
};

// The shortest text that reads back to exactly this double (finite values only).
inline std::string shortest(double value)
{
    std::array<char, 32> digits{};
    const std::to_chars_result end =
        std::to_chars(digits.data(), digits.data() + digits.size(), value);
    return std::string(digits.data(), end.ptr);
}

namespace detail
{

// The bytes that end a word when the viewer reads one.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

[[noreturn]] inline void refuse(std::string_view field, std::string_view text, std::string_view why)
{
    throw DumpError(std::string(field) + " '" + std::string(text) + "' " + std::string(why));
}

[[noreturn]] inline void notText(std::string_view field, std::size_t at, std::size_t size)
{
    throw DumpError(std::string(field) + " is not UTF-8 text (byte " + std::to_string(at + 1) +
                    " of " + std::to_string(size) + ")");
}

// The Latin-1 bytes of UTF-8 text, one byte per character, as the viewer reads text. Text that
// is not UTF-8, or that holds a character above U+00FF, is refused naming the field.
inline std::string latin1(std::string_view field, std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += text[i++];
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0, least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
            least = 0x10000;
        } else {
            notText(field, i, text.size());
        }
        if (length > text.size() - i)
            notText(field, i, text.size());
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u)
                notText(field, i + k, text.size());
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            notText(field, i, text.size());
        if (code > 0xFF) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
            refuse(field, text,
                   std::string("holds ") + hex +
                       ", above U+00FF; the file holds Latin-1 text only");
        }
        out += static_cast<char>(code);
        i += length;
    }
    return out;
}

// A colour, property name or value: one word, and no record separator inside it; its Latin-1
// bytes.
inline std::string word(std::string_view field, std::string_view text)
{
    if (text.empty())
        throw DumpError(std::string(field) + " is empty; it must be one word");
    for (const char c : text) {
        if (isBlank(c))
            refuse(field, text, "holds a blank (space, tab or line break); it must be one word");
    }
    if (contains(text, "!!"))
        refuse(field, text, "holds \"!!\", which would start the related searches");
    if (contains(text, "//"))
        refuse(field, text, "holds \"//\", which would start the comments");
    return latin1(field, text);
}

// A related search or a comment line: any text on one line without the separators that cut it;
// its Latin-1 bytes. (UTF-8 never holds these ASCII bytes inside a character, so the checks
// hold for the bytes written.)
inline std::string piece(std::string_view field, std::string_view text, bool search)
{
    if (contains(text, "\n") || contains(text, "\r"))
        refuse(field, text, "holds a line break");
    if (contains(text, "#"))
        refuse(field, text, "holds '#', which separates one from the next");
    if (contains(text, "//"))
        refuse(field, text, "holds \"//\", which would start (or end) the comments");
    if (search && contains(text, "!!"))
        refuse(field, text, "holds \"!!\", which would end the related searches");
    // The comments' "//" follows the last search directly, so a trailing '/' would join it.
    if (search && !text.empty() && text.back() == '/')
        refuse(field, text, "ends with '/', which would run into the \"//\" of the comments");
    return latin1(field, text);
}

inline std::string number(const std::string& field, double value)
{
    if (std::isnan(value))
        throw DumpError(field + " is not a number; the file holds finite numbers only");
    if (std::isinf(value))
        throw DumpError(field + " is infinite; the file holds finite numbers only");
    return shortest(value);
}

template <class P, class = void> struct HasMemberXY : std::false_type {
};
template <class P>
struct HasMemberXY<P, std::void_t<decltype(double(std::declval<const P&>().x)),
                                  decltype(double(std::declval<const P&>().y))>> : std::true_type {
};
template <class P, class = void> struct HasFunctionXY : std::false_type {
};
template <class P>
struct HasFunctionXY<P, std::void_t<decltype(double(std::declval<const P&>().x())),
                                    decltype(double(std::declval<const P&>().y()))>>
    : std::true_type {
};

template <class P> Point toPoint(const P& p)
{
    if constexpr (HasMemberXY<P>::value) {
        return {double(p.x), double(p.y)};
    } else if constexpr (HasFunctionXY<P>::value) {
        return {double(p.x()), double(p.y())};
    } else {
        using std::get;
        return {double(get<0>(p)), double(get<1>(p))};
    }
}

inline bool isBuiltInColor(std::string_view name)
{
    static constexpr std::string_view kNames[] = {
        "white",  "yellow", "fuchsia", "red",  "silver", "gray", "olive", "purple",
        "maroon", "aqua",   "lime",    "teal", "green",  "blue", "navy",  "black"};
    for (const std::string_view known : kNames) {
        if (name == known)
            return true;
    }
    // The numbers 1 to 16 name the same colours, written without leading zeros or sign.
    int number = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), number);
    return ec == std::errc() && end == name.data() + name.size() && name[0] != '0' && number >= 1 &&
           number <= 16;
}

inline bool isKindKeyword(std::string_view type)
{
    for (const std::string_view kind : {"pt", "line", "rect", "circle", "path", "polygon"}) {
        if (type == kind)
            return true;
    }
    return false;
}

[[noreturn]] inline void cannotWrite(const std::string& file, int error, std::string reason = {})
{
    const std::error_code code(error, std::generic_category());
    throw WriteError(file, code, reason.empty() ? code.message() : reason);
}

#ifdef VEDRA_DUMP_POSIX

// What a file that is not a regular one is, for the reason a rewrite refuses it.
inline const char* typeName(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

// The file a name stands for once symbolic links are followed (at most 40, as the system does);
// a link to a missing file stands for that file, which the write then makes.
inline std::filesystem::path linkTarget(const std::string& file)
{
    namespace fs = std::filesystem;
    fs::path at(file);
    for (int hops = 0;; ++hops) {
        struct stat info {
        };
        if (::lstat(at.c_str(), &info) != 0) {
            if (errno == ENOENT || errno == ENOTDIR) // made, or refused, as the folder is made
                return at;
            cannotWrite(file, errno);
        }
        if (!S_ISLNK(info.st_mode))
            return at;
        if (hops == 40)
            cannotWrite(file, ELOOP);
        std::error_code error;
        const fs::path link = fs::read_symlink(at, error);
        if (error)
            cannotWrite(file, error.value());
        at = link.is_absolute() ? link : at.parent_path() / link;
    }
}

// Removes temporaries of this file that a write left when its program was stopped midway. Their
// names are .NAME.PID.RANDOM.tmp; one goes when no process PID runs here, or when it is older
// than an hour (a writer on another machine sharing the folder, or a name without the PID from
// an older version of this library). A write takes far less than an hour, so none in progress is
// touched.
inline void removeStaleTemporaries(const std::filesystem::path& folder, const std::string& name)
{
    namespace fs = std::filesystem;
    const std::string prefix = "." + name + ".";
    std::error_code error;
    fs::directory_iterator entry(folder, error), end;
    for (; !error && entry != end; entry.increment(error)) {
        const std::string found = entry->path().filename().string();
        if (found.size() <= prefix.size() + 4 || found.compare(0, prefix.size(), prefix) != 0 ||
            found.compare(found.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string middle = found.substr(prefix.size(), found.size() - prefix.size() - 4);
        const std::size_t dot = middle.find('.');
        const auto digits = [](std::string_view text) {
            return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
        };
        const bool withPid = dot != std::string::npos && digits(middle.substr(0, dot)) &&
                             digits(middle.substr(dot + 1));
        if (!withPid && !digits(middle))
            continue;
        bool stale = false;
        if (withPid) {
            long long pid = 0;
            std::from_chars(middle.data(), middle.data() + dot, pid);
            stale = pid > 0 && pid != ::getpid() && pid <= 0x7fffffff &&
                    ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
        }
        struct stat info {
        };
        if (!stale && ::lstat(entry->path().c_str(), &info) == 0)
            stale = std::time(nullptr) - info.st_mtime > 3600;
        if (stale)
            ::unlink(entry->path().c_str());
    }
}

// Writes text to a new file beside the dump's file and renames it over that file once every byte
// is written and synced, so that a reader sees the old file or the whole new one, never a part.
// A symbolic link is followed (the link stays, its target is rewritten); an existing file keeps
// its mode; missing folders are made. Errors name the dump, never the temporary.
inline void writeWhole(const std::string& file, const std::string& text)
{
    namespace fs = std::filesystem;
    if (file.empty())
        cannotWrite(file, ENOENT, "the file name is empty");
    const fs::path target = linkTarget(file);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        cannotWrite(file, error.value(),
                    "cannot make its folder " + folder.string() + " (" + error.message() + ")");
    struct stat existing {
    };
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        cannotWrite(file, S_ISDIR(existing.st_mode) ? EISDIR : EINVAL,
                    std::string("it is ") + typeName(existing.st_mode) +
                        ", not a regular file the dump can replace");
    // The superuser may write any file: a file without write permission is refused for all.
    if (exists && ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        cannotWrite(file, EACCES, "it is read-only");
    const std::string name = target.filename().string();
    removeStaleTemporaries(folder, name);

    std::random_device random;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = (folder / ("." + name + "." + std::to_string(::getpid()) + "." +
                               std::to_string(random()) + ".tmp"))
                        .string();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            cannotWrite(file, errno);
    }
    // The superuser rewriting another's file leaves it theirs (before the mode: a change of
    // owner clears set-id bits).
    if (exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()))
        (void)!::fchown(fd, existing.st_uid, existing.st_gid);
    int failure = 0;
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        failure = errno;
    for (std::size_t done = 0; !failure && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno != EINTR)
            failure = errno;
        else if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (!failure && std::rename(temporary.c_str(), target.c_str()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temporary.c_str());
        cannotWrite(file, failure);
    }
}

#else

inline void writeWhole(const std::string& file, const std::string& text)
{
    namespace fs = std::filesystem;
    const fs::path target(file);
    std::error_code error;
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), error);
    if (error)
        cannotWrite(file, error.value());
    const fs::path temporary = fs::path(file + ".tmp");
    std::FILE* out = std::fopen(temporary.string().c_str(), "wb");
    if (!out)
        cannotWrite(file, errno);
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    written = std::fclose(out) == 0 && written;
    if (written)
        fs::rename(temporary, target, error);
    if (!written || error) {
        fs::remove(temporary, error);
        cannotWrite(file, EIO);
    }
}

#endif

} // namespace detail

// One record being written: its properties, related searches and comments follow its geometry.
// A record stays valid, and may still be added to, as long as its dump lives; a refused part
// drops the whole record.
class Record
{
    struct Key {
        explicit Key() = default;
    };

public:
    // A property pair NAME VALUE; a later value of a declared property replaces its default.
    Record& prop(std::string_view name, std::string_view value) { return add(name, value, false); }
    // A number as a property value, written as the shortest text that reads back to it.
    template <class T,
              std::enable_if_t<std::is_arithmetic_v<T> && !std::is_same_v<T, bool>, int> = 0>
    Record& prop(std::string_view name, T value)
    {
        if constexpr (std::is_integral_v<T>) {
            return add(name, std::to_string(value), true);
        } else {
            std::string written;
            guard([&] {
                written = detail::number(std::string(keyword) + " property " + std::string(name),
                                         static_cast<double>(value));
            });
            return add(name, written, true);
        }
    }
    // A related search: a query the viewer runs from this object.
    Record& search(std::string_view query)
    {
        guard([&] {
            searches.push_back(
                detail::piece(std::string(keyword) + " related search", query, true));
        });
        return *this;
    }
    // A comment line, shown in the object's description.
    Record& comment(std::string_view line)
    {
        guard([&] {
            comments.push_back(detail::piece(std::string(keyword) + " comment", line, false));
        });
        return *this;
    }

    // Made by Dump only (the key is its own).
    Record(Key, const char* kind, std::string geometry, bool* dumpChanged)
        : keyword(kind), text(std::move(geometry)), changed(dumpChanged)
    {
    }

private:
    friend class Dump;

    struct Property {
        std::string name, value;
        bool number;
    };

    template <class Check> void guard(const Check& check)
    {
        try {
            check();
            *changed = true;
        } catch (...) {
            dropped = true;
            *changed = true;
            throw;
        }
    }

    Record& add(std::string_view name, std::string_view value, bool number)
    {
        guard([&] {
            const std::string field = std::string(keyword) + " property";
            Property given{detail::word(field + " name", name),
                           detail::word(field + " " + std::string(name) + " value", value), number};
            for (const Property& earlier : properties) {
                if (earlier.name == given.name)
                    detail::refuse(field + " name", name, "is given twice");
            }
            properties.push_back(std::move(given));
        });
        return *this;
    }

    // The record's line: main part and property pairs, then " !!" and the searches, then "//"
    // and the comments, each list joined by '#'.
    void appendTo(std::string& out) const
    {
        if (dropped)
            return;
        out += text;
        for (const Property& property : properties)
            out.append(" ").append(property.name).append(" ").append(property.value);
        const auto join = [&out](const char* separator, const std::vector<std::string>& pieces) {
            out += separator;
            for (std::size_t i = 0; i < pieces.size(); ++i)
                out.append(i ? "#" : "").append(pieces[i]);
        };
        if (!searches.empty())
            join(" !!", searches);
        if (!comments.empty())
            join(searches.empty() ? " //" : "//", comments);
        out += '\n';
    }

    const char* keyword;
    std::string text;
    std::vector<Property> properties;
    std::vector<std::string> searches, comments;
    bool* changed; // the dump's mark that it holds more than it last wrote
    bool dropped = false;
};

// The header of a dump: colours defined by it and property declarations, in the order given;
// defining the same colour or declaring the same property again replaces the earlier one.
class Header
{
public:
    void color(std::string_view name, int red, int green, int blue)
    {
        const std::string word = detail::word("color name", name);
        const int components[] = {red, green, blue};
        const char* const labels[] = {"red", "green", "blue"};
        for (int i = 0; i < 3; ++i) {
            if (components[i] < 0 || components[i] > 255)
                throw DumpError("color " + std::string(name) + " " + labels[i] + " " +
                                std::to_string(components[i]) + " lies outside 0 to 255");
        }
        std::string line = "color " + word + " " + std::to_string(red) + " " +
                           std::to_string(green) + " " + std::to_string(blue) + "\n";
        set(colors, word, std::move(line));
    }
    void property(std::string_view type, std::string_view name, Kind kind,
                  std::string_view defaultValue)
    {
        if (!detail::isKindKeyword(type))
            detail::refuse("property type", type,
                           "is not one of pt, line, rect, circle, path, polygon");
        const std::string word = detail::word("property name", name);
        const std::string value =
            detail::word("property " + std::string(name) + " default", defaultValue);
        std::string line = "property " + std::string(type) + " " + word + " " +
                           (kind == Kind::Double ? "double " : "string ") + value + "\n";
        set(declarations, std::string(type) + " " + word, std::move(line));
    }
    // Whether name (UTF-8, as given to color()) is a colour this header defines.
    bool definesColor(const std::string& name) const
    {
        std::string word;
        try {
            word = detail::latin1("color", name);
        } catch (const DumpError&) {
            return false;
        }
        return find(colors, word) != nullptr;
    }
    // Whether the header declares property name (Latin-1 bytes) of kind type.
    bool declares(std::string_view type, const std::string& name) const
    {
        return find(declarations, std::string(type) + " " + name) != nullptr;
    }
    // The header's lines, the lines of `more` declarations after the given ones.
    std::string text(const std::string& more = {}) const
    {
        std::string out;
        for (const auto* lines : {&colors, &declarations}) {
            for (const auto& entry : *lines)
                out += entry.second;
        }
        return out + more + "endheader\n";
    }

private:
    using Lines = std::vector<std::pair<std::string, std::string>>;
    static const std::string* find(const Lines& lines, const std::string& key)
    {
        for (const auto& entry : lines) {
            if (entry.first == key)
                return &entry.second;
        }
        return nullptr;
    }
    static void set(Lines& lines, const std::string& key, std::string line)
    {
        for (auto& entry : lines) {
            if (entry.first == key) {
                entry.second = std::move(line);
                return;
            }
        }
        lines.emplace_back(key, std::move(line));
    }
    Lines colors, declarations;
};

// The answer to one request: its `key: value` lines, and either ok or the window's reason (or
// this side's: a refused socket, a connection that ended).
struct Answer {
    bool ok = false;
    std::string error;
    std::vector<std::pair<std::string, std::string>> fields;
};

std::optional<Answer> request(const std::string& line, int timeoutSeconds = 60);
bool show(const std::string& file);
[[nodiscard]] bool show(const std::string& file, std::string& reason);
inline bool pause(std::string_view message = {}, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE());
namespace detail
{
inline bool pauseOn(const std::string& dump, std::string_view message, const char* file, int line);
inline void noteShown(const std::string& shown);
} // namespace detail

// One .las file, kept in memory and written whole by write() (and by the destructor, unless an
// exception is on its way out of the scope that made the dump, or a write of it failed).
class Dump
{
public:
    explicit Dump(std::string name, Header declared = {})
        : file(std::move(name)), header(std::move(declared)),
          exceptionsAtStart(std::uncaught_exceptions())
    {
    }
    Dump(const Dump&) = delete;
    Dump& operator=(const Dump&) = delete;
    ~Dump()
    {
        if (!changed || failed || std::uncaught_exceptions() > exceptionsAtStart)
            return;
        try {
            write();
        } catch (const std::exception& error) {
            std::cerr << "vedra: " << error.what() << '\n';
        }
    }

    // Defines (or redefines) a colour for this file's records, components 0 to 255.
    Dump& color(std::string_view name, int red, int green, int blue)
    {
        header.color(name, red, green, blue);
        changed = true;
        return *this;
    }
    // Declares a property of every object of kind `type` ("pt", "line", ...) with its default.
    Dump& property(std::string_view type, std::string_view name, Kind kind,
                   std::string_view defaultValue)
    {
        header.property(type, name, kind, defaultValue);
        changed = true;
        return *this;
    }

    Record& pt(double x, double y, const Color& color = "black", int shape = Circle)
    {
        return start("pt", numbers("pt", {{"x", x}, {"y", y}}), color, " " + std::to_string(shape));
    }
    Record& pt(Point at, const Color& color = "black", int shape = Circle)
    {
        return pt(at.x, at.y, color, shape);
    }
    Record& line(Point from, Point to, const Color& color = "black")
    {
        return start("line",
                     numbers("line", {{"x1", from.x}, {"y1", from.y}, {"x2", to.x}, {"y2", to.y}}),
                     color);
    }
    // low is the corner with the smaller coordinates, high the one with the larger.
    Record& rect(Point low, Point high, const Color& color = "black")
    {
        return start(
            "rect", numbers("rect", {{"x1", low.x}, {"y1", low.y}, {"x2", high.x}, {"y2", high.y}}),
            color);
    }
    Record& circle(Point centre, double radius, const Color& color = "black")
    {
        return start("circle",
                     numbers("circle", {{"x", centre.x}, {"y", centre.y}, {"radius", radius}}),
                     color);
    }
    template <class Range> Record& path(const Range& points, const Color& color = "black")
    {
        return vertices("path", std::begin(points), std::end(points), color);
    }
    Record& path(std::initializer_list<Point> points, const Color& color = "black")
    {
        return vertices("path", points.begin(), points.end(), color);
    }
    template <class Range> Record& polygon(const Range& points, const Color& color = "black")
    {
        return vertices("polygon", std::begin(points), std::end(points), color);
    }
    Record& polygon(std::initializer_list<Point> points, const Color& color = "black")
    {
        return vertices("polygon", points.begin(), points.end(), color);
    }

    // Writes the file whole (again, if records came since), making missing folders; throws
    // vedra::WriteError (a std::system_error) naming the file when it cannot. After a failed
    // write the destructor leaves the file alone until a write() succeeds.
    void write()
    {
        std::string body;
        for (const Record& record : records)
            record.appendTo(body);
        try {
            detail::writeWhole(file, header.text(undeclared()) + body);
        } catch (...) {
            failed = true;
            throw;
        }
        failed = false;
        changed = false;
    }
    // Writes the file and hands it to the running window, or starts one on it; false (with the
    // reason on stderr, or in `reason`) when neither could be done. The file is written in any
    // case; a file that cannot be written throws, as write() does.
    bool show()
    {
        write();
        return vedra::show(file);
    }
    [[nodiscard]] bool show(std::string& reason)
    {
        write();
        return vedra::show(file, reason);
    }
    // Writes and shows the file as show() does, then waits until the engineer continues in the
    // window (Continue, F8; or Don't Stop Here Again: this place no longer pauses in this run).
    // The window names the program, the place of this call (file and line, taken where it is
    // written) and the message. True once continued. Never a hang: when no window can be reached
    // or started, or the window is closed or the connection drops, it returns false at once and
    // says why in one line on stderr. VEDRA_PAUSE=0 in the environment makes it show only.
    bool pause(std::string_view message = {}, const char* where = __builtin_FILE(),
               int line = __builtin_LINE())
    {
        write();
        return detail::pauseOn(file, message, where, line);
    }
    const std::string& fileName() const { return file; }

private:
    struct Field {
        const char* name;
        double value;
    };

    // The geometry fields as text, each checked to be finite.
    static std::string numbers(const char* keyword, std::initializer_list<Field> fields)
    {
        std::string text;
        for (const Field& field : fields)
            text += " " + detail::number(std::string(keyword) + " " + field.name, field.value);
        return text;
    }

    // Declarations of the properties that records give and the header does not declare, so that
    // the viewer's pick matches them: double (default nan, which no comparison matches) when
    // every value given is a number, else string (default none, the format's "not given").
    std::string undeclared() const
    {
        std::vector<std::pair<std::string, bool>> found; // "kind name", numbers only
        std::map<std::string, std::size_t> index;
        for (const Record& record : records) {
            if (record.dropped)
                continue;
            for (const Record::Property& property : record.properties) {
                if (header.declares(record.keyword, property.name))
                    continue;
                const std::string key = std::string(record.keyword) + " " + property.name;
                const auto [at, added] = index.emplace(key, found.size());
                if (added)
                    found.emplace_back(key, property.number);
                else
                    found[at->second].second = found[at->second].second && property.number;
            }
        }
        std::string lines;
        for (const auto& [key, numeric] : found)
            lines += "property " + key + (numeric ? " double nan\n" : " string none\n");
        return lines;
    }

    // Starts a record once its geometry and colour were found good.
    Record& start(const char* keyword, const std::string& geometry, const Color& color,
                  const std::string& tail = {})
    {
        std::string text = keyword + geometry + " " + checkedColor(keyword, color) + tail;
        changed = true;
        return records.emplace_back(Record::Key(), keyword, std::move(text), &changed);
    }

    template <class It> Record& vertices(const char* keyword, It first, It last, const Color& color)
    {
        std::string coordinates;
        long long count = 0;
        for (; first != last; ++first, ++count) {
            const Point p = detail::toPoint(*first);
            const std::string field = std::string(keyword) + " vertex " + std::to_string(count);
            coordinates +=
                " " + detail::number(field + " x", p.x) + " " + detail::number(field + " y", p.y);
        }
        if (count < 1)
            throw DumpError(std::string(keyword) + " has no vertices; it needs at least one");
        if (count > 2147483647)
            throw DumpError(std::string(keyword) + " has more vertices than its count can say");
        return start(keyword, " " + std::to_string(count) + coordinates, color);
    }

    std::string checkedColor(const char* keyword, const Color& color) const
    {
        const std::string field = std::string(keyword) + " color";
        std::string word = detail::word(field, color.name());
        if (!detail::isBuiltInColor(word) && !header.definesColor(color.name()))
            detail::refuse(field, color.name(),
                           "is neither a built-in colour nor defined with color()");
        return word;
    }

    std::string file;
    Header header;
    // A deque keeps every record where it is while more are added, so a Record& stays valid.
    std::deque<Record> records;
    int exceptionsAtStart;
    bool changed = true; // holds more than it last wrote (a new dump writes its empty file)
    bool failed = false; // the last write threw
};

// Numbered dumps of one series: PREFIX.N.las, N counting up from `first`. Colours and property
// declarations given to the series go into every member started after them.
class Series
{
public:
    explicit Series(std::string path, long long first = 1) : prefix(std::move(path)), index(first)
    {
    }

    Series& color(std::string_view name, int red, int green, int blue)
    {
        header.color(name, red, green, blue);
        return *this;
    }
    Series& property(std::string_view type, std::string_view name, Kind kind,
                     std::string_view defaultValue)
    {
        header.property(type, name, kind, defaultValue);
        return *this;
    }
    // Writes the member before (if any) and starts the next one. The member before, and the
    // records taken from it, end here.
    Dump& next()
    {
        if (member)
            member->write();
        member.emplace(prefix + "." + std::to_string(index++) + ".las", header);
        return *member;
    }
    // Writes the current member; show() also shows it, as Dump::show() does.
    void write()
    {
        if (member)
            member->write();
    }
    bool show() { return member && member->show(); }
    [[nodiscard]] bool show(std::string& reason)
    {
        if (member)
            return member->show(reason);
        reason = "the series has no member yet";
        return false;
    }
    // Writes the current member and pauses on it, as Dump::pause() does; false when there is
    // no member yet.
    bool pause(std::string_view message = {}, const char* where = __builtin_FILE(),
               int line = __builtin_LINE())
    {
        return member && member->pause(message, where, line);
    }
    // The current member's file name; empty before the first next().
    std::string fileName() const { return member ? member->fileName() : std::string(); }

private:
    std::string prefix;
    long long index;
    Header header;
    std::optional<Dump> member;
};

// Where a listening Vedra window's socket is: $VEDRA_SOCKET, else $XDG_RUNTIME_DIR/vedra.sock,
// else /tmp/vedra-UID/vedra.sock.
inline std::string socketPath()
{
    const char* chosen = std::getenv("VEDRA_SOCKET");
    if (chosen && *chosen)
        return chosen;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    if (runtime && *runtime && std::filesystem::is_directory(runtime, error))
        return std::string(runtime) + "/vedra.sock";
#ifdef VEDRA_DUMP_POSIX
    return "/tmp/vedra-" + std::to_string(::getuid()) + "/vedra.sock";
#else
    return {};
#endif
}

#ifdef VEDRA_DUMP_POSIX
namespace detail
{

// A descriptor closed when it goes.
class Fd
{
public:
    Fd() = default;
    explicit Fd(int descriptor) : fd(descriptor) {}
    Fd(Fd&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(fd, other.fd);
        return *this;
    }
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int get() const { return fd; }
    int release() { return std::exchange(fd, -1); }

private:
    int fd = -1;
};

// "user alice (uid 1001)", or "uid 1001" for a uid without a name.
inline std::string userName(uid_t uid)
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    const std::string number = "uid " + std::to_string(uid);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return "user " + std::string(found->pw_name) + " (" + number + ")";
    return number;
}

inline std::string octal(mode_t mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

inline std::string parentFolder(const std::string& path)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? "." : folder.string();
}

// How a window at the socket was reached: connected (and trusted), nothing listens there, the
// socket's folder is missing, or something there is not trusted (or usable): then no byte is
// sent and no window is started over it.
enum class Reach { Connected, NoWindow, NoFolder, Refused };

struct Window {
    Reach reach = Reach::NoWindow;
    Fd socket;
    std::string reason;
};

// The checks every side makes before it sends a byte: the socket's folder and the socket file
// (links not followed) are the user's and no one else can reach them, and the peer of the
// connection runs as the user.
inline Window reach(const std::string& path)
{
    Window window;
    const auto refusal = [&window](std::string reason) {
        window.reach = Reach::Refused;
        window.reason = std::move(reason);
        return std::move(window);
    };
    sockaddr_un address{};
    if (path.empty())
        return refusal("no socket to reach: nothing names it on this system");
    if (path.size() >= sizeof address.sun_path)
        return refusal("cannot reach " + path + ": the socket's name is longer than " +
                       std::to_string(sizeof address.sun_path - 1) + " bytes");
    const uid_t me = ::geteuid();
    const std::string folder = parentFolder(path);
    struct stat info {
    };
    if (::lstat(folder.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return refusal("cannot reach " + folder + ": " + std::strerror(errno));
        window.reach = Reach::NoFolder;
        window.reason = "the socket's folder " + folder + " does not exist";
        return window;
    }
    if (!S_ISDIR(info.st_mode))
        return refusal("refusing " + folder + ": it is " +
                       (S_ISLNK(info.st_mode) ? "a symbolic link" : std::string("not a folder")) +
                       "; the socket's folder must be a folder of yours alone");
    // Why the folder or the socket file, as `info` has it, is not the user's alone; empty when it
    // is.
    const auto whyNotOwn = [&info, me](const std::string& name, const char* what) {
        if (info.st_uid != me)
            return "refusing " + name + ": it belongs to " + userName(info.st_uid) + ", not to you";
        if (info.st_mode & 077)
            return "refusing " + name + ": others can reach it (mode " + octal(info.st_mode) +
                   "); the " + what + " must be yours alone";
        return std::string();
    };
    if (const std::string why = whyNotOwn(folder, "socket's folder"); !why.empty())
        return refusal(why);
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return refusal("cannot reach " + path + ": " + std::strerror(errno));
        window.reason = "no window listens at " + path;
        return window;
    }
    if (!S_ISSOCK(info.st_mode))
        return refusal("refusing " + path + ": it is not a socket");
    if (const std::string why = whyNotOwn(path, "socket"); !why.empty())
        return refusal(why);
#ifdef SOCK_CLOEXEC
    Fd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
#else
    Fd socket(::socket(AF_UNIX, SOCK_STREAM, 0));
    if (socket.get() >= 0)
        ::fcntl(socket.get(), F_SETFD, FD_CLOEXEC);
#endif
    if (socket.get() < 0)
        return refusal(std::string("cannot make a socket: ") + std::strerror(errno));
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int connected;
    do
        connected =
            ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (connected != 0 && errno == EINTR);
    if (connected != 0) {
        window.reason = "no window listens at " + path + " (" + std::strerror(errno) + ")";
        return window;
    }
#if defined(SO_PEERCRED)
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(socket.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return refusal("refusing the window at " + path + ": its user cannot be told (" +
                       std::strerror(errno) + ")");
    if (peer.uid != me)
        return refusal("refusing the window at " + path + ": it runs as " + userName(peer.uid));
#elif defined(__APPLE__) || defined(__FreeBSD__) || defined(__OpenBSD__) || defined(__NetBSD__)
    uid_t peerUid = 0;
    gid_t peerGid = 0;
    if (::getpeereid(socket.get(), &peerUid, &peerGid) != 0)
        return refusal("refusing the window at " + path + ": its user cannot be told (" +
                       std::strerror(errno) + ")");
    if (peerUid != me)
        return refusal("refusing the window at " + path + ": it runs as " + userName(peerUid));
#endif
    window.reach = Reach::Connected;
    window.socket = std::move(socket);
    return window;
}

// Sends one request line on a connected socket and reads its answer, waiting up to
// timeoutSeconds for each part of it.
inline Answer exchange(int socket, const std::string& line, int timeoutSeconds)
{
    timeval wait{};
    wait.tv_sec = timeoutSeconds;
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
#ifdef MSG_NOSIGNAL
    constexpr int kSendFlags = MSG_NOSIGNAL; // a window gone away is an answer, not a signal
#else
    constexpr int kSendFlags = 0;
#endif
    Answer answer;
    const std::string text = line + "\n";
    for (std::size_t sent = 0; sent < text.size();) {
        const ssize_t n = ::send(socket, text.data() + sent, text.size() - sent, kSendFlags);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            answer.error = "the window did not take the request";
            return answer;
        }
        sent += static_cast<std::size_t>(n);
    }
    std::string received;
    for (;;) {
        std::size_t end;
        while ((end = received.find('\n')) != std::string::npos) {
            std::string reply = received.substr(0, end);
            received.erase(0, end + 1);
            if (!reply.empty() && reply.back() == '\r')
                reply.pop_back();
            if (reply == "ok") {
                answer.ok = true;
                return answer;
            }
            if (reply.rfind("error: ", 0) == 0) {
                answer.error = reply.substr(7);
                return answer;
            }
            const std::size_t colon = reply.find(": ");
            if (colon != std::string::npos)
                answer.fields.emplace_back(reply.substr(0, colon), reply.substr(colon + 2));
        }
        char buffer[4096];
        const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            answer.error = n < 0 ? "no answer from the window in time"
                                 : "the window closed the connection before answering";
            return answer;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace detail
#endif

// Sends one request line (a request word and its arguments, no line feed) to the listening
// window and waits up to timeoutSeconds for its answer. None when no window listens; a socket
// or window that is not trusted (see README.md) gives an answer whose error says why, as does a
// connection that ends or falls silent before the final line.
inline std::optional<Answer> request(const std::string& line, int timeoutSeconds)
{
    Answer refused;
    if (line.find('\n') != std::string::npos) {
        refused.error = "a request cannot hold a line break";
        return refused;
    }
#ifdef VEDRA_DUMP_POSIX
    detail::Window window = detail::reach(socketPath());
    if (window.reach == detail::Reach::Connected)
        return detail::exchange(window.socket.get(), line, timeoutSeconds);
    if (window.reach != detail::Reach::Refused)
        return std::nullopt;
    refused.error = window.reason;
    return refused;
#else
    (void)timeoutSeconds;
    return std::nullopt;
#endif
}

#ifdef VEDRA_DUMP_POSIX
namespace detail
{

// What this program knows of the one window it may start in its run.
struct Session {
    std::mutex lock;      // one show() at a time in this program
    bool started = false; // a start was tried: no other is, whatever came of it
    pid_t window = -1;    // the started window while it may still need reaping
    bool told = false;    // "started already" was said on stderr
};

inline Session& session()
{
    static Session state;
    return state;
}

// Makes each missing folder of path with mode 0700; false when one cannot be made.
inline bool makeFolders(const std::filesystem::path& path)
{
    std::filesystem::path made;
    for (const auto& part : path) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// The log a started window writes to: $XDG_STATE_HOME/vedra/window.log, else
// ~/.local/state/vedra/window.log; opened to append (and to read back what the window said), or
// /dev/null when it cannot be.
inline Fd openLog()
{
    std::filesystem::path folder;
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    if (state && *state) {
        folder = std::filesystem::path(state) / "vedra";
    } else {
        std::string homeFolder = home && *home ? home : "";
        if (homeFolder.empty()) {
            std::vector<char> buffer(16384);
            passwd entry{};
            passwd* found = nullptr;
            if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
                found && found->pw_dir)
                homeFolder = found->pw_dir;
        }
        if (!homeFolder.empty())
            folder = std::filesystem::path(homeFolder) / ".local" / "state" / "vedra";
    }
    int fd = -1;
    if (!folder.empty() && makeFolders(folder))
        fd = ::open((folder / "window.log").c_str(),
                    O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    return Fd(fd);
}

// The last non-empty line written to the log after offset `from`, control characters replaced.
inline std::string lastLogLine(int log, off_t from)
{
    const off_t end = ::lseek(log, 0, SEEK_END);
    if (end <= from)
        return {};
    const off_t start = end - from > 65536 ? end - 65536 : from;
    std::string text(static_cast<std::size_t>(end - start), '\0');
    const ssize_t got = ::pread(log, text.data(), text.size(), start);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    std::size_t stop = text.size();
    while (stop > 0) {
        const std::size_t begin = text.rfind('\n', stop - 1);
        const std::size_t first = begin == std::string::npos ? 0 : begin + 1;
        std::string line = text.substr(first, stop - first);
        while (!line.empty() && (isBlank(line.back()) || line.back() == '\0'))
            line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) {
            for (char& c : line) {
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                    c = '?';
            }
            return line;
        }
        if (begin == std::string::npos)
            break;
        stop = begin;
    }
    return {};
}

inline std::string exitStatus(int status)
{
    if (WIFEXITED(status))
        return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "ended by signal " + std::to_string(WTERMSIG(status));
    return "ended";
}

// The program's path: as given when it names a folder, else found on $PATH; empty when not.
inline std::string findProgram(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return program;
    const char* search = std::getenv("PATH");
    const std::string paths = search && *search ? search : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t at = 0; at <= paths.size();) {
        std::size_t colon = paths.find(':', at);
        if (colon == std::string::npos)
            colon = paths.size();
        const std::string folder = colon > at ? paths.substr(at, colon - at) : ".";
        const std::string candidate = folder + "/" + program;
        struct stat info {
        };
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = colon + 1;
    }
    return {};
}

// Moves a descriptor to 3 or above (0 to 2 are the started program's), close-on-exec.
inline Fd aboveStandard(Fd fd)
{
    if (fd.get() < 0 || fd.get() > 2)
        return fd;
    return Fd(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3));
}

// Starts `program --listen --fit file` fully detached: its own session, standard input from
// /dev/null, standard output and error appended to the log, no other descriptor of this
// program. Then waits (every 50 ms, at most 15 s) until it accepts a connection at the socket.
// False with the reason (the window's own last log line, else its exit status) when it could not
// be started, ended first or did not come to listen.
inline bool startWindow(const std::string& given, const std::string& file,
                        const std::string& socket, std::string& reason)
{
    const std::string program = findProgram(given);
    if (program.empty()) {
        reason = "no window listens at " + socket + " and " + given +
                 " was not found (VEDRA_PROGRAM names the viewer to start)";
        return false;
    }
    Fd log = aboveStandard(openLog());
    Fd nothing = aboveStandard(Fd(::open("/dev/null", O_RDONLY | O_CLOEXEC)));
    int ends[2];
    if (log.get() < 0 || nothing.get() < 0 || ::pipe(ends) != 0) {
        reason = std::string("cannot start a window: ") + std::strerror(errno);
        return false;
    }
    Fd reportRead(ends[0]), reportWrite(ends[1]);
    ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(ends[1], F_SETFD, FD_CLOEXEC);
    reportWrite = aboveStandard(std::move(reportWrite));
    const off_t logStart = ::lseek(log.get(), 0, SEEK_END);

    // Everything the child needs is made here: after fork it calls only what is safe there.
    std::vector<int> inherited;
    if (DIR* list = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(list)) {
            const int fd = std::atoi(entry->d_name);
            if (fd > 3 && fd != ::dirfd(list))
                inherited.push_back(fd);
        }
        ::closedir(list);
    }
    const long limit = ::sysconf(_SC_OPEN_MAX);
    const int highest = limit > 0 && limit < 65536 ? static_cast<int>(limit) : 65536;
    const std::string arguments[] = {given, "--listen", "--fit", file};
    char* argv[] = {
        const_cast<char*>(arguments[0].c_str()), const_cast<char*>(arguments[1].c_str()),
        const_cast<char*>(arguments[2].c_str()), const_cast<char*>(arguments[3].c_str()), nullptr};
    sigset_t none;
    sigemptyset(&none);

    const pid_t child = ::fork();
    if (child < 0) {
        reason = std::string("cannot start a window: ") + std::strerror(errno);
        return false;
    }
    if (child == 0) {
        ::setsid();
        ::dup2(nothing.get(), 0);
        ::dup2(log.get(), 1);
        ::dup2(log.get(), 2);
        // The pipe that reports a failed exec goes to 3 and closes at exec; all else above it
        // closes now.
        if (reportWrite.get() != 3)
            ::dup2(reportWrite.get(), 3);
        ::fcntl(3, F_SETFD, FD_CLOEXEC);
        bool closed = false;
#if defined(SYS_close_range)
        closed = ::syscall(SYS_close_range, 4u, ~0u, 0u) == 0;
#endif
        if (!closed) {
            for (const int fd : inherited)
                ::close(fd);
            for (int fd = 4; fd < highest; ++fd)
                ::close(fd);
        }
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(program.c_str(), argv);
        const int error = errno;
        (void)!::write(3, &error, sizeof error);
        ::_exit(127);
    }
    reportWrite = Fd();
    nothing = Fd();
    int error = 0;
    ssize_t got;
    do
        got = ::read(reportRead.get(), &error, sizeof error);
    while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof error)) {
        ::waitpid(child, nullptr, 0);
        reason = "no window listens at " + socket + " and " + given + " could not be started (" +
                 std::strerror(error) + ")";
        return false;
    }
    session().window = child;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    std::string refused;
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        const bool gone = ended == child || (ended < 0 && ::kill(child, 0) != 0);
        if (gone) {
            session().window = -1;
            const std::string said = lastLogLine(log.get(), logStart);
            reason = "the window (" + given + ") ended before it listened at " + socket + ": " +
                     (!said.empty()    ? said
                      : ended == child ? exitStatus(status)
                                       : "it ended");
            return false;
        }
        detail::Window window = reach(socket);
        if (window.reach == Reach::Connected)
            return true;
        // A window may make its socket and only then set its mode: a refusal stands once the
        // time is out.
        if (window.reach == Reach::Refused)
            refused = window.reason;
        if (std::chrono::steady_clock::now() >= deadline) {
            const std::string said = lastLogLine(log.get(), logStart);
            reason = !refused.empty() ? refused
                                      : "the window (" + given + ") did not listen at " + socket +
                                            " within 15 s" + (said.empty() ? "" : ": " + said);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// Hands the file to a connected window: `display FILE`, answered once the window has taken it.
inline bool display(Window& window, const std::string& file, std::string& reason)
{
    const Answer answer = exchange(window.socket.get(), "display " + file, 30);
    if (!answer.ok)
        reason = "the window did not take " + file + ": " + answer.error;
    return answer.ok;
}

// show() with the reason given back; quiet when the reason was said on stderr before.
inline bool showFile(const std::string& file, std::string& reason, bool& quiet)
{
    quiet = false;
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(file, error).lexically_normal().string();
    if (error || absolute.find('\n') != std::string::npos) {
        reason = "cannot show " + file + ": its name cannot be sent";
        return false;
    }
    Session& state = session();
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.window > 0 && ::waitpid(state.window, nullptr, WNOHANG) == state.window)
        state.window = -1; // reaped, so no finished window lingers as a zombie
    const std::string socket = socketPath();
    Window window = reach(socket);
    if (window.reach == Reach::Connected)
        return display(window, absolute, reason);
    if (window.reach == Reach::Refused) {
        reason = window.reason;
        return false;
    }
    if (state.started) {
        reason = "no window listens at " + socket +
                 ", and this program has started its one window already; " + absolute +
                 " is written";
        quiet = state.told;
        state.told = true;
        return false;
    }
    const std::string fallback = "/tmp/vedra-" + std::to_string(::getuid());
    if (window.reach == Reach::NoFolder) {
        if (parentFolder(socket) != fallback ||
            (::mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST)) {
            reason = "cannot start a window: " + window.reason + "; " + absolute + " is written";
            return false;
        }
        window = reach(socket);
        if (window.reach == Reach::Refused || window.reach == Reach::NoFolder) {
            reason = window.reason;
            return false;
        }
    }
    // One program at a time starts a window on this socket; one that waited for the lock finds
    // the window the other started.
    const std::string lockName = socket + ".lock";
    Fd lock(::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (lock.get() < 0) {
        reason = "cannot start a window: cannot open " + lockName + ": " + std::strerror(errno);
        return false;
    }
    // Waited for in steps, not for ever: a program holding it may be stopped in a debugger.
    const auto lockDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            reason = "cannot start a window: cannot lock " + lockName + ": " + std::strerror(errno);
            return false;
        }
        if (std::chrono::steady_clock::now() >= lockDeadline) {
            reason = "cannot start a window: another program has held " + lockName +
                     " for 20 s (is it stopped?); " + absolute + " is written";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    window = reach(socket);
    if (window.reach == Reach::Connected)
        return display(window, absolute, reason);
    if (window.reach == Reach::Refused) {
        reason = window.reason;
        return false;
    }
    const char* chosen = std::getenv("VEDRA_PROGRAM");
    state.started = true;
    return startWindow(chosen && *chosen ? chosen : "vedra", absolute, socket, reason);
}

} // namespace detail
#endif

// Hands file (made absolute) to the listening window (`display FILE`: returns once the window
// has taken it, not once it is open), or starts `vedra --listen --fit file` ($VEDRA_PROGRAM
// instead of vedra when set) and waits until it listens. A program starts at most one window in
// its run. False when the socket is not trusted, the window refused the file, or no window
// could be started; the first overload then says why in one line on stderr (a repeat of "started
// already" only once), the second puts the reason in `reason` and prints nothing.
[[nodiscard]] inline bool show(const std::string& file, std::string& reason)
{
#ifdef VEDRA_DUMP_POSIX
    bool quiet = false;
    if (!detail::showFile(file, reason, quiet))
        return false;
    detail::noteShown(file);
    return true;
#else
    reason = "showing a file is not supported on this system; " + file + " is written";
    return false;
#endif
}

inline bool show(const std::string& file)
{
    std::string reason;
    bool quiet = false;
#ifdef VEDRA_DUMP_POSIX
    if (detail::showFile(file, reason, quiet)) {
        detail::noteShown(file);
        return true;
    }
#else
    (void)show(file, reason);
#endif
    if (!quiet)
        std::cerr << "vedra: " << reason << '\n';
    return false;
}

namespace detail
{

// The file shown last, which vedra::pause() pauses on, and the places (file:line) the engineer
// chose Don't Stop Here Again for in this run.
struct Pauses {
    std::mutex lock;
    std::string lastShown;
    std::vector<std::string> skipped;
};

inline Pauses& pauses()
{
    static Pauses state;
    return state;
}

inline void noteShown(const std::string& shown)
{
    std::error_code error;
    const std::string absolute =
        std::filesystem::absolute(shown, error).lexically_normal().string();
    Pauses& state = pauses();
    const std::lock_guard<std::mutex> hold(state.lock);
    state.lastShown = error ? shown : absolute;
}

// The program's name as the system knows it, for the window's pause bar.
inline std::string programName()
{
    char name[64] = {};
    const int file = ::open("/proc/self/comm", O_RDONLY | O_CLOEXEC);
    const ssize_t read = file >= 0 ? ::read(file, name, sizeof name - 1) : -1;
    if (file >= 0)
        ::close(file);
    std::string text(name, read > 0 ? static_cast<std::size_t>(read) : 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text.empty() ? "program" : text;
}

inline bool pauseOn(const std::string& dump, std::string_view message, const char* file, int line)
{
    const std::string place = std::string(file ? file : "?") + ":" + std::to_string(line);
    const char* setting = std::getenv("VEDRA_PAUSE");
    bool skipped = false;
    {
        Pauses& state = pauses();
        const std::lock_guard<std::mutex> hold(state.lock);
        for (const std::string& site : state.skipped)
            skipped = skipped || site == place;
    }
    if (skipped || (setting && std::string_view(setting) == "0"))
        return show(dump);
    std::string reason;
    if (!show(dump, reason)) {
        std::cerr << "vedra: cannot pause at " << place << ": " << reason << '\n';
        return false;
    }
#ifdef VEDRA_DUMP_POSIX
    std::string text = programName() + " (pid " + std::to_string(::getpid()) + ") at " + place +
                       ": " + std::string(message);
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    Window window = reach(socketPath());
    Answer answer;
    if (window.reach == Reach::Connected)
        answer = exchange(window.socket.get(), "pause " + text, 0); // a person answers: no limit
    else
        answer.error = window.reach == Reach::Refused ? window.reason : "no window listens";
    if (!answer.ok) {
        std::cerr << "vedra: the pause at " << place << " ended: " << answer.error << '\n';
        return false;
    }
    for (const auto& [key, value] : answer.fields) {
        if (key == "continued" && value == "skip-site") {
            Pauses& state = pauses();
            const std::lock_guard<std::mutex> hold(state.lock);
            state.skipped.push_back(place);
        }
    }
    return true;
#else
    (void)message;
    return true;
#endif
}

} // namespace detail

// Pauses on the file shown last, as Dump::pause() does, the place being this call's; false,
// saying so, when nothing was shown yet.
inline bool pause(std::string_view message, const char* file, int line)
{
    std::string last;
    {
        detail::Pauses& state = detail::pauses();
        const std::lock_guard<std::mutex> hold(state.lock);
        last = state.lastShown;
    }
    if (last.empty()) {
        std::cerr << "vedra: cannot pause: nothing was shown yet\n";
        return false;
    }
    return detail::pauseOn(last, message, file, line);
}

} // namespace vedra
