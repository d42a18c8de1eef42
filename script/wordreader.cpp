#include "script/wordreader.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace
{

// The blank characters of the classic locale.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Converts an accumulated number text as the standard library's numeric input does: the whole
// text must be a number; an overflow gives the largest finite value and fails, an underflow
// gives what strtod gives. from_chars does the common case without a locale; strtod_l in the C
// locale settles the out-of-range cases exactly as the library would.
bool convertDouble(const char* first, const char* last, double& value)
{
    const char* digits = (first != last && *first == '+') ? first + 1 : first;
    // A second sign ("+-1") is no number; from_chars would take the '-' after a skipped '+'.
    if (digits != first && digits != last && *digits == '-') {
        value = 0.0;
        return false;
    }
    double parsed = 0.0;
    const auto [end, ec] = std::from_chars(digits, last, parsed);
    if (ec == std::errc() && end == last) {
        value = parsed;
        return true;
    }
    if (ec != std::errc::result_out_of_range) {
        value = 0.0;
        return false;
    }
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string text(first, last);
    char* sanity = nullptr;
    parsed = strtod_l(text.c_str(), &sanity, cLocale);
    if (sanity == text.c_str() || *sanity != '\0') {
        value = 0.0;
        return false;
    }
    if (parsed == std::numeric_limits<double>::infinity()) {
        value = std::numeric_limits<double>::max();
        return false;
    }
    if (parsed == -std::numeric_limits<double>::infinity()) {
        value = -std::numeric_limits<double>::max();
        return false;
    }
    value = parsed;
    return true;
}

} // namespace

bool WordReader::startRead()
{
    if (fail || eof) {
        fail = true;
        return false;
    }
    skipBlanks();
    if (pos >= text.size()) {
        eof = fail = true;
        return false;
    }
    return true;
}

bool WordReader::readWord(std::string_view& word)
{
    if (!startRead())
        return false;
    const std::size_t start = pos;
    while (pos < text.size() && !isBlank(text[pos]))
        ++pos;
    eof = pos >= text.size();
    word = text.substr(start, pos - start);
    return true;
}

bool WordReader::readWord(std::string& word)
{
    std::string_view view;
    if (!readWord(view))
        return false;
    word.assign(view);
    return true;
}

// The characters taken follow the library's numeric scan: an optional sign, digits with at most
// one decimal point, then an 'e' or 'E' (only after a digit) with an optional sign and digits.
// The scan stops at the first character that cannot continue the number; what it took must then
// be a whole number, else the read fails with 0 ("1e", "-", "." fail; "1.5abc" reads 1.5).
bool WordReader::readDouble(double& value)
{
    if (!startRead())
        return false;
    const std::size_t start = pos;
    const std::size_t n = text.size();
    if (text[pos] == '+' || text[pos] == '-')
        ++pos;
    bool mantissa = false, decimal = false, exponent = false;
    while (pos < n) {
        const char c = text[pos];
        if (isDigit(c)) {
            mantissa = true;
        } else if (c == '.' && !decimal && !exponent) {
            decimal = true;
        } else if ((c == 'e' || c == 'E') && !exponent && mantissa) {
            exponent = true;
            if (pos + 1 < n && (text[pos + 1] == '+' || text[pos + 1] == '-'))
                ++pos;
        } else {
            break;
        }
        ++pos;
    }
    eof = pos >= n;
    if (!convertDouble(text.data() + start, text.data() + pos, value))
        fail = true;
    return !fail;
}

bool WordReader::readInt(int& value)
{
    if (!startRead())
        return false;
    const std::size_t n = text.size();
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulate the magnitude as the library does for a long, saturating on overflow.
    bool anyDigit = false, overflow = false;
    unsigned long long magnitude = 0;
    const unsigned long long limit =
        negative ? static_cast<unsigned long long>(LONG_MAX) + 1 : LONG_MAX;
    while (pos < n && isDigit(text[pos])) {
        anyDigit = true;
        const unsigned digit = static_cast<unsigned>(text[pos] - '0');
        if (!overflow) {
            if (magnitude > (limit - digit) / 10)
                overflow = true;
            else
                magnitude = magnitude * 10 + digit;
        }
        ++pos;
    }
    eof = pos >= n;
    if (!anyDigit) {
        value = 0;
        fail = true;
        return false;
    }
    if (overflow) {
        value = negative ? INT_MIN : INT_MAX;
        fail = true;
        return false;
    }
    if (negative ? magnitude > static_cast<unsigned long long>(INT_MAX) + 1 : magnitude > INT_MAX) {
        value = negative ? INT_MIN : INT_MAX;
        fail = true;
        return false;
    }
    value = negative ? static_cast<int>(-static_cast<long long>(magnitude))
                     : static_cast<int>(magnitude);
    return true;
}

void WordReader::skipBlanks()
{
    if (fail || eof)
        return;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
}

void WordReader::skipLine()
{
    if (fail)
        return;
    const std::size_t lineEnd = text.find('\n', pos);
    if (lineEnd == std::string_view::npos) {
        pos = text.size();
        eof = true;
    } else {
        pos = lineEnd + 1;
    }
}

std::string_view WordReader::readRestOfLine()
{
    if (fail || eof) {
        fail = true;
        return {};
    }
    const std::size_t lineEnd = text.find('\n', pos);
    std::string_view line;
    if (lineEnd == std::string_view::npos) {
        line = text.substr(pos);
        pos = text.size();
        eof = true;
    } else {
        line = text.substr(pos, lineEnd - pos);
        pos = lineEnd + 1;
    }
    if (!line.empty() && line.back() == '\r' && lineEnd != std::string_view::npos)
        line.remove_suffix(1);
    return line;
}
