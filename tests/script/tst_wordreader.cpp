#include "script/wordreader.h"

#include <QtTest>

#include <cstring>
#include <locale>
#include <random>
#include <sstream>

namespace
{

enum class Read { Double, Int, Word };

// What one read gave: success, the stored value, and for words the text.
struct Outcome {
    bool ok = false;
    double real = 0.0;
    int integer = 0;
    std::string word;

    bool operator==(const Outcome& other) const
    {
        // Bitwise, so that -0 and 0 differ.
        return ok == other.ok && std::memcmp(&real, &other.real, sizeof real) == 0 &&
               integer == other.integer && word == other.word;
    }
};

// Runs the same reads on a classic-locale istringstream and on a WordReader, starting every
// target from a marker value, so that "left untouched" is visible too.
void compareReads(const std::string& text, const std::vector<Read>& reads)
{
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    WordReader reader(text);
    for (std::size_t i = 0; i < reads.size(); ++i) {
        Outcome expected, actual;
        expected.real = actual.real = 42.5;
        expected.integer = actual.integer = 42;
        expected.word = actual.word = "untouched";
        switch (reads[i]) {
        case Read::Double:
            expected.ok = static_cast<bool>(stream >> expected.real);
            actual.ok = reader.readDouble(actual.real);
            break;
        case Read::Int:
            expected.ok = static_cast<bool>(stream >> expected.integer);
            actual.ok = reader.readInt(actual.integer);
            break;
        case Read::Word:
            expected.ok = static_cast<bool>(stream >> expected.word);
            actual.ok = reader.readWord(actual.word);
            break;
        }
        if (!(expected == actual)) {
            QFAIL(qPrintable(QStringLiteral("text \"%1\", read %2 (kind %3): stream ok=%4 real=%5 "
                                            "int=%6 word=%7; reader ok=%8 real=%9 int=%10 word=%11")
                                 .arg(QString::fromStdString(text))
                                 .arg(i)
                                 .arg(static_cast<int>(reads[i]))
                                 .arg(expected.ok)
                                 .arg(expected.real, 0, 'g', 17)
                                 .arg(expected.integer)
                                 .arg(QString::fromStdString(expected.word))
                                 .arg(actual.ok)
                                 .arg(actual.real, 0, 'g', 17)
                                 .arg(actual.integer)
                                 .arg(QString::fromStdString(actual.word))));
        }
    }
}

} // namespace

class TestWordReader : public QObject
{
    Q_OBJECT

private slots:
    void matchesStreamOnNamedCases_data();
    void matchesStreamOnNamedCases();
    void matchesStreamOnGeneratedText();
    void restOfLineDropsTheCarriageReturnOfCrLf();
    void skipLineKeepsAFailedReaderFailed();
};

void TestWordReader::matchesStreamOnNamedCases_data()
{
    QTest::addColumn<QString>("text");
    const char* cases[] = {
        "12",
        "-3.5",
        "1e-3",
        "1e",
        "1e+",
        "0x10",
        "+1",
        "-0",
        "nan",
        "inf",
        "-inf",
        "1.5abc",
        "1e400",
        "-1e400",
        "1e-400",
        "1e-310",
        "2.5e",
        ".5",
        ".",
        "-.",
        "-",
        "+",
        "+-1",
        "--1",
        "1..2",
        "1.2.3",
        "00012",
        "1E5",
        "1e5e6",
        "  7\t8\n9",
        "",
        "   ",
        "12red",
        "red 12",
        "3.7",
        "2147483647",
        "2147483648",
        "-2147483648",
        "-2147483649",
        "99999999999999999999999",
        "-99999999999999999999999",
        "0.1e-2x",
        "e5",
        "5e+3x",
        "\xe9\xe8 1",
        "1\v2\f3\r4",
        // Either side of the shortcut for decimals of at most 15 digits.
        "123456789012345",
        "1234567890123456",
        "9007199254740993",
        "0.123456789012345",
        "0.1234567890123456",
        "-0.000",
        "5.",
        "0.30000000000000004",
        "999999999999999.9",
        "000000000000000000001.25",
    };
    for (const char* text : cases)
        QTest::newRow(text) << QString::fromLatin1(text);
}

// Every case is read as each kind first, and then as a longer mixed sequence, so that both the
// value of the first read and where it leaves the reader are compared.
void TestWordReader::matchesStreamOnNamedCases()
{
    QFETCH(QString, text);
    const std::string bytes = text.toLatin1().toStdString();
    for (const Read first : {Read::Double, Read::Int, Read::Word}) {
        compareReads(bytes, {first, Read::Word, Read::Double, Read::Int, Read::Double});
        if (QTest::currentTestFailed())
            return;
    }
}

// Random texts over an alphabet that is rich in number syntax, read with random sequences.
void TestWordReader::matchesStreamOnGeneratedText()
{
    const std::string alphabet = "0123456789..eeEE++--xanif \t\n\r";
    std::mt19937 random(20261207);
    for (int round = 0; round < 60000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 14);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        std::vector<Read> reads;
        for (int i = 0; i < 4; ++i)
            reads.push_back(static_cast<Read>(random() % 3));
        compareReads(text, reads);
        if (QTest::currentTestFailed())
            return;
    }
    // Plain decimals of 1 to 20 digits, where the short ones take a shortcut of their own.
    for (int round = 0; round < 60000; ++round) {
        std::string text = random() % 2 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 20);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int i = 0; i < digits; ++i) {
            if (i == point)
                text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        compareReads(text + " " + text, {Read::Double, Read::Double});
        if (QTest::currentTestFailed())
            return;
    }
}

void TestWordReader::restOfLineDropsTheCarriageReturnOfCrLf()
{
    WordReader reader("pt 1 2\r\nline a\r\nlast\r");
    std::string word;
    QVERIFY(reader.readWord(word));
    QCOMPARE(reader.readRestOfLine(), std::string_view(" 1 2"));
    QVERIFY(reader.readWord(word));
    QCOMPARE(reader.readRestOfLine(), std::string_view(" a"));
    QVERIFY(reader.readWord(word));
    QCOMPARE(word, std::string("last"));
    QVERIFY(!reader.failed());
    // Nothing is left: the carriage return is blank, and reading on fails.
    QVERIFY(!reader.readWord(word));
}

void TestWordReader::skipLineKeepsAFailedReaderFailed()
{
    WordReader reader("x\n5");
    int value = 7;
    QVERIFY(!reader.readInt(value));
    QCOMPARE(value, 0);
    reader.skipLine();
    value = 7;
    QVERIFY(!reader.readInt(value));
    QCOMPARE(value, 7);
}

QTEST_APPLESS_MAIN(TestWordReader)
#include "tst_wordreader.moc"
