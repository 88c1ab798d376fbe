// Expanding files in the installer's LZ format through libmspack.
#include "setup/Szdd.h"
#include "SetupTestSupport.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace orvel::setup {
namespace {

bool expand(const QByteArray &compressed, QByteArray *result, QString *error = nullptr)
{
    QByteArray in = compressed;
    QBuffer input(&in);
    input.open(QIODevice::ReadOnly);
    QBuffer output(result);
    output.open(QIODevice::WriteOnly);
    return ExpandSzdd(input, output, nullptr, error);
}

QByteArray sample()
{
    QByteArray data;
    for (int i = 0; i < 300; ++i)
        data += "Orvel 97 Datenbank, Zeile " + QByteArray::number(i % 17) + "\n";
    QRandomGenerator random(7);
    for (int i = 0; i < 5000; ++i)
        data += char(random.bounded(256));
    data += QByteArray(10000, 'x');
    return data;
}

TEST(SzddTest, ExpandsWhatTheCompressorMade)
{
    for (const QByteArray &data : {QByteArray(), QByteArray("a"), QByteArray("abcabcabcabcabc"), sample()}) {
        const QByteArray compressed = test::CompressSzdd(data);
        EXPECT_TRUE(IsSzdd(compressed));
        QByteArray result;
        QString error;
        ASSERT_TRUE(expand(compressed, &result, &error)) << error.toStdString();
        EXPECT_EQ(result, data);
    }
    EXPECT_LT(test::CompressSzdd(sample()).size(), sample().size());
}

TEST(SzddTest, RefusesDamage)
{
    const QByteArray data = sample();
    const QByteArray good = test::CompressSzdd(data);
    QByteArray longer = good;
    longer += "more data than the header declares";
    QByteArray shortLength = good;
    shortLength[10] = char(uchar(shortLength[10]) - 1); // declares one byte less
    QByteArray longLength = good;
    longLength[12] = char(uchar(longLength[12]) + 1); // declares 65536 bytes more
    const QByteArray cases[] = {good.left(good.size() - 1),
                                good.left(good.size() / 2),
                                good.left(14),
                                good.left(10),
                                longer,
                                shortLength,
                                longLength,
                                QByteArray("SZDD")};
    for (const QByteArray &damaged : cases) {
        QByteArray result;
        EXPECT_FALSE(expand(damaged, &result)) << damaged.size();
    }
    EXPECT_FALSE(IsSzdd(QByteArray("MZ\x90\x00")));
}

} // namespace
} // namespace orvel::setup
