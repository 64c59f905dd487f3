// The three-way merge of files as people have them: each read in its own
// encoding, merged as text, and written back in the encoding the files share.

#include "engine/merge3.h"
#include "engine/textencoding.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace lindo::test {
namespace {

struct Triple {
    std::array<Merge3Text, 3> texts;
    std::array<const Merge3Text *, 3> views{&texts[0], &texts[1], &texts[2]};
    Merge3Result result;
};

// Reads the three byte strings as files, as --merge3 reads them, and merges.
void ReadAndMerge(const std::array<std::string, 3> &bytes, Triple &triple)
{
    TempDir dir;
    for (std::size_t f = 0; f < 3; ++f) {
        const std::string path = (dir / std::to_string(f)).string();
        WriteFile(path, bytes[f]);
        ASSERT_EQ(ReadMerge3Text(path, triple.texts[f]), 0);
    }
    triple.result = Merge3(triple.views);
}

// Merges the bytes as they are, as the merge read every file before it knew
// encodings: what an 8-bit triple must still come to.
std::string RawMerge(const std::array<std::string, 3> &bytes)
{
    std::array<Merge3Text, 3> texts;
    for (std::size_t f = 0; f < 3; ++f) {
        texts[f].bytes.Assign(bytes[f]);
        CutMerge3Lines(texts[f]);
    }
    std::string merged;
    WriteMerge3({&texts[0], &texts[1], &texts[2]}, Merge3({&texts[0], &texts[1], &texts[2]}), {"1", "b", "2"}, false,
                merged);
    return merged;
}

std::string FileBytes(const Triple &triple)
{
    std::string written;
    EXPECT_TRUE(WriteMerge3Chunked(triple.views, triple.result, {"1", "b", "2"}, false, [&](std::string_view bytes) {
        written.append(bytes);
        return true;
    }));
    return written;
}

std::string Encoded(std::string_view text, const TextEncoding &encoding)
{
    std::string bytes(BomOf(encoding));
    EXPECT_TRUE(EncodeText(text, encoding, bytes));
    return bytes;
}

TEST(Merge3Encoding, Utf16TripleMergesAsItsUtf8TwinAndIsWrittenBackInUtf16)
{
    // A conflict, so that markers and labels are written in UTF-16 too.
    const std::array<std::string, 3> utf8{"caf\xC3\xA9\r\nX\r\nend\r\n", "cafe\r\nb\r\nend\r\n",
                                          "cafe\r\nY \xE2\x82\xAC\r\nend\r\n"};
    const TextEncoding utf16{"UTF-16LE", true};
    Triple twin;
    ReadAndMerge(utf8, twin);
    Triple wide;
    ReadAndMerge({Encoded(utf8[0], utf16), Encoded(utf8[1], utf16), Encoded(utf8[2], utf16)}, wide);
    std::string twinText;
    std::string wideText;
    WriteMerge3(twin.views, twin.result, {"1", "b", "2"}, false, twinText);
    WriteMerge3(wide.views, wide.result, {"1", "b", "2"}, false, wideText);
    EXPECT_EQ(wideText, twinText);
    EXPECT_EQ(wide.result.conflicts, 1u);
    EXPECT_EQ(FileBytes(wide), Encoded(twinText, utf16));
}

TEST(Merge3Encoding, BomOfOneSideIsNeitherAChangeNorWrittenMidway)
{
    Triple triple;
    ReadAndMerge({"a\nB\nc\nd\n", "a\nb\nc\nd\n", "\xEF\xBB\xBF" "a\nb\nc\nD\n"}, triple);
    EXPECT_EQ(triple.result.conflicts, 0u);
    EXPECT_EQ(FileBytes(triple), "a\nB\nc\nD\n");
}

std::string High8BitBytes()
{
    std::string bytes;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        bytes += static_cast<char>(byte);
    return bytes + "\n";
}

struct EightBitRow {
    const char *name;
    std::array<std::string, 3> bytes;
};

void PrintTo(const EightBitRow &row, std::ostream *out)
{
    *out << row.name;
}

class EightBitTriple : public testing::TestWithParam<EightBitRow> {};

TEST_P(EightBitTriple, KeepsEveryByte)
{
    Triple triple;
    ReadAndMerge(GetParam().bytes, triple);
    EXPECT_EQ(FileBytes(triple), RawMerge(GetParam().bytes));
}

const std::string kHigh = High8BitBytes();

INSTANTIATE_TEST_SUITE_P(
    Merge3, EightBitTriple,
    testing::Values(EightBitRow{"AllThree", {kHigh + "B\xE9\nc\n", kHigh + "b\nc\n", kHigh + "b\nc\n\xA4\n"}},
                    // FILE2 holds ASCII only: the others' encoding is the merge's.
                    EightBitRow{"AsciiSide", {"a\nB\xE9\nc\nd\n", "a\nb\nc\nd\n", "a\nb\nc\nD\n"}}),
    [](const testing::TestParamInfo<EightBitRow> &info) { return std::string(info.param.name); });

TEST(Merge3Encoding, FilesOfDifferentEncodingsWithTextOutsideAsciiMergeToUtf8)
{
    Triple triple;
    ReadAndMerge({"a\nB\xE9\nc\nd\n", "a\nb\nc\nd\n", "a\nb\nc\nd \xE2\x82\xAC\n"}, triple);
    EXPECT_EQ(FileBytes(triple), "a\nB\xC3\xA9\nc\nd \xE2\x82\xAC\n");
}

TEST(Merge3Encoding, ALabelWithNoPlaceInTheEncodingSpoilsOnlyItsOwnLine)
{
    Triple triple;
    ReadAndMerge({"\xE9\nX\n", "\xE9\nb\n", "\xE9\nY\n"}, triple);
    std::string written;
    WriteMerge3Chunked(triple.views, triple.result, {"\xCE\xA9", "b", "2"}, false, [&](std::string_view bytes) {
        written.append(bytes);
        return true;
    });
    EXPECT_EQ(written, "\xE9\n<<<<<<< \xCE\xA9\nX\n=======\nY\n>>>>>>> 2\n");
}

} // namespace
} // namespace lindo::test
