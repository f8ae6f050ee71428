#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "cli/output_file.h"
#include "cli/print_command.h"
#include "cli/thumbnail_command.h"
#include "cli_run.h"
#include "support/doc_writer.h"

using namespace vr;
using vrtest::LineRec;
using vrtest::VpgWriter;
namespace fs = std::filesystem;

namespace {

// The folder's files, temporary ones included.
class ThumbnailTest : public vrtest::CliFolderTest {
protected:
    size_t count() const { return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator())); }
};

// The status of a command line, with its standard error in err.
int thumbnail(const std::vector<std::string>& args, std::string& err)
{
    const vrtest::RunResult r = vrtest::run(args);
    err = r.err;
    return r.status;
}

}  // namespace

TEST_F(ThumbnailTest, ThePageIsPaintedAtTheZoomThatFitsTheSize)
{
    // An A4 page (794 x 1123) with a red line across at y 562 and a black one down at x 397.
    VpgWriter w;
    w.page("P1").line(LineRec(0, 562, 794, 562, 0x0000FF, 1)).line(LineRec(397, 0, 397, 1123, 0, 1));
    w.page("P2").line(LineRec(0, 0, 794, 1123, 0, 1));
    vrtest::writeFile(path("a.VPG"), w.bytes());

    std::string err;
    ASSERT_EQ(thumbnail({"thumbnail", "-s", "128", path("a.VPG"), path("a.png")}, err), kExitOk) << err;
    const QImage t(QString::fromStdString(path("a.png")));
    // 794 x 128 / 1123 = 90.5, rounded away from zero: the aspect is kept.
    ASSERT_EQ(t.size(), QSize(91, 128));
    // The lines are drawn at the thumbnail's zoom, still one pixel wide: 562 x 128 / 1123 = 64.06.
    EXPECT_EQ(t.pixel(20, 64), qRgb(255, 0, 0));
    EXPECT_EQ(t.pixel(20, 63), qRgb(255, 255, 255));
    EXPECT_EQ(t.pixel(20, 65), qRgb(255, 255, 255));
    EXPECT_EQ(t.pixel(45, 30), qRgb(0, 0, 0));  // 397 x 128 / 1123 = 45.25
    EXPECT_EQ(t.pixel(44, 30), qRgb(255, 255, 255));
    EXPECT_EQ(t.pixel(46, 30), qRgb(255, 255, 255));
    EXPECT_EQ(count(), 2u);

    // The default size is 256 on the longer side.
    ASSERT_EQ(thumbnail({"thumbnail", path("a.VPG"), path("b.png")}, err), kExitOk) << err;
    EXPECT_EQ(QImage(QString::fromStdString(path("b.png"))).size(), QSize(181, 256));
}

TEST_F(ThumbnailTest, AFailureWritesNothing)
{
    std::string err;
    EXPECT_EQ(thumbnail({"thumbnail", path("missing.VPG"), path("m.png")}, err), kExitError);
    EXPECT_EQ(err, "Impossible d'ouvrir le fichier " + path("missing.VPG") + "\n");
    VpgWriter empty;
    empty.pageCountText("0");
    vrtest::writeFile(path("empty.VPG"), empty.bytes());
    EXPECT_EQ(thumbnail({"thumbnail", path("empty.VPG"), path("e.png")}, err), kExitError);
    EXPECT_EQ(err, "The document has no pages: " + path("empty.VPG") + "\n");
    // An output folder that does not exist: no file, and no temporary one left behind.
    VpgWriter w;
    w.page("P1");
    vrtest::writeFile(path("a.VPG"), w.bytes());
    EXPECT_EQ(thumbnail({"thumbnail", path("a.VPG"), path("no/such/folder.png")}, err), kExitError);
    EXPECT_EQ(err, "Cannot write " + path("no/such/folder.png") + "\n");
    EXPECT_EQ(count(), 2u);  // empty.VPG and a.VPG
}

TEST_F(ThumbnailTest, ALaterPageThatCannotBeReadStillGivesTheFirst)
{
    VpgWriter w;
    w.page("P1").line(LineRec(10, 10, 700, 10, 0, 3)).page("Q");
    vrtest::writeFile(path("bad.VPG"), w.bytes());
    std::string err;
    EXPECT_EQ(thumbnail({"thumbnail", "-s", "64", path("bad.VPG"), path("bad.png")}, err), kExitOk);
    EXPECT_EQ(err, "'' n'est pas une valeur enti\xC3\xA8re correcte\n");
    EXPECT_EQ(QImage(QString::fromStdString(path("bad.png"))).height(), 64);
}

TEST_F(ThumbnailTest, TheDefaultPdfNameWithoutAPrinterNeverReplacesAFile)
{
    const std::string stem = path("tour");
    EXPECT_EQ(freePdfName(stem), stem + ".pdf");
    vrtest::writeFile(stem + ".pdf", {'k'});
    vrtest::writeFile(stem + "-1.pdf", {'k'});
    EXPECT_EQ(freePdfName(stem), stem + "-2.pdf");
    for (int n = 2; n <= kMaxNumberedPdf; ++n)
        vrtest::writeFile(stem + "-" + std::to_string(n) + ".pdf", {'k'});
    EXPECT_EQ(freePdfName(stem), std::nullopt);
}

TEST_F(ThumbnailTest, AnOutputFileKeepsAFileMadeMeanwhile)
{
    OutputFile out(path("x.pdf"));
    vrtest::writeFile(out.tempPath(), {'n', 'e', 'w'});
    vrtest::writeFile(path("x.pdf"), {'o', 'l', 'd'});
    EXPECT_FALSE(out.commit(false));
    EXPECT_EQ(fs::file_size(path("x.pdf")), 3u);
    std::ifstream in(path("x.pdf"));
    std::string text;
    in >> text;
    EXPECT_EQ(text, "old");
}
