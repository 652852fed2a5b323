#include "CompressedData.h"

#include "exports/CompressedXml.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

struct Compressed
{
    QByteArray work;
    QByteArray wrapper;
};

Compressed compress(const QByteArray &source)
{
    QBuffer work, target;
    work.open(QIODevice::WriteOnly);
    target.open(QIODevice::WriteOnly);
    WriteCompressedXml(source, work, target);
    return {work.data(), target.data()};
}

} // namespace

TEST(CompressedXml, DecodesBackToTheSourceInLinesOf76)
{
    QByteArray source = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ResultList>\n";
    QRandomGenerator random(7);
    for (int i = 0; i < 400; ++i)
        source += "  <Team>" + QByteArray::number(random.generate() % 100000) + "</Team>\n";
    source += "</ResultList>\n";
    const Compressed result = compress(source);

    // The work file is the zlib stream at level 9 itself.
    EXPECT_EQ(static_cast<unsigned char>(result.work[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(result.work[1]), 0xDA);
    EXPECT_EQ(inflateZlib(result.work), source);

    ASSERT_TRUE(result.wrapper.startsWith("<?xml version=\"1.0\"?>\r\n<CompressedData method=\"zlib\" encoding=\"BASE64\">\r\n"));
    ASSERT_TRUE(result.wrapper.endsWith("</CompressedData>\r\n"));
    const QList<QByteArray> lines = compressedDataBase64(result.wrapper).split('\n');
    const QByteArray expected = result.work.toBase64();
    ASSERT_EQ(lines.size(), (expected.size() + 75) / 76);
    QByteArray joined;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (i + 1 < lines.size()) {
            ASSERT_TRUE(line.endsWith('\r'));
            line.chop(1);
            EXPECT_EQ(line.size(), 76);
        } else {
            EXPECT_FALSE(line.endsWith('\r'));
        }
        joined += line;
    }
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(decodeCompressedData(result.wrapper), source);
}

TEST(CompressedXml, A57ByteStreamIsOneFullLineClosedOnTheSameLine)
{
    // Bytes that do not compress: the stream is the bytes stored plus 11 bytes of framing.
    QRandomGenerator random(57);
    QByteArray source;
    Compressed result;
    for (int length = 30; length < 60 && result.work.size() != 57; ++length) {
        source.clear();
        for (int i = 0; i < length; ++i)
            source.append(static_cast<char>(random.generate() & 0xFF));
        result = compress(source);
    }
    ASSERT_EQ(result.work.size(), 57);
    const QByteArray line = result.work.toBase64();
    ASSERT_EQ(line.size(), 76);
    EXPECT_EQ(result.wrapper, "<?xml version=\"1.0\"?>\r\n<CompressedData method=\"zlib\" encoding=\"BASE64\">\r\n" + line
                                  + "</CompressedData>\r\n");
    EXPECT_EQ(decodeCompressedData(result.wrapper), source);
}
