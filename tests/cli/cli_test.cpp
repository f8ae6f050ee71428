#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "cli_run.h"
#include "support/doc_writer.h"

using namespace vr;
using vrtest::LineRec;
using vrtest::run;
using vrtest::RunResult;
using vrtest::VpgWriter;

namespace {

using CliTest = vrtest::CliFolderTest;

}  // namespace

TEST(CommandLineParse, SubcommandsOptionsAndTheWindowArgument)
{
    std::string err;
    auto c = parseCommandLine({"render", "-f", "2", "-l", "3", "-z", "150", "a.VPG", "out%d.png"}, err);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->mode, CommandLine::Mode::Render);
    EXPECT_EQ(c->first, 2);
    EXPECT_EQ(c->last, 3);
    EXPECT_EQ(c->zoom, 150);
    EXPECT_EQ(c->file, "a.VPG");
    EXPECT_EQ(c->output, "out%d.png");

    c = parseCommandLine({"y.VTX"}, err);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->mode, CommandLine::Mode::Window);
    EXPECT_EQ(c->file, "y.VTX");
    EXPECT_EQ(parseCommandLine({}, err)->file, "");
    c = parseCommandLine({"--verbose", "docs/y.VTX"}, err);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->mode, CommandLine::Mode::Window);
    EXPECT_TRUE(c->verbose);
    EXPECT_EQ(parseCommandLine({"help"}, err)->mode, CommandLine::Mode::Help);

    EXPECT_FALSE(parseCommandLine({"render", "-z", "20", "a.VPG", "o.png"}, err));
    EXPECT_EQ(err, "The zoom must lie between 30 and 200");
    EXPECT_FALSE(parseCommandLine({"render", "-z", "201", "a.VPG", "o.png"}, err));
    EXPECT_FALSE(parseCommandLine({"render", "-f", "x", "a.VPG", "o.png"}, err));
    EXPECT_FALSE(parseCommandLine({"render", "a.VPG"}, err));
    EXPECT_FALSE(parseCommandLine({"dump"}, err));
    EXPECT_FALSE(parseCommandLine({"--frobnicate"}, err));
    EXPECT_EQ(err, "Unknown option --frobnicate");
}

TEST(CommandLineParse, OnlyOneDocumentOpensTheWindow)
{
    // A mistyped command, with or without files after it, and several files without a command
    // are usage errors that list the commands: the window never opens on a command word.
    const std::string commands = "(the commands are render, print, thumbnail, dump, trace, convert, help)";
    std::string err;
    EXPECT_FALSE(parseCommandLine({"rendr", "a.VPG", "x.png"}, err));
    EXPECT_EQ(err, "Unknown command rendr " + commands);
    EXPECT_FALSE(parseCommandLine({"thumbnial"}, err));
    EXPECT_EQ(err, "Unknown command thumbnial " + commands);
    EXPECT_FALSE(parseCommandLine({"x.VPG", "y.VTX"}, err));
    EXPECT_EQ(err, "The window opens one FILE; other runs start with a command " + commands);
    EXPECT_FALSE(parseCommandLine({"--verbose", "render"}, err));
    // A bare word that names an existing file is that file.
    const std::string here = std::filesystem::current_path().filename().string();
    auto c = parseCommandLine({"../" + here}, err);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->mode, CommandLine::Mode::Window);
}

TEST(CommandLineParse, ThumbnailOptions)
{
    std::string err;
    auto c = parseCommandLine({"thumbnail", "-s", "128", "a.BOK", "a.png"}, err);
    ASSERT_TRUE(c) << err;
    EXPECT_EQ(c->mode, CommandLine::Mode::Thumbnail);
    EXPECT_EQ(c->size, 128);
    EXPECT_EQ(c->file, "a.BOK");
    EXPECT_EQ(c->output, "a.png");
    EXPECT_EQ(parseCommandLine({"thumbnail", "a.VPG", "a.png"}, err)->size, 256);
    EXPECT_FALSE(parseCommandLine({"thumbnail", "-s", "15", "a.VPG", "a.png"}, err));
    EXPECT_EQ(err, "The thumbnail size must lie between 16 and 2048 pixels");
    EXPECT_FALSE(parseCommandLine({"thumbnail", "-s", "2049", "a.VPG", "a.png"}, err));
    EXPECT_FALSE(parseCommandLine({"thumbnail", "a.VPG"}, err));
    EXPECT_EQ(err, "thumbnail needs FILE and OUT.png");
}

TEST(CommandLineParse, OutputPatterns)
{
    EXPECT_EQ(outputNameFor("p-%d.png", 12), "p-12.png");
    EXPECT_EQ(outputNameFor("p-%03d.png", 7), "p-007.png");
    EXPECT_EQ(outputNameFor("p.png", 7), std::nullopt);
    EXPECT_EQ(outputNameFor("p%s.png", 7), std::nullopt);
    EXPECT_EQ(outputNameFor("%d-%d.png", 7), std::nullopt);
    EXPECT_EQ(outputNameFor("%999d.png", 7), std::nullopt);
}

TEST_F(CliTest, RenderWritesEachPageAtTheZoom)
{
    VpgWriter w;
    w.page("P1").line(LineRec(10, 10, 110, 10, 0x0000FF, 1));
    w.page("P2").line(LineRec(10, 20, 110, 20, 0, 1));
    vrtest::writeFile(path("d.VPG"), w.bytes());

    RunResult r = run({"render", "-z", "200", path("d.VPG"), path("p%d.png")});
    EXPECT_EQ(r.status, 0) << r.err;
    QImage p1(QString::fromStdString(path("p1.png")));
    QImage p2(QString::fromStdString(path("p2.png")));
    ASSERT_FALSE(p1.isNull());
    ASSERT_FALSE(p2.isNull());
    EXPECT_EQ(p1.size(), QSize(1588, 2246));
    // The line is drawn at twice its stored points, end pixel left out.
    EXPECT_EQ(p1.pixel(20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(p1.pixel(219, 20), qRgb(255, 0, 0));
    EXPECT_EQ(p1.pixel(220, 20), qRgb(255, 255, 255));
    EXPECT_EQ(p2.pixel(30, 40), qRgb(0, 0, 0));

    r = run({"render", "-f", "2", "-l", "2", path("d.VPG"), path("single.png")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(path("single.png"))).pixel(10, 20), qRgb(0, 0, 0));

    r = run({"render", path("d.VPG"), path("nopattern.png")});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, "With more than one page the output name must hold %d\n");

    r = run({"render", "-f", "3", "-l", "3", path("d.VPG"), path("x.png")});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_EQ(r.err, "No page numbered 3\n");
}

TEST_F(CliTest, RenderWritesTheFormatItsOutputNames)
{
    VpgWriter w;
    w.page("P1").line(LineRec(10, 10, 110, 10, 0x0000FF, 1));
    w.page("P2").line(LineRec(10, 20, 110, 20, 0, 1));
    vrtest::writeFile(path("d.VPG"), w.bytes());

    EXPECT_EQ(imageFormatFor("a.PNG"), "png");
    EXPECT_EQ(imageFormatFor("p%d.jpg"), "jpeg");
    EXPECT_EQ(imageFormatFor("-"), "png");
    EXPECT_EQ(imageFormatFor("a.pdf"), "");
    EXPECT_EQ(imageFormatFor("folder.png/a"), "");

    RunResult r = run({"render", "-f", "1", "-l", "1", path("d.VPG"), path("p.jpeg")});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    std::ifstream jpeg(path("p.jpeg"), std::ios::binary);
    char magic[3] = {};
    jpeg.read(magic, 3);
    EXPECT_EQ(std::string(magic, 3), "\xFF\xD8\xFF");
    // Nothing but the output is left in the folder: the temporary name is gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2);

    r = run({"render", path("d.VPG"), path("p%d.pdf")});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(
        r.err.rfind("Cannot write " + path("p%d.pdf") + ": render writes the image format its extension names (", 0),
        0u)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(path("p1.pdf")));

    // "-": one page as PNG on standard output.
    r = run({"render", "-f", "2", "-l", "2", path("d.VPG"), "-"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    QImage fromOut;
    ASSERT_TRUE(fromOut.loadFromData(reinterpret_cast<const uchar*>(r.out.data()), int(r.out.size()), "PNG"));
    EXPECT_EQ(fromOut.size(), QSize(794, 1123));
    EXPECT_EQ(fromOut.pixel(50, 20), qRgb(0, 0, 0));
    r = run({"render", path("d.VPG"), "-"});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, "Standard output takes one page: choose it with -f and -l\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(CliTest, ErrorsGoToStderrWithTheReadersMessage)
{
    RunResult r = run({"render", path("missing.VPG"), path("x.png")});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_EQ(r.err, "Impossible d'ouvrir le fichier " + path("missing.VPG") + "\n");

    vrtest::writeFile(path("t.txt"), {1, 2, 3});
    r = run({"dump", path("t.txt")});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_EQ(r.err, "Not a Velmora document (.VPG, .VTX or .BOK): " + path("t.txt") + "\n");

    VpgWriter w;
    w.page("P1").line(LineRec()).page("Q");
    vrtest::writeFile(path("bad.VPG"), w.bytes());
    r = run({"dump", path("bad.VPG")});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_EQ(r.err, "'' n'est pas une valeur enti\xC3\xA8re correcte\n");
    EXPECT_NE(r.out.find("\"error\": \"'' n'est pas une valeur enti\xC3\xA8re correcte\""), std::string::npos);
    EXPECT_NE(r.out.find("\"PageCount\": 2"), std::string::npos);

    // Pages read before the error are still rendered.
    r = run({"render", "-f", "1", "-l", "1", path("bad.VPG"), path("b.png")});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_TRUE(std::filesystem::exists(path("b.png")));
}

TEST(CommandLineRun, HelpAndVersion)
{
    RunResult r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("velmora-reader render [-f FIRST] [-l LAST] [-z ZOOM] [--chapter N] FILE OUT\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("velmora-reader thumbnail [-s SIZE] [--chapter N] FILE OUT.png\n"), std::string::npos);
    r = run({"--version"});
    EXPECT_EQ(r.out.rfind("velmora-reader ", 0), 0u);
}

TEST(CommandLineParse, PrintOptions)
{
    std::string err;
    auto c = parseCommandLine({"print", "-f", "2", "-l", "5", "-c", "3", "-r", "600", "a.VTX", "o.pdf"}, err);
    ASSERT_TRUE(c) << err;
    EXPECT_EQ(c->mode, CommandLine::Mode::Print);
    EXPECT_EQ(c->first, 2);
    EXPECT_EQ(c->last, 5);
    EXPECT_EQ(c->copies, 3);
    EXPECT_EQ(c->dpi, 600);
    EXPECT_EQ(c->output, "o.pdf");
    EXPECT_FALSE(c->png);
    c = parseCommandLine({"print", "-P", "Office", "a.VTX"}, err);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->printer, "Office");
    EXPECT_EQ(c->dpi, 300);
    EXPECT_TRUE(parseCommandLine({"print", "a.VTX", "S%d.PNG"}, err)->png);

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"print", "-c", "0", "a.VTX"}, "The number of copies must lie between 1 and 999"},
        {{"print", "-r", "49", "a.VTX"}, "The resolution must lie between 50 and 1200 dpi"},
        {{"print", "-r", "1201", "a.VTX"}, "The resolution must lie between 50 and 1200 dpi"},
        {{"print", "--png", "a.VTX"}, "--png needs OUT.png"},
        {{"print", "-P", "Office", "a.VTX", "o.pdf"}, "Give either -P PRINTER or OUT, not both"},
        {{"print"}, "print needs FILE and at most one OUT"},
        {{"print", "-z", "100", "a.VTX"}, "Unknown option -z"},
    };
    for (const auto& [args, message] : bad) {
        EXPECT_FALSE(parseCommandLine(args, err)) << message;
        EXPECT_EQ(err, message);
    }
}

TEST_F(CliTest, PrintWritesSheetsInTheDriversOrder)
{
    VpgWriter w;
    w.page("P1").line(LineRec(10, 10, 110, 10, 0x0000FF, 1));
    w.page("P2").line(LineRec(10, 20, 110, 20, 0, 1));
    vrtest::writeFile(path("d.VPG"), w.bytes());

    // Two copies of both pages at 96 dpi: sheets 1, 2, 1, 2 of 794 x 1123 dots.
    RunResult r = run({"print", "-c", "2", "-r", "96", path("d.VPG"), path("s%d.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    for (int sheet = 1; sheet <= 4; ++sheet) {
        const QImage s(QString::fromStdString(path("s" + std::to_string(sheet) + ".png")));
        ASSERT_EQ(s.size(), QSize(794, 1123)) << sheet;
        // Scale 794 x 25.4 / (96 x 210) = 1.0004: the line of page 1 at y 10, of page 2 at y 20.
        const bool firstPage = sheet % 2 == 1;
        EXPECT_EQ(s.pixel(50, 10), firstPage ? qRgb(255, 0, 0) : qRgb(255, 255, 255)) << sheet;
        EXPECT_EQ(s.pixel(50, 20), firstPage ? qRgb(255, 255, 255) : qRgb(0, 0, 0)) << sheet;
    }
    EXPECT_FALSE(std::filesystem::exists(path("s5.png")));

    r = run({"print", "-r", "96", path("d.VPG"), path("one.png")});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, "With more than one sheet the output name must hold %d\n");

    // A PDF of the second page alone, one A4 page.
    r = run({"print", "-f", "2", path("d.VPG"), path("out.pdf")});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream in(path("out.pdf"), std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("/Count 1"), std::string::npos);

    r = run({"print", "-f", "3", path("d.VPG"), path("none.pdf")});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, "No pages in the range 3 to 2\n");
}

TEST_F(CliTest, TraceWritesThePagesDrawingCallsAtTheZoom)
{
    VpgWriter w;
    w.page("P1").line(LineRec(10, 20, 110, 20, 255, 1, "1", "FN"));
    w.page("P2").line(LineRec(30, 40, 50, 60));
    vrtest::writeFile(path("t.VPG"), w.bytes());

    RunResult r = run({"trace", "-p", "2", "-z", "200", path("t.VPG")});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out,
              "fillrect 0,0,1588,2246 #ffffff\n"
              "line 0,2245 -> 0,0 pen=#ffffff w1 solid copy\n"
              "line 0,0 -> 1587,0 pen=#ffffff w1 solid copy\n"
              "line 1587,0 -> 1587,2245 pen=#808080 w1 solid copy\n"
              "line 1587,2245 -> -1,2245 pen=#808080 w1 solid copy\n"
              "line 60,80 -> 100,120 pen=#000000 w1 solid notxor\n");
    EXPECT_EQ(r.err, "");

    r = run({"trace", path("t.VPG")});
    EXPECT_NE(r.out.find("line 10,20 -> 110,20 pen=#ff0000 w1 dash notxor\n"), std::string::npos) << r.out;
    r = run({"trace", "-p", "3", path("t.VPG")});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_EQ(r.err, "No page numbered 3\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(run({"trace", "-p", "0", path("t.VPG")}).status, kExitUsage);
    EXPECT_EQ(run({"trace", path("t.VPG"), path("u.VPG")}).err, "trace needs one FILE");
}

TEST_F(CliTest, VerboseRunsReportRecoveredDamageOnStandardError)
{
    vrtest::writeFile(path("broken.bmp"), {'B', 'M', 0, 0});
    vrtest::ImageRec image;
    image.fileName = "broken.bmp";
    VpgWriter w;
    w.page("P1").line(LineRec(1, 2, 3, 4)).object("TDImage", vrtest::imageRecord(image));
    vrtest::writeFile(path("d.VPG"), w.bytes());

    RunResult quiet = run({"render", path("d.VPG"), path("d.png")});
    EXPECT_EQ(quiet.status, kExitOk);
    EXPECT_EQ(quiet.err, "");
    RunResult verbose = run({"render", "--verbose", path("d.VPG"), path("d.png")});
    EXPECT_EQ(verbose.status, kExitOk);
    EXPECT_EQ(verbose.err.rfind("warning: page 1, object 1: picture " + path("broken.bmp") + " not decoded: ", 0), 0u)
        << verbose.err;
    EXPECT_EQ(std::count(verbose.err.begin(), verbose.err.end(), '\n'), 1);
    // The dump lists it whether or not --verbose is given.
    EXPECT_NE(run({"dump", path("d.VPG")}).out.find("\"warnings\": [\n    {\n      \"what\": \"picture "),
              std::string::npos);
}
