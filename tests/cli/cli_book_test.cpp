#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "cli_run.h"
#include "support/media_writer.h"

using namespace vr;
using vrtest::LineRec;
using vrtest::run;
using vrtest::RunResult;
using vrtest::VpgWriter;

namespace {

class CliBookTest : public vrtest::CliFolderTest {
protected:
    void SetUp() override
    {
        CliFolderTest::SetUp();
        // Chapter 1: one page with a red line; chapter 2: two pages; chapter 3 is missing.
        VpgWriter one;
        one.page("P1").line(LineRec(10, 10, 300, 10, 0x0000FF, 5));
        vrtest::writeFile(path("ONE.VPG"), one.bytes());
        VpgWriter two;
        two.page("P1").line(LineRec(10, 10, 20, 10)).page("P2").line(LineRec(10, 50, 300, 50, 0xFF0000, 5));
        vrtest::writeFile(path("two.vpg"), two.bytes());
        vrtest::writeFile(path("book.BOK"),
                          vrtest::bookFile({{"C:\\B\\ONE.VPG", "\xC7", "", "", ""},
                                            {"C:\\B\\TWO.VPG", "", "", "", ""},
                                            {"C:\\B\\THREE.VPG", "", "", "", ""}}));
    }
};

}  // namespace

TEST_F(CliBookTest, DumpShowsTheChaptersAndTheFirstChapter)
{
    const RunResult r = run({"dump", path("book.BOK")});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.out.find("\"book\": \"" + path("book.BOK") + "\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"file\": \"" + path("ONE.VPG") + "\""), std::string::npos);
    EXPECT_NE(r.out.find("\"file\": \"" + path("TWO.VPG") + "\""), std::string::npos);
    EXPECT_NE(r.out.find("\"entryName\": [67, 58, 92, 66, 92, 84, 72, 82, 69, 69"), std::string::npos);
    EXPECT_NE(r.out.find("\"title\": [199]"), std::string::npos);
    EXPECT_NE(r.out.find("\"PageCount\": 1"), std::string::npos);
    // The untitled second chapter's line ends with its number (0x2E) and the word for chapter.
    EXPECT_NE(r.out.find("32, 46, 32, 179, 134, 157]"), std::string::npos);
}

TEST_F(CliBookTest, TheChapterOptionWorksOnChapterNOfABook)
{
    const RunResult dump = run({"dump", "--chapter", "2", path("book.BOK")});
    EXPECT_EQ(dump.status, kExitOk) << dump.err;
    EXPECT_NE(dump.out.find("\"file\": \"" + path("two.vpg") + "\""), std::string::npos);
    EXPECT_NE(dump.out.find("\"PageCount\": 2"), std::string::npos);
    EXPECT_NE(dump.out.find("\"chapterListIndex\": 1"), std::string::npos);

    const RunResult render = run({"render", "--chapter", "2", "-f", "2", path("book.BOK"), path("p.png")});
    EXPECT_EQ(render.status, kExitOk) << render.err;
    const QImage page(QString::fromStdString(path("p.png")));
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.pixel(100, 50), 0xFF0000FFu);  // chapter 2's second page: the blue line

    const RunResult missing = run({"dump", "--chapter", "3", path("book.BOK")});
    EXPECT_EQ(missing.status, kExitError);
    EXPECT_EQ(missing.err, "Impossible d'ouvrir le fichier " + path("THREE.VPG") + "\n");

    const RunResult beyond = run({"dump", "--chapter", "4", path("book.BOK")});
    EXPECT_EQ(beyond.status, kExitError);
    EXPECT_EQ(beyond.err, "The book has 3 chapters: " + path("book.BOK") + "\n");

    const RunResult notBook = run({"print", "--chapter", "1", path("ONE.VPG"), path("o.pdf")});
    EXPECT_EQ(notBook.status, kExitError);
    EXPECT_EQ(notBook.err, "--chapter works on books (.BOK): " + path("ONE.VPG") + "\n");

    EXPECT_EQ(run({"dump", "--chapter", "0", path("book.BOK")}).status, kExitUsage);
    EXPECT_EQ(run({"render", "--chapter", path("book.BOK"), path("p.png")}).status, kExitUsage);
    const RunResult noBook = run({"dump", path("none.BOK")});
    EXPECT_EQ(noBook.status, kExitError);
    EXPECT_EQ(noBook.err, "Impossible d'ouvrir le fichier " + path("none.BOK") + "\n");
    EXPECT_NE(usageText().find("--chapter N"), std::string::npos);
}
