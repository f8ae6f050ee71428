#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "cli/output_file.h"
#include "cli/print_command.h"
#include "cli/thumbnail_command.h"
#include "support/doc_writer.h"

using namespace vr;
using vrtest::LineRec;
using vrtest::VpgWriter;
namespace fs = std::filesystem;

namespace {

struct Folder {
    fs::path dir = fs::temp_directory_path() /
        ("vr_thumb_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    Folder() { fs::create_directories(dir); }
    ~Folder() { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    size_t count() const { return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator())); }
};

int thumbnail(const std::vector<std::string>& args, std::string& err)
{
    std::string usage;
    const auto cmd = parseCommandLine(args, usage);
    if (!cmd) {
        err = usage;
        return kExitUsage;
    }
    std::ostringstream out, errStream;
    const int status = runCommand(*cmd, out, errStream);
    err = errStream.str();
    return status;
}

}  // namespace

TEST(Thumbnail, ThePageIsPaintedAtTheZoomThatFitsTheSize)
{
    Folder f;
    // An A4 page (794 x 1123) with a red line across at y 562 and a black one down at x 397.
    VpgWriter w;
    w.page("P1").line(LineRec(0, 562, 794, 562, 0x0000FF, 1)).line(LineRec(397, 0, 397, 1123, 0, 1));
    w.page("P2").line(LineRec(0, 0, 794, 1123, 0, 1));
    vrtest::writeFile(f.path("a.VPG"), w.bytes());

    std::string err;
    ASSERT_EQ(thumbnail({"thumbnail", "-s", "128", f.path("a.VPG"), f.path("a.png")}, err), kExitOk) << err;
    const QImage t(QString::fromStdString(f.path("a.png")));
    // 794 x 128 / 1123 = 90.5, rounded away from zero: the aspect is kept.
    ASSERT_EQ(t.size(), QSize(91, 128));
    // The lines are drawn at the thumbnail's zoom, still one pixel wide: 562 x 128 / 1123 = 64.06.
    EXPECT_EQ(t.pixel(20, 64), qRgb(255, 0, 0));
    EXPECT_EQ(t.pixel(20, 63), qRgb(255, 255, 255));
    EXPECT_EQ(t.pixel(20, 65), qRgb(255, 255, 255));
    EXPECT_EQ(t.pixel(45, 30), qRgb(0, 0, 0));  // 397 x 128 / 1123 = 45.25
    EXPECT_EQ(t.pixel(44, 30), qRgb(255, 255, 255));
    EXPECT_EQ(t.pixel(46, 30), qRgb(255, 255, 255));
    EXPECT_EQ(f.count(), 2u);

    // The default size is 256 on the longer side.
    ASSERT_EQ(thumbnail({"thumbnail", f.path("a.VPG"), f.path("b.png")}, err), kExitOk) << err;
    EXPECT_EQ(QImage(QString::fromStdString(f.path("b.png"))).size(), QSize(181, 256));
}

TEST(Thumbnail, AFailureWritesNothing)
{
    Folder f;
    std::string err;
    EXPECT_EQ(thumbnail({"thumbnail", f.path("missing.VPG"), f.path("m.png")}, err), kExitError);
    EXPECT_EQ(err, "Impossible d'ouvrir le fichier " + f.path("missing.VPG") + "\n");
    VpgWriter empty;
    empty.pageCountText("0");
    vrtest::writeFile(f.path("empty.VPG"), empty.bytes());
    EXPECT_EQ(thumbnail({"thumbnail", f.path("empty.VPG"), f.path("e.png")}, err), kExitError);
    EXPECT_EQ(err, "The document has no pages: " + f.path("empty.VPG") + "\n");
    // An output folder that does not exist: no file, and no temporary one left behind.
    VpgWriter w;
    w.page("P1");
    vrtest::writeFile(f.path("a.VPG"), w.bytes());
    EXPECT_EQ(thumbnail({"thumbnail", f.path("a.VPG"), f.path("no/such/folder.png")}, err), kExitError);
    EXPECT_EQ(err, "Cannot write " + f.path("no/such/folder.png") + "\n");
    EXPECT_EQ(f.count(), 2u);  // empty.VPG and a.VPG
}

TEST(Thumbnail, ALaterPageThatCannotBeReadStillGivesTheFirst)
{
    Folder f;
    VpgWriter w;
    w.page("P1").line(LineRec(10, 10, 700, 10, 0, 3)).page("Q");
    vrtest::writeFile(f.path("bad.VPG"), w.bytes());
    std::string err;
    EXPECT_EQ(thumbnail({"thumbnail", "-s", "64", f.path("bad.VPG"), f.path("bad.png")}, err), kExitOk);
    EXPECT_EQ(err, "'' n'est pas une valeur enti\xC3\xA8re correcte\n");
    EXPECT_EQ(QImage(QString::fromStdString(f.path("bad.png"))).height(), 64);
}

TEST(PrintWithoutPrinter, TheDefaultPdfNameNeverReplacesAFile)
{
    Folder f;
    const std::string stem = f.path("tour");
    EXPECT_EQ(freePdfName(stem), stem + ".pdf");
    vrtest::writeFile(stem + ".pdf", {'k'});
    vrtest::writeFile(stem + "-1.pdf", {'k'});
    EXPECT_EQ(freePdfName(stem), stem + "-2.pdf");
    for (int n = 2; n <= kMaxNumberedPdf; ++n)
        vrtest::writeFile(stem + "-" + std::to_string(n) + ".pdf", {'k'});
    EXPECT_EQ(freePdfName(stem), std::nullopt);
}

TEST(OutputFileNoReplace, AFileMadeMeanwhileIsKept)
{
    Folder f;
    OutputFile out(f.path("x.pdf"));
    vrtest::writeFile(out.tempPath(), {'n', 'e', 'w'});
    vrtest::writeFile(f.path("x.pdf"), {'o', 'l', 'd'});
    EXPECT_FALSE(out.commit(false));
    EXPECT_EQ(fs::file_size(f.path("x.pdf")), 3u);
    std::ifstream in(f.path("x.pdf"));
    std::string text;
    in >> text;
    EXPECT_EQ(text, "old");
}
