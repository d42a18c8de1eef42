#include "storage/bytehash.h"

#include <QtTest>

#include <string_view>

class TestKeyedHash : public QObject
{
    Q_OBJECT

private slots:
    void matchesTheReferenceOutputs_data();
    void matchesTheReferenceOutputs();
};

// Outputs of SipHash-1-3 under the all-zero key, as other implementations give them: the empty
// message, a partial last word, and a whole word and a partial one.
void TestKeyedHash::matchesTheReferenceOutputs_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<quint64>("expected");
    QTest::newRow("empty") << QByteArray() << Q_UINT64_C(0xd1fba762150c532c);
    QTest::newRow("7 bytes") << QByteArray("siphash") << Q_UINT64_C(0x8264ceeccb16bcbe);
    QTest::newRow("15 bytes") << QByteArray("digest-sip_hash") << Q_UINT64_C(0xce31007e34130c0a);
}

void TestKeyedHash::matchesTheReferenceOutputs()
{
    QFETCH(QByteArray, message);
    QFETCH(quint64, expected);
    const HashKey zeroKey;
    QCOMPARE(quint64(keyedHashBytes(
                 zeroKey, std::string_view(message.constData(), std::size_t(message.size())))),
             expected);
}

QTEST_MAIN(TestKeyedHash)
#include "tst_keyedhash.moc"
