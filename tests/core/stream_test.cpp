#include <gtest/gtest.h>

#include <filesystem>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/json_writer.h"
#include "support/doc_writer.h"

using namespace vr;

TEST(DocStream, FixedReadsClearTheBufferAndTolerateAShortRead)
{
    DocStream s = DocStream::fromMemory(vrtest::Bytes{1, 2, 3, 4, 5});
    uint8_t buf[4];
    EXPECT_EQ(s.readFixed(buf, 4), 4u);
    uint8_t rest[4] = {9, 9, 9, 9};
    EXPECT_EQ(s.readFixed(rest, 4), 1u);
    EXPECT_EQ(rest[0], 5);
    EXPECT_EQ(rest[1], 0);
    EXPECT_EQ(rest[3], 0);
    uint8_t blank[3];
    EXPECT_EQ(s.readFixed(blank, 3, ' '), 0u);
    EXPECT_EQ(blank[2], ' ');
    EXPECT_EQ(s.position(), 5u);
}

TEST(DocStream, ExactReadsFailWithTheReadErrorAndAllocateNothingBeyondTheStream)
{
    DocStream s = DocStream::fromMemory(vrtest::Bytes{1, 2, 3});
    s.seek(1);
    try {
        s.readExact(size_t{1} << 40);
        FAIL() << "no error";
    } catch (const ReadError& e) {
        EXPECT_STREQ(e.what(), "Erreur de lecture du flux");
    }
    EXPECT_EQ(s.position(), 1u);
    EXPECT_EQ(s.readExact(2), (std::vector<uint8_t>{2, 3}));
    EXPECT_THROW(s.readExact(1), ReadError);
}

TEST(DocStream, OpeningAMissingFileOrAFolderNamesTheFile)
{
    try {
        DocStream::openFile("/nonexistent/doc.VPG");
        FAIL() << "no error";
    } catch (const OpenError& e) {
        EXPECT_STREQ(e.what(), "Impossible d'ouvrir le fichier /nonexistent/doc.VPG");
    }
    EXPECT_THROW(DocStream::openFile(std::filesystem::temp_directory_path().string()), OpenError);
    const std::string path = (std::filesystem::temp_directory_path() / "vr_stream_test.bin").string();
    vrtest::writeFile(path, {7, 8});
    DocStream s = DocStream::openFile(path);
    EXPECT_EQ(s.size(), 2u);
    std::filesystem::remove(path);
}

TEST(JsonWriter, KeepsKeyOrderAndEscapes)
{
    JsonWriter w;
    w.beginObject();
    w.field("b", int32_t{2});
    w.field("a", "x\"\n\x01");
    w.key("list");
    w.beginArray();
    w.value(true);
    w.null();
    w.endArray();
    w.key("bytes");
    w.bytes(std::string("\x00\xFF", 2));
    w.key("empty");
    w.beginObject();
    w.endObject();
    w.endObject();
    EXPECT_EQ(w.str(),
              "{\n  \"b\": 2,\n  \"a\": \"x\\\"\\n\\u0001\",\n  \"list\": [\n    true,\n    null\n  ],\n"
              "  \"bytes\": [0, 255],\n  \"empty\": {}\n}\n");
    // Strings that are not UTF-8 (an 8-bit file name) still make valid JSON: each stray byte is
    // its Latin-1 character; well-formed UTF-8 stays as it is.
    JsonWriter names;
    names.value(std::string("caf\xE9 \xD9\x85\xC3"));
    EXPECT_EQ(names.str(), "\"caf\xC3\xA9 \xD9\x85\xC3\x83\"");
}
