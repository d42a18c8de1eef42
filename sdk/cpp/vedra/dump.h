#pragma once

// Writing .las dumps for the Vedra viewer from a C++ program, and showing them in a running
// Vedra window. One header, C++17 and the standard library (POSIX for show() and request()).
//
//     vedra::Dump dump("cells.las");
//     dump.pt(1.5, 2, "red", vedra::Triangle).prop("net", "a1").comment("first note");
//     dump.show();
//
// Everything written reads back exactly as it was given: numbers are written as the shortest
// text that reads back to the same double, and whatever the file cannot hold (see README.md) is
// refused with a vedra::DumpError that names the field, before anything of it is written.

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#define VEDRA_DUMP_POSIX 1
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vedra
{

// A value the file cannot hold; what() names the record kind and the field.
class DumpError : public std::invalid_argument
{
public:
    using std::invalid_argument::invalid_argument;
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

// A colour, property name or value: one word, and no record separator inside it.
inline void requireWord(std::string_view field, std::string_view text)
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
}

// A related search or a comment line: any text on one line without the separators that cut it.
inline void requirePiece(std::string_view field, std::string_view text, bool search)
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

// Writes text to a new file beside path and renames it over path once every byte is written
// and synced, so that a reader of path sees the old file or the whole new one, never a part.
inline void writeWhole(const std::string& path, const std::string& text)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::random_device random;
    std::FILE* file = nullptr;
    std::string temporary;
    for (int attempt = 0; !file; ++attempt) {
        temporary =
            (folder / ("." + target.filename().string() + "." + std::to_string(random()) + ".tmp"))
                .string();
        file = std::fopen(temporary.c_str(), "wbx");
        if (!file && (errno != EEXIST || attempt == 100))
            throw std::system_error(errno, std::generic_category(), "cannot write beside " + path);
    }
    bool written =
        std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
#ifdef VEDRA_DUMP_POSIX
    written = written && ::fsync(fileno(file)) == 0;
#endif
    const int error = errno;
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int cause = written ? errno : error;
        std::remove(temporary.c_str());
        throw std::system_error(cause, std::generic_category(), "cannot write " + path);
    }
}

} // namespace detail

// One record being written: its properties, related searches and comments follow its geometry.
// Valid until the dump's next record. A refused part drops the whole record.
class Record
{
public:
    // A property pair NAME VALUE; a later value of a declared property replaces its default.
    Record& prop(std::string_view name, std::string_view value)
    {
        guard([&] {
            const std::string field = keyword + " property";
            detail::requireWord(field + " name", name);
            detail::requireWord(field + " " + std::string(name) + " value", value);
            for (const std::string& given : names) {
                if (given == name)
                    detail::refuse(field + " name", name, "is given twice");
            }
            names.emplace_back(name);
            text.append(" ").append(name).append(" ").append(value);
        });
        return *this;
    }
    // A number as a property value, written as the shortest text that reads back to it.
    template <class T,
              std::enable_if_t<std::is_arithmetic_v<T> && !std::is_same_v<T, bool>, int> = 0>
    Record& prop(std::string_view name, T value)
    {
        if constexpr (std::is_integral_v<T>)
            return prop(name, std::string_view(std::to_string(value)));
        std::string written;
        guard([&] { written = detail::number(keyword + " property " + std::string(name), value); });
        return prop(name, std::string_view(written));
    }
    // A related search: a query the viewer runs from this object.
    Record& search(std::string_view query)
    {
        guard([&] { detail::requirePiece(keyword + " related search", query, true); });
        searches.emplace_back(query);
        return *this;
    }
    // A comment line, shown in the object's description.
    Record& comment(std::string_view line)
    {
        guard([&] { detail::requirePiece(keyword + " comment", line, false); });
        comments.emplace_back(line);
        return *this;
    }

private:
    friend class Dump;
    Record(std::string keyword, std::string geometry)
        : keyword(std::move(keyword)), text(std::move(geometry))
    {
    }

    template <class Check> void guard(const Check& check)
    {
        try {
            check();
        } catch (...) {
            dropped = true;
            throw;
        }
    }

    // The record's line: main part, then " !!" and the searches, then "//" and the comments,
    // each list joined by '#'.
    void appendTo(std::string& out) const
    {
        if (dropped)
            return;
        out += text;
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

    std::string keyword;
    std::string text;
    std::vector<std::string> names, searches, comments;
    bool dropped = false;
};

// The header of a dump: colours defined by it and property declarations, in the order given;
// defining the same colour or declaring the same property again replaces the earlier one.
class Header
{
public:
    void color(std::string_view name, int red, int green, int blue)
    {
        detail::requireWord("color name", name);
        const int components[] = {red, green, blue};
        const char* const labels[] = {"red", "green", "blue"};
        for (int i = 0; i < 3; ++i) {
            if (components[i] < 0 || components[i] > 255)
                throw DumpError("color " + std::string(name) + " " + labels[i] + " " +
                                std::to_string(components[i]) + " lies outside 0 to 255");
        }
        std::string line = "color " + std::string(name) + " " + std::to_string(red) + " " +
                           std::to_string(green) + " " + std::to_string(blue) + "\n";
        set(colors, std::string(name), std::move(line));
    }
    void property(std::string_view type, std::string_view name, Kind kind,
                  std::string_view defaultValue)
    {
        if (!detail::isKindKeyword(type))
            detail::refuse("property type", type,
                           "is not one of pt, line, rect, circle, path, polygon");
        detail::requireWord("property name", name);
        detail::requireWord("property " + std::string(name) + " default", defaultValue);
        std::string line = "property " + std::string(type) + " " + std::string(name) + " " +
                           (kind == Kind::Double ? "double " : "string ") +
                           std::string(defaultValue) + "\n";
        set(declarations, std::string(type) + " " + std::string(name), std::move(line));
    }
    bool definesColor(const std::string& name) const
    {
        for (const auto& entry : colors) {
            if (entry.first == name)
                return true;
        }
        return false;
    }
    std::string text() const
    {
        std::string out;
        for (const auto* lines : {&colors, &declarations}) {
            for (const auto& entry : *lines)
                out += entry.second;
        }
        return out + "endheader\n";
    }

private:
    using Lines = std::vector<std::pair<std::string, std::string>>;
    static void set(Lines& lines, std::string key, std::string line)
    {
        for (auto& entry : lines) {
            if (entry.first == key) {
                entry.second = std::move(line);
                return;
            }
        }
        lines.emplace_back(std::move(key), std::move(line));
    }
    Lines colors, declarations;
};

// The answer to one request: its `key: value` lines, and either ok or the window's reason.
struct Answer {
    bool ok = false;
    std::string error;
    std::vector<std::pair<std::string, std::string>> fields;
};

std::optional<Answer> request(const std::string& line, int timeoutSeconds = 60);
bool show(const std::string& file);

// One .las file, kept in memory and written whole by write() (and by the destructor, unless an
// exception is on its way out of the scope that made the dump).
class Dump
{
public:
    explicit Dump(std::string file, Header header = {})
        : file(std::move(file)), header(std::move(header)),
          exceptionsAtStart(std::uncaught_exceptions())
    {
    }
    Dump(const Dump&) = delete;
    Dump& operator=(const Dump&) = delete;
    ~Dump()
    {
        if (written || std::uncaught_exceptions() > exceptionsAtStart)
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
        return *this;
    }
    // Declares a property of every object of kind `type` ("pt", "line", ...) with its default.
    Dump& property(std::string_view type, std::string_view name, Kind kind,
                   std::string_view defaultValue)
    {
        header.property(type, name, kind, defaultValue);
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

    // Writes the file whole (again, if records came since); throws std::system_error when it
    // cannot.
    void write()
    {
        std::string text = header.text();
        text += body;
        if (current)
            current->appendTo(text);
        detail::writeWhole(file, text);
        written = true;
    }
    // Writes the file and asks a running window to open it, or starts one on it; false (with the
    // reason on stderr) when neither could be done. The file is written in any case.
    bool show()
    {
        write();
        return vedra::show(file);
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

    // Starts a record once its geometry and colour were found good; the record before it is
    // complete then.
    Record& start(const char* keyword, const std::string& geometry, const Color& color,
                  const std::string& tail = {})
    {
        std::string text = keyword + geometry + " " + checkedColor(keyword, color) + tail;
        if (current)
            current->appendTo(body);
        current.reset(new Record(keyword, std::move(text)));
        written = false;
        return *current;
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
        detail::requireWord(field, color.name());
        if (!detail::isBuiltInColor(color.name()) && !header.definesColor(color.name()))
            detail::refuse(field, color.name(),
                           "is neither a built-in colour nor defined with color()");
        return color.name();
    }

    std::string file;
    Header header;
    std::string body;
    std::unique_ptr<Record> current;
    int exceptionsAtStart;
    bool written = false;
};

// Numbered dumps of one series: PREFIX.N.las, N counting up from `first`. Colours and property
// declarations given to the series go into every member started after them.
class Series
{
public:
    explicit Series(std::string prefix, long long first = 1)
        : prefix(std::move(prefix)), index(first)
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
    // Writes the member before (if any) and starts the next one.
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

// Sends one request line (a request word and its arguments, no line feed) to the listening
// window and waits up to timeoutSeconds for its answer. None when no window listens; a
// connection that ends or falls silent before the final line gives an answer with that reason.
inline std::optional<Answer> request(const std::string& line, int timeoutSeconds)
{
#ifdef VEDRA_DUMP_POSIX
    if (line.find('\n') != std::string::npos) {
        Answer refused;
        refused.error = "a request cannot hold a line break";
        return refused;
    }
    const std::string where = socketPath();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (where.empty() || where.size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, where.c_str(), where.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (socket < 0)
        return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{socket};
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return std::nullopt;
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
        if (n <= 0) {
            answer.error = n < 0 ? "no answer from the window in time"
                                 : "the window closed the connection before answering";
            return answer;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
#else
    (void)line;
    (void)timeoutSeconds;
    return std::nullopt;
#endif
}

namespace detail
{

// Starts `program --listen file` detached from this process (its own session, not its child);
// false with the reason when the program could not be started.
inline bool startWindow(const std::string& program, const std::string& file, std::string& reason)
{
#ifdef VEDRA_DUMP_POSIX
    int report[2];
    if (::pipe(report) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    ::fcntl(report[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(report[1], F_SETFD, FD_CLOEXEC);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only what is safe after fork: the grandchild becomes the window; an exec that fails
        // sends its errno through the pipe, one that succeeds closes the pipe.
        ::setsid();
        const pid_t window = ::fork();
        if (window == 0) {
            const int nothing = ::open("/dev/null", O_RDONLY);
            if (nothing > 0) {
                ::dup2(nothing, 0);
                ::close(nothing);
            }
            ::execlp(program.c_str(), program.c_str(), "--listen", file.c_str(),
                     static_cast<char*>(nullptr));
        }
        // Here only when the fork or the exec failed, or in the child that forked the window.
        const int error = errno;
        if (window <= 0)
            (void)!::write(report[1], &error, sizeof error);
        ::_exit(0);
    }
    ::close(report[1]);
    int error = 0;
    ssize_t got = -1;
    if (child > 0) {
        ::waitpid(child, nullptr, 0);
        do
            got = ::read(report[0], &error, sizeof error);
        while (got < 0 && errno == EINTR);
    } else {
        error = errno;
        got = sizeof error;
    }
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        reason = std::strerror(error);
        return false;
    }
    return true;
#else
    (void)program;
    (void)file;
    reason = "starting a program is not supported on this system";
    return false;
#endif
}

} // namespace detail

// Asks the listening window to open file (made absolute); with no window listening, starts
// `vedra --listen file` ($VEDRA_PROGRAM instead of vedra when set). False, with the reason on
// stderr, when the window refused or nothing could be started.
inline bool show(const std::string& file)
{
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(file, error).lexically_normal().string();
    if (error || absolute.find('\n') != std::string::npos) {
        std::cerr << "vedra: cannot show " << file << ": its name cannot be sent\n";
        return false;
    }
    if (const std::optional<Answer> answer = request("open " + absolute)) {
        if (!answer->ok)
            std::cerr << "vedra: the window did not open " << absolute << ": " << answer->error
                      << '\n';
        return answer->ok;
    }
    const char* chosen = std::getenv("VEDRA_PROGRAM");
    const std::string program = chosen && *chosen ? chosen : "vedra";
    std::string reason;
    if (detail::startWindow(program, absolute, reason))
        return true;
    std::cerr << "vedra: no window listens at " << socketPath() << " and " << program
              << " could not be started (" << reason << "); the file is written: " << absolute
              << '\n';
    return false;
}

} // namespace vedra
