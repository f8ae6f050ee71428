#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "ole/compound_file.h"
#include "ole/embedded_object.h"
#include "ole/ole_error.h"
#include "support/cfb_writer.h"

using namespace vr::ole;
using vrtest::Bytes;
using vrtest::CfbEntry;
namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = fs::path(VR_CORPUS_DIR) / "cfb";

Bytes readBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The code a compound file is refused with, or 0 when it opens.
uint32_t refusal(const Bytes& b)
{
    try {
        CompoundFile::read(b.data(), b.size());
    } catch (const OleError& e) {
        return e.code();
    }
    return 0;
}

uint32_t get32(const Bytes& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void set32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Where directory entry i of a file with 512-byte sectors sits: the directory's chain is followed
// through the first FAT sector.
size_t directoryEntry(const Bytes& b, uint32_t i)
{
    const size_t fat = 512 + size_t(get32(b, 76)) * 512;
    uint32_t sector = get32(b, 48);
    for (uint32_t k = 0; k < i / 4; ++k)
        sector = get32(b, fat + 4 * sector);
    return 512 + size_t(sector) * 512 + (i % 4) * 128;
}

std::vector<std::string> paths(const CompoundFile& f)
{
    std::vector<std::string> out;
    for (const auto& e : f.entries())
        out.push_back(e.path);
    return out;
}

// A small object storage: three root streams (one of them in regular sectors), a storage with a
// class and a stream inside it.
Bytes sampleFile(unsigned sectorSize = 512)
{
    return vrtest::compoundFile(
        {
            {"Big", Bytes(5000, 0x42)},
            {"\x02OlePres000", Bytes(300, 7)},
            {"\x01"
             "CompObj",
             Bytes(50, 1)},
            {"\x01Ole", Bytes(20, 0)},
            {"ObjectPool", {}, true, vrtest::staticDibClass()},
            {"ObjectPool/_1/\x01Ole", Bytes(20, 0)},
        },
        vrtest::worksheetClass(), sectorSize);
}

}  // namespace

TEST(CompoundFile, ListsTheTreeInDirectoryOrderWithSizesAndClasses)
{
    const Bytes b = sampleFile();
    const CompoundFile f =
        CompoundFile::read(b.data(), b.size(), [](const StorageEntry& e) { return e.name == "Big"; });
    EXPECT_EQ(classIdText(f.rootClassId()), "{00020820-0000-0000-C000-000000000046}");
    // Shorter names first, then by upper-case name; each storage followed by what it holds.
    EXPECT_EQ(paths(f),
              (std::vector<std::string>{"Big", "\x01Ole",
                                        "\x01"
                                        "CompObj",
                                        "ObjectPool", "ObjectPool/_1", "ObjectPool/_1/\x01Ole", "\x02OlePres000"}));
    const auto& e = f.entries();
    EXPECT_EQ(e[0].size, 5000u);
    EXPECT_TRUE(e[0].kept);
    ASSERT_EQ(e[0].bytes.size(), 5000u);
    EXPECT_EQ(e[0].bytes[4999], 0x42);
    EXPECT_FALSE(e[6].kept);
    EXPECT_TRUE(e[6].bytes.empty());
    EXPECT_EQ(e[6].size, 300u);
    EXPECT_TRUE(e[3].isStorage);
    EXPECT_EQ(e[3].classId, vrtest::staticDibClass());
    EXPECT_EQ(e[5].depth, 3);
    ASSERT_NE(f.rootStream("big"), nullptr);  // names compare without regard to case
    EXPECT_EQ(f.rootStream("_1"), nullptr);
}

TEST(CompoundFile, FourKilobyteSectorsOpenToo)
{
    const Bytes b = sampleFile(4096);
    EXPECT_EQ(get32(b, 28) & 0xFFFF0000u, 12u << 16);  // sector shift 12
    EXPECT_EQ(CompoundFile::read(b.data(), b.size()).entries().size(), 7u);
}

TEST(CompoundFileErrors, DataThatIsNoCompoundFile)
{
    EXPECT_EQ(refusal(Bytes{}), kNotCompoundFile);
    EXPECT_EQ(refusal(Bytes{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A}), kNotCompoundFile);
    Bytes b = sampleFile();
    b[7] = 0;
    EXPECT_EQ(refusal(b), kNotCompoundFile);
    EXPECT_EQ(refusal(vrtest::bmpFile(40, 40, 0)), kNotCompoundFile);
}

TEST(CompoundFileErrors, HeadersAStorageCannotHave)
{
    const Bytes good = sampleFile();
    EXPECT_EQ(refusal(Bytes(good.begin(), good.begin() + 511)), kInvalidHeader);  // cut inside the header
    Bytes b = good;
    b[28] = 0xFF;  // byte order FFFF
    EXPECT_EQ(refusal(b), kInvalidHeader);
    b = good;
    b[30] = 12;  // version 3 with 4096-byte sectors
    EXPECT_EQ(refusal(b), kInvalidHeader);
    b = good;
    b[32] = 7;  // 128-byte mini sectors
    EXPECT_EQ(refusal(b), kInvalidHeader);
    b = good;
    set32(b, 56, 0xFFFFFFFFu);  // mini-stream cut-off
    EXPECT_EQ(refusal(b), kInvalidHeader);
}

TEST(CompoundFileErrors, DamagedTablesDirectoriesAndChains)
{
    const Bytes good = sampleFile();
    ASSERT_EQ(refusal(good), 0u);
    // Directory entry 1 ("Big"... whichever it is) names itself as its own sibling's sibling.
    Bytes b = good;
    const size_t e1 = directoryEntry(b, 1), e2 = directoryEntry(b, 2);
    set32(b, e2 + 72, 1);  // entry 2's right sibling is entry 1
    set32(b, e1 + 72, 2);  // and entry 1's is entry 2
    EXPECT_EQ(refusal(b), kCorruptFile);
    // A stream longer than its chain.
    b = good;
    for (uint32_t i = 1; i < 8; ++i) {
        const size_t e = directoryEntry(b, i);
        if (b[e + 66] == 2 && get32(b, e + 120) == 5000)
            set32(b, e + 120, 9000);
    }
    EXPECT_EQ(refusal(b), kCorruptFile);
    // The directory starts beyond the end of the file.
    b = good;
    set32(b, 48, 4000);
    EXPECT_EQ(refusal(b), kCorruptFile);
    // The first FAT sector lies beyond the end of the file.
    b = good;
    set32(b, 76, 4000);
    EXPECT_EQ(refusal(b), kCorruptFile);
    // A stream size beyond the file's own size.
    b = good;
    set32(b, directoryEntry(b, 1) + 120, 0x7FFFFFFF);
    EXPECT_EQ(refusal(b), kCorruptFile);
}

TEST(CompoundFileErrors, StorageWithoutObjectStreams)
{
    const Bytes b = vrtest::compoundFile({{"WordDocument", Bytes(100, 1)}, {"Data", Bytes(10, 2)}});
    try {
        loadEmbeddedObject(b.data(), b.size(), 1);
        FAIL() << "loaded";
    } catch (const OleError& e) {
        EXPECT_EQ(e.code(), kStreamNotFound);
        EXPECT_STREQ(e.what(), "Erreur OLE 80030002");
    }
}

TEST(CompoundFileCorpus, EveryFileOpensAndListsItsStreams)
{
    if (!fs::is_directory(kCorpus))
        GTEST_SKIP() << "corpus folder not found: " << kCorpus;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(kCorpus)) {
        if (entry.path().extension() == ".md")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes b = readBytes(entry.path());
        const CompoundFile f = CompoundFile::read(b.data(), b.size());
        size_t streams = 0;
        for (const auto& e : f.entries())
            streams += !e.isStorage;
        EXPECT_GT(streams, 0u);
        ++files;
    }
    EXPECT_EQ(files, 13);
}

TEST(CompoundFileCorpus, AnObjectStorageAndAStorageWithAnEmptyName)
{
    if (!fs::is_directory(kCorpus))
        GTEST_SKIP() << "corpus folder not found: " << kCorpus;
    Bytes b = readBytes(kCorpus / "poi_oleObject1.bin");
    CompoundFile f = CompoundFile::read(b.data(), b.size());
    EXPECT_EQ(classIdText(f.rootClassId()), "{0003000C-0000-0000-C000-000000000046}");
    EXPECT_EQ(paths(f),
              (std::vector<std::string>{"\x01Ole",
                                        "\x01"
                                        "CompObj",
                                        "\x02OlePres000", "\x01Ole10Native"}));
    std::vector<uint64_t> sizes;
    for (const auto& e : f.entries())
        sizes.push_back(e.size);
    EXPECT_EQ(sizes, (std::vector<uint64_t>{20, 80, 3742, 7341}));

    b = readBytes(kCorpus / "poi_Notes.ole2");
    f = CompoundFile::read(b.data(), b.size());
    EXPECT_EQ(paths(f),
              (std::vector<std::string>{"",
                                        "/\x01"
                                        "CompObj",
                                        "/\x01Ole10Native"}));
    EXPECT_TRUE(f.entries()[0].isStorage);
}

TEST(CompoundFileCorpus, CutShortFilesAreCorrupt)
{
    if (!fs::is_directory(kCorpus))
        GTEST_SKIP() << "corpus folder not found: " << kCorpus;
    for (const auto& entry : fs::directory_iterator(kCorpus)) {
        if (entry.path().extension() == ".md")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        Bytes b = readBytes(entry.path());
        b.resize(b.size() / 2);
        EXPECT_EQ(refusal(b), kCorruptFile);
    }
}
