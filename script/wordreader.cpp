#include "script/wordreader.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
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

// Decimals of at most this many digits are converted by one division (see readDouble).
constexpr int kExactDigits = 15;
constexpr double kPowersOfTen[kExactDigits + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

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
//
// Most numbers in a dump are short decimals, and for those the scan also does the conversion:
// with at most 15 digits, the digits form an integer below 2^53 and the value is that integer
// divided by a power of ten of at most 10^15, both exact doubles, so the one correctly rounded
// division gives the correctly rounded value that the full conversion gives.
bool WordReader::readDouble(double& value)
{
    if (!startRead())
        return false;
    const char* const first = text.data() + pos;
    const char* const end = text.data() + text.size();
    const char* at = first;
    const bool negative = *at == '-';
    if (negative || *at == '+')
        ++at;
    std::uint64_t digits = 0;
    int digitCount = 0, fractionDigits = 0;
    const auto takeDigits = [&](bool fraction) {
        for (; at < end && isDigit(*at); ++at) {
            if (++digitCount <= kExactDigits) {
                digits = digits * 10 + static_cast<unsigned>(*at - '0');
                fractionDigits += fraction;
            }
        }
    };
    takeDigits(false);
    if (at < end && *at == '.') {
        ++at;
        takeDigits(true);
    }
    const bool exponent = digitCount > 0 && at < end && (*at == 'e' || *at == 'E');
    if (exponent) {
        ++at;
        if (at < end && (*at == '+' || *at == '-'))
            ++at;
        while (at < end && isDigit(*at))
            ++at;
    }
    pos = static_cast<std::size_t>(at - text.data());
    eof = at >= end;
    if (digitCount > 0 && digitCount <= kExactDigits && !exponent) {
        const double magnitude = static_cast<double>(digits) / kPowersOfTen[fractionDigits];
        value = negative ? -magnitude : magnitude;
        return true;
    }
    if (!convertDouble(first, at, value))
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
