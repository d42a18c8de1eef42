#pragma once

#include <string>
#include <string_view>

// Reads whitespace-separated words and numbers from a byte string with exactly the results of
// formatted input on a std::istringstream in the classic locale: the same characters consumed,
// the same values stored on success and on failure, and the same sticky failure (once a read
// fails, or the text is exhausted, every later read fails and leaves its target untouched).
// It is the one place where Vedra turns text into numbers, and it does so without a stream
// object, a locale lookup or an allocation per read.
class WordReader
{
public:
    explicit WordReader(std::string_view text) : text(text) {}

    // Reads the next word (a run of non-blank bytes). On failure the word is left as it was.
    bool readWord(std::string& word);
    bool readWord(std::string_view& word);
    // Reads a real number as operator>>(double&) does: on a malformed number 0 is stored, on
    // overflow the largest finite double of the sign; both count as a failure.
    bool readDouble(double& value);
    // Reads a decimal integer as operator>>(int&) does: 0 on a malformed number, INT_MAX or
    // INT_MIN on overflow, both failures.
    bool readInt(int& value);

    // Drops everything up to and including the next line feed, as ignore(max, '\n') does.
    void skipLine();
    // The rest of the current line without its line feed, as std::getline gives it, except that
    // a carriage return right before the line feed is dropped too (files written on Windows).
    std::string_view readRestOfLine();

    // Moves past blanks without reading: every read skips them first anyway, so the next read
    // gives the same, and no flag changes. Lets a caller drop the blanks before a word.
    void skipBlanks();
    // Continues on another buffer that holds this reader's unread bytes from newPos on, with the
    // failure state kept: the text may be read in parts that replace each other.
    void rebase(std::string_view newText, std::size_t newPos)
    {
        text = newText;
        pos = newPos;
    }

    bool failed() const { return fail; }
    bool atEnd() const { return pos >= text.size(); }
    // Whether a read ran into the end of the text, so that more text could have changed it.
    bool reachedEnd() const { return eof; }
    std::size_t position() const { return pos; }
    // The text not read yet; empty once a read has failed.
    std::string_view rest() const { return fail ? std::string_view() : text.substr(pos); }

private:
    // Skips leading blanks; false (and the stream fails) when nothing is left to read.
    bool startRead();

    std::string_view text;
    std::size_t pos = 0;
    // Set by a read that could not be done; every later read then fails.
    bool fail = false;
    // Set when a read ran into the end of the text; the next read fails.
    bool eof = false;
};
