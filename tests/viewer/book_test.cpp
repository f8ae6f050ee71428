#include <gtest/gtest.h>

#include <chrono>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "support/media_writer.h"
#include "viewer/chapter_list.h"
#include "viewer/dump.h"
#include "viewer_fixture.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::ChapterEntry;
using vrtest::LineRec;
using vrtest::VpgWriter;

namespace {

const std::string kChapterWord = "\xB3\x86\x9D";

Bytes onePage()
{
    return VpgWriter().page("P1").line(LineRec(10, 20, 30, 40)).bytes();
}

}  // namespace

TEST(PersianNumbers, ZeroIsOneCodeAndOtherNumbersShiftTheirFirstFourDigits)
{
    EXPECT_EQ(PersianNumber(0), "\x2D");
    EXPECT_EQ(PersianNumber(7), "\x34");
    EXPECT_EQ(PersianNumber(12), "\x2E\x2F");
    EXPECT_EQ(PersianNumber(1990), "\x2E\x36\x36\x2D");
    EXPECT_EQ(PersianNumber(123456), "\x2E\x2F\x30\x31");  // only four digits

    ChapterRecord untitled;
    EXPECT_EQ(chapterLine(untitled, 0), "\x2D " + kChapterWord);
    EXPECT_EQ(chapterLine(untitled, 12), "\x2E\x2F " + kChapterWord);
    ChapterRecord titled;
    titled.Title = "\xC7\xE6\xE1";
    EXPECT_EQ(chapterLine(titled, 3), "\xC7\xE6\xE1");
}

TEST(BookReader, EntriesKeepTheirFileNamePartTitleAndFieldsInTheBooksFolder)
{
    const Bytes book = vrtest::bookFile({{"C:\\VELMORA\\BOOK\\Intro.VPG", "\xC7\xE1\xDD", "a", "bb", "1234"},
                                         {"D:CHAP2.VTX", "", "", "", ""},
                                         {"sub/dir/three.vpg", "T", "", "", ""},
                                         {"", "", "", "", ""}});
    ASSERT_EQ(book.size(), 1524u + 4 * 396u);
    DocStream s = DocStream::fromMemory(book);
    const std::vector<ChapterRecord> chapters = readBook(s, "/books/");
    ASSERT_EQ(chapters.size(), 4u);
    EXPECT_EQ(chapters[0].FileName, "/books/Intro.VPG");
    EXPECT_EQ(chapters[0].EntryName, "C:\\VELMORA\\BOOK\\Intro.VPG");
    EXPECT_EQ(chapters[0].Title, "\xC7\xE1\xDD");
    EXPECT_EQ(chapters[0].Kept, (std::array<std::string, 3>{"a", "bb", "1234"}));
    EXPECT_EQ(chapters[1].FileName, "/books/CHAP2.VTX");  // after the drive colon
    EXPECT_EQ(chapters[2].FileName, "/books/three.vpg");  // the entry's folder is not used
    EXPECT_EQ(chapters[3].FileName, "");  // no name: the chapter opens nothing
    EXPECT_EQ(s.position(), book.size());
}

TEST(BookReader, TheCountIsNotTrustedBeyondTheBytesTheFileHolds)
{
    Bytes book = vrtest::bookFile({{"ONE.VPG", "", "", "", ""}, {"TWO.VPG", "", "", "", ""}}, "2000000000");
    book.resize(book.size() - 300);  // the second entry is cut short
    DocStream s = DocStream::fromMemory(book);
    Diagnostics d;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<ChapterRecord> chapters = readBook(s, "/b/", &d);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_EQ(chapters.size(), 2u);
    EXPECT_EQ(chapters[1].FileName, "/b/TWO.VPG");  // a cut entry is read with zeros
    EXPECT_EQ(chapters[1].Title, "");
    ASSERT_EQ(d.list().size(), 1u);
    EXPECT_EQ(d.list()[0].what, "the book announces 2000000000 chapters and holds 2");
    EXPECT_EQ(d.list()[0].offset, static_cast<int64_t>(book.size()));
}

TEST(BookReader, EmptyCountMeansNoChaptersAndABadCountIsTheConversionError)
{
    DocStream empty = DocStream::fromMemory(vrtest::bookFile({{"ONE.VPG", "", "", "", ""}}, ""));
    EXPECT_TRUE(readBook(empty, "/b/").empty());
    DocStream shortHeader = DocStream::fromMemory(Bytes(100, 0));
    EXPECT_TRUE(readBook(shortHeader, "/b/").empty());
    DocStream bad = DocStream::fromMemory(vrtest::bookFile({}, "2x"));
    try {
        readBook(bad, "/b/");
        FAIL() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'2x' n'est pas une valeur enti\xC3\xA8re correcte");
    }
}

TEST(ChapterListPadding, LinesAreFilledWithSpacesUpToTheControlWidthLessThirty)
{
    const FontRequest font = chapterListFont();
    EXPECT_EQ(font.face, "ZR Keyb");
    EXPECT_EQ(font.pixelHeight, 13);
    EXPECT_EQ(font.style, 1);
    const int space = TextWidthOf(" ", font);
    ASSERT_GT(space, 0);
    const std::string shortLine = "\x2D " + kChapterWord;
    const std::string longLine(200, '\xC7');
    const int shortWidth = TextWidthOf(shortLine, font);
    ASSERT_GT(TextWidthOf(longLine, font), kChapterListWidth - 30);

    std::vector<std::string> lines{shortLine, longLine, ""};
    PadChapterItems(lines, kChapterListWidth, font);
    const size_t added = lines[0].size() - shortLine.size();
    EXPECT_EQ(lines[0].substr(added), shortLine);
    EXPECT_EQ(lines[0].substr(0, added), std::string(added, ' '));
    // Enough spaces to reach 493 pixels, counted with the width of one space, and not one more.
    EXPECT_GE(shortWidth + static_cast<int>(added) * space, kChapterListWidth - 30);
    EXPECT_LT(shortWidth + static_cast<int>(added - 1) * space, kChapterListWidth - 30);
    EXPECT_EQ(lines[1], longLine);
    EXPECT_EQ(lines[2].size(), static_cast<size_t>((kChapterListWidth - 30 + space - 1) / space));
}

TEST_F(ViewerTest, ABookFillsTheChapterListAndOpensItsFirstChapter)
{
    write("chap1.vpg", onePage());
    write("LETTER.VTX", vrtest::vtxDocument("0", "0"));
    const std::string book = write("Book.BOK",
                                   vrtest::bookFile({{"C:\\VELMORA\\CHAP1.VPG", "\xC7\xE1", "", "", ""},
                                                     {"C:\\VELMORA\\letter.vtx", "", "", "", ""},
                                                     {"C:\\VELMORA\\GONE.VPG", "", "", "", ""}}));
    EXPECT_EQ(open(book), "");
    EXPECT_TRUE(viewer.chapterListVisible);
    EXPECT_EQ(viewer.BookFileName, book);
    ASSERT_EQ(viewer.ChapterRecords.size(), 3u);
    ASSERT_EQ(viewer.ChapterList.size(), 3u);
    EXPECT_EQ(viewer.ChapterList[1].substr(viewer.ChapterList[1].find_first_not_of(' ')), "\x2E " + kChapterWord);
    EXPECT_EQ(viewer.chapterListIndex, 0);
    // The chapter's file is found whatever the case of its name.
    EXPECT_EQ(viewer.state.DocFileName, (dir / "chap1.vpg").string());
    EXPECT_EQ(viewer.caption, "Velmora 2000 " + (dir / "chap1.vpg").string());
    EXPECT_EQ(viewer.state.PageCount, 1);
    EXPECT_FALSE(viewer.state.OpeningChapter);

    viewer.ChapterListChange(1);
    EXPECT_EQ(viewer.state.DocFileName, (dir / "LETTER.VTX").string());
    EXPECT_EQ(viewer.chapterListIndex, 1);
    EXPECT_EQ(viewer.state.PageCount, 1);  // a text document of no pages keeps its empty frame

    // A chapter whose file is missing gives the loader's open error, and the next Open command is
    // no chapter opening.
    try {
        viewer.ChapterListChange(2);
        FAIL() << "no error";
    } catch (const OpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Impossible d'ouvrir le fichier " + (dir / "GONE.VPG").string());
    }
    EXPECT_FALSE(viewer.state.OpeningChapter);
    EXPECT_EQ(viewer.state.PageCount, 0);

    // Outside the list nothing happens.
    viewer.ChapterListChange(3);
    viewer.ChapterListChange(-1);
    EXPECT_EQ(viewer.chapterListIndex, 2);
    EXPECT_EQ(viewer.ChapterRecords.size(), 3u);

    const std::string json = dumpDocument(viewer, std::nullopt);
    EXPECT_NE(json.find("\"book\": \"" + book + "\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"file\": \"" + (dir / "CHAP1.VPG").string() + "\""), std::string::npos);
    EXPECT_NE(json.find("\"title\": [199, 225]"), std::string::npos);
}

TEST_F(ViewerTest, ABookWhoseFirstChapterHasNoNameFillsTheListAndOpensNothing)
{
    write("TWO.VPG", onePage());
    const std::string book = write("b.bok", vrtest::bookFile({{"", "", "", "", ""}, {"TWO.VPG", "", "", "", ""}}));
    EXPECT_EQ(open(book), "");
    EXPECT_EQ(viewer.ChapterList.size(), 2u);
    EXPECT_EQ(viewer.state.PageCount, 0);
    EXPECT_EQ(viewer.state.DocFileName, book);
    viewer.ChapterListChange(0);  // no file: nothing
    EXPECT_EQ(viewer.state.PageCount, 0);
    viewer.ChapterListChange(1);
    EXPECT_EQ(viewer.state.PageCount, 1);
}

TEST_F(ViewerTest, AMissingBookOrAnEmptyOneOpensNothing)
{
    EXPECT_EQ(open((dir / "none.BOK").string()), "");
    EXPECT_TRUE(viewer.chapterListVisible);
    EXPECT_TRUE(viewer.ChapterRecords.empty());
    EXPECT_EQ(viewer.state.PageCount, 0);

    const std::string book = write("empty.BOK", vrtest::bookFile({{"X.VPG", "", "", "", ""}}, ""));
    EXPECT_EQ(open(book), "");
    EXPECT_TRUE(viewer.ChapterList.empty());
    EXPECT_EQ(viewer.chapterListIndex, -1);
    EXPECT_EQ(viewer.state.PageCount, 0);
}

TEST_F(ViewerTest, ABookOfTwoBillionAnnouncedChaptersOpensAtOnce)
{
    write("ONE.VPG", onePage());
    const std::string book = write("huge.BOK", vrtest::bookFile({{"ONE.VPG", "", "", "", ""}}, "2000000000"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(open(book), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(viewer.ChapterRecords.size(), 1u);
    EXPECT_EQ(viewer.state.PageCount, 1);
    ASSERT_EQ(viewer.diagnostics.list().size(), 1u);
    EXPECT_EQ(viewer.diagnostics.list()[0].what, "the book announces 2000000000 chapters and holds 1");
}
