#include "storage/bytehash.h"

#include <QtTest>

#include <cstring>

class TestKeyedHash : public QObject
{
    Q_OBJECT

private slots:
    void matchesTheReferenceOutputs_data();
    void matchesTheReferenceOutputs();
};

// The published outputs for the key 00 01 .. 0f and the message 00 01 .. (length - 1): the empty
// message, a partial last word, a whole word, and a word and a partial one.
void TestKeyedHash::matchesTheReferenceOutputs_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<quint64>("expected");
    QTest::newRow("empty") << 0 << Q_UINT64_C(0x726fdb47dd0e0e31);
    QTest::newRow("1 byte") << 1 << Q_UINT64_C(0x74f839c593dc67fd);
    QTest::newRow("7 bytes") << 7 << Q_UINT64_C(0xab0200f58b01d137);
    QTest::newRow("8 bytes") << 8 << Q_UINT64_C(0x93f5f5799a932462);
    QTest::newRow("15 bytes") << 15 << Q_UINT64_C(0xa129ca6149be45e5);
}

void TestKeyedHash::matchesTheReferenceOutputs()
{
    QFETCH(int, length);
    QFETCH(quint64, expected);
    unsigned char keyBytes[16];
    std::string message;
    for (int i = 0; i < 16; ++i)
        keyBytes[i] = static_cast<unsigned char>(i);
    for (int i = 0; i < length; ++i)
        message.push_back(static_cast<char>(i));
    HashKey key;
    std::memcpy(&key.k0, keyBytes, 8);
    std::memcpy(&key.k1, keyBytes + 8, 8);
    QCOMPARE(quint64(keyedHashBytes(key, message)), expected);
}

QTEST_MAIN(TestKeyedHash)
#include "tst_keyedhash.moc"
