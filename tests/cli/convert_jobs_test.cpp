// The convert command's pieces that need no worker: the walk of the sources, output names, the
// slices of a split run, the resume check, the report line, the options, and one document
// converted in this process.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>

#include "cli/cli.h"
#include "cli/convert_command.h"
#include "cli/convert_document.h"
#include "cli/convert_jobs.h"
#include "cli_run.h"
#include "support/doc_writer.h"

using namespace vr;
using vrtest::LineRec;
using vrtest::VpgWriter;

namespace {

using ConvertTest = vrtest::CliFolderTest;
namespace fs = std::filesystem;

void touch(const fs::path& p)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
}

std::vector<std::string> inputs(const std::vector<ConvertJob>& jobs)
{
    std::vector<std::string> out;
    for (const ConvertJob& j : jobs)
        out.push_back(j.input);
    return out;
}

// Pages of a PDF file: its "/Type /Page" objects (not "/Pages").
int pdfPages(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int n = 0;
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
        n += pdf.compare(at, 12, "/Type /Pages") != 0;
    return n;
}

}  // namespace

TEST(ConvertNames, DocumentExtensionsInAnyCase)
{
    for (const char* yes : {"a.VPG", "a.vpg", "a.Vtx", "b.BOK", "b.bok", "x.y.VpG"})
        EXPECT_TRUE(isConvertibleName(yes)) << yes;
    for (const char* no : {"a.VPGX", "a.pdf", "VPG", "a.VP", "a.bmp", ".BOKx", ""})
        EXPECT_FALSE(isConvertibleName(no)) << no;
}

TEST(ConvertNames, OutputNamesOfDocumentsBooksAndPages)
{
    EXPECT_EQ(pdfOutputName("o/a", 0), "o/a.pdf");
    EXPECT_EQ(pdfOutputName("o/a", 3), "o/a-3.pdf");
    EXPECT_EQ(pngOutputName("o/a", 0, 12), "o/a-12.png");
    EXPECT_EQ(pngOutputName("o/a", 2, 5), "o/a-2-5.png");
    const ConvertJob job{"in/a.BOK", "o/a"};
    EXPECT_EQ(primaryOutput(job, ConvertFormat::Pdf, false), "o/a.pdf");
    EXPECT_EQ(primaryOutput(job, ConvertFormat::Pdf, true), "o/a-1.pdf");
    EXPECT_EQ(primaryOutput(job, ConvertFormat::Png, false), "o/a-1.png");
    EXPECT_EQ(primaryOutput(job, ConvertFormat::Png, true), "o/a-1-1.png");
}

TEST_F(ConvertTest, FoldersAreWalkedInOrderAndNamedBelowOutdir)
{
    touch(dir / "in/b.VPG");
    touch(dir / "in/a.vtx");
    touch(dir / "in/sub/c.Bok");
    touch(dir / "in/sub/deeper/d.VPG");
    touch(dir / "in/notes.txt");
    touch(dir / "in/picture.bmp");
    touch(dir / "single/e.VPG");
    std::vector<std::string> problems;
    const auto jobs =
        collectJobs({path("in"), path("single/e.VPG"), path("missing"), path("in/notes.txt")}, false, "OUT", problems);
    ASSERT_EQ(jobs.size(), 5u);
    EXPECT_EQ(inputs(jobs),
              (std::vector<std::string>{path("in/a.vtx"), path("in/b.VPG"), path("in/sub/c.Bok"),
                                        path("in/sub/deeper/d.VPG"), path("single/e.VPG")}));
    EXPECT_EQ(jobs[0].outBase, "OUT/a");
    EXPECT_EQ(jobs[2].outBase, "OUT/sub/c");
    EXPECT_EQ(jobs[3].outBase, "OUT/sub/deeper/d");
    EXPECT_EQ(jobs[4].outBase, "OUT/e");  // a file named directly: its own name
    EXPECT_EQ(problems,
              (std::vector<std::string>{"No such file or folder: " + path("missing"),
                                        "Not a Velmora document (.VPG, .VTX or .BOK): " + path("in/notes.txt")}));

    // From a list, files keep their whole path: same names in different folders stay apart.
    problems.clear();
    const auto listed = collectJobs({"/arch/x/../a.VPG", "rel/dir/a.VPG"}, true, "OUT", problems);
    EXPECT_TRUE(listed.empty());  // neither exists
    EXPECT_EQ(problems.size(), 2u);
    problems.clear();
    const auto fromList = collectJobs({path("in/sub/c.Bok"), path("in/sub")}, true, "OUT", problems);
    ASSERT_EQ(fromList.size(), 3u);
    const std::string mirrored = "OUT" + path("in/sub");
    EXPECT_EQ(fromList[0].outBase, mirrored + "/c");
    EXPECT_EQ(fromList[1].outBase, mirrored + "/c");  // the same document twice: the run reports it
    EXPECT_EQ(fromList[2].outBase, mirrored + "/deeper/d");
    EXPECT_TRUE(problems.empty());
}

TEST(ConvertSlices, SharesAreDisjointAndCoverTheList)
{
    std::vector<ConvertJob> all;
    for (int i = 0; i < 10; ++i)
        all.push_back({"d" + std::to_string(i), "o" + std::to_string(i)});
    EXPECT_EQ(inputs(sliceOf(all, 1, 3)), (std::vector<std::string>{"d0", "d3", "d6", "d9"}));
    EXPECT_EQ(inputs(sliceOf(all, 2, 3)), (std::vector<std::string>{"d1", "d4", "d7"}));
    EXPECT_EQ(inputs(sliceOf(all, 3, 3)), (std::vector<std::string>{"d2", "d5", "d8"}));
    EXPECT_EQ(sliceOf(all, 1, 1).size(), 10u);
    EXPECT_EQ(sliceOf(all, 12, 12).size(), 0u);  // more jobs than documents
    EXPECT_EQ(sliceOf(all, 4, 3).size(), 0u);

    int k = 0, n = 0;
    EXPECT_TRUE(parseSlice("3/8", k, n));
    EXPECT_EQ(k, 3);
    EXPECT_EQ(n, 8);
    EXPECT_TRUE(parseSlice("1000/1000", k, n));
    for (const char* bad : {"0/3", "4/3", "3", "/3", "3/", "a/3", "3/b", "-1/3", "1/3/4", "1//3", "99999999999/1"})
        EXPECT_FALSE(parseSlice(bad, k, n)) << bad;
}

TEST_F(ConvertTest, OutputNewerThanInputIsUpToDate)
{
    touch(dir / "in.VPG");
    touch(dir / "out.pdf");
    const auto now = fs::last_write_time(path("in.VPG"));
    fs::last_write_time(path("out.pdf"), now + std::chrono::seconds(5));
    EXPECT_TRUE(upToDate(path("in.VPG"), path("out.pdf")));
    fs::last_write_time(path("out.pdf"), now - std::chrono::seconds(5));
    EXPECT_FALSE(upToDate(path("in.VPG"), path("out.pdf")));
    fs::last_write_time(path("out.pdf"), now);
    EXPECT_FALSE(upToDate(path("in.VPG"), path("out.pdf")));  // the same time: not newer
    EXPECT_FALSE(upToDate(path("in.VPG"), path("none.pdf")));
}

TEST(ConvertReport, LinesAreCompactJson)
{
    ConvertRecord r;
    r.input = "in/a \"b\"\\c.VPG";
    r.output = "out/a.pdf";
    r.status = "failed";
    r.pages = 3;
    r.files = 1;
    r.seconds = 0.12345;
    r.warnings = {"picture skipped", "tab\there"};
    r.error = "line\nbreak";
    EXPECT_EQ(
        reportLine(r),
        "{\"input\":\"in/a \\\"b\\\"\\\\c.VPG\",\"output\":\"out/a.pdf\",\"status\":\"failed\",\"pages\":3,"
        "\"files\":1,\"time\":0.123,\"warnings\":[\"picture skipped\",\"tab\\there\"],\"error\":\"line\\nbreak\"}");
    r.error.reset();
    r.warnings.clear();
    r.status = "converted";
    EXPECT_TRUE(reportLine(r).ends_with(",\"time\":0.123,\"warnings\":[],\"error\":null}")) << reportLine(r);

    // UTF-8 is kept; a byte that is not UTF-8 (a Latin-1 file name) becomes its character.
    EXPECT_EQ(jsonQuoted("\xC3\xA9t\xC3\xA9"), "\"\xC3\xA9t\xC3\xA9\"");
    EXPECT_EQ(jsonQuoted("\xE9t\xE9"), "\"\xC3\xA9t\xC3\xA9\"");
    EXPECT_EQ(jsonQuoted("\xC3"), "\"\xC3\x83\"");  // a sequence cut short
    EXPECT_EQ(jsonQuoted(std::string("\x01\x1F", 2)), "\"\\u0001\\u001f\"");
}

TEST(ConvertOptionsParse, OptionsAndUsageErrors)
{
    std::string err;
    auto o = parseConvertOptions({"-j", "3", "--format", "png", "--zoom", "150", "--force", "a", "b", "OUT"}, err);
    ASSERT_TRUE(o) << err;
    EXPECT_EQ(o->jobs, 3);
    EXPECT_EQ(o->format, ConvertFormat::Png);
    EXPECT_EQ(o->zoom, 150);
    EXPECT_TRUE(o->force);
    EXPECT_EQ(o->sources, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(o->outDir, "OUT");

    o = parseConvertOptions({"--list", "l.txt", "--slice", "2/5", "OUT"}, err);
    ASSERT_TRUE(o) << err;
    EXPECT_EQ(o->listFile, "l.txt");
    EXPECT_EQ(o->sliceIndex, 2);
    EXPECT_EQ(o->sliceCount, 5);
    EXPECT_TRUE(o->sources.empty());
    EXPECT_EQ(o->dpi, 300);
    EXPECT_EQ(o->format, ConvertFormat::Pdf);
    EXPECT_EQ(o->timeoutSeconds, 600);

    const std::pair<std::vector<std::string>, std::string> bad[] = {
        {{"OUT"}, "convert needs SOURCE... (or --list FILE) and OUTDIR"},
        {{"-j", "0", "a", "OUT"}, "The number of jobs must lie between 1 and 256"},
        {{"-j"}, "Option -j needs a value"},
        {{"--format", "tiff", "a", "OUT"}, "The format is pdf or png"},
        {{"--zoom", "150", "a", "OUT"}, "--zoom is for PNG pages (--format png)"},
        {{"--format", "png", "--dpi", "150", "a", "OUT"}, "--dpi is for PDF (--format pdf)"},
        {{"--dpi", "49", "a", "OUT"}, "The resolution must lie between 50 and 1200 dpi"},
        {{"--format", "png", "--zoom", "201", "a", "OUT"}, "The zoom must lie between 30 and 200"},
        {{"--slice", "3/2", "a", "OUT"}, "--slice needs K/N with 1 <= K <= N"},
        {{"--fast", "a", "OUT"}, "Unknown option --fast"},
        {{"--timeout", "-1", "a", "OUT"}, "--timeout needs a number of seconds (0: no limit)"},
    };
    for (const auto& [args, message] : bad) {
        err.clear();
        EXPECT_FALSE(parseConvertOptions(args, err));
        EXPECT_EQ(err, message);
    }

    // Through the command line.
    const auto cmd = parseCommandLine({"convert", "in", "OUT"}, err);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->mode, CommandLine::Mode::Convert);
    ASSERT_TRUE(cmd->convert);
    EXPECT_EQ(cmd->convert->outDir, "OUT");
}

TEST_F(ConvertTest, OneDocumentToPdfAndToPngPages)
{
    VpgWriter w;
    w.page("P1").line(LineRec(10, 10, 110, 10, 0x0000FF, 1));
    w.page("P2").line(LineRec(10, 20, 110, 20, 0, 1));
    w.page("P3").line(LineRec(10, 30, 110, 30, 0, 1));
    vrtest::writeFile(path("d.VPG"), w.bytes());

    ConvertOptions o;
    ConvertRecord r = convertDocument({path("d.VPG"), path("out/sub/d")}, o);
    EXPECT_EQ(r.status, "converted");
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.pages, 3);
    EXPECT_EQ(r.files, 1);
    EXPECT_EQ(r.output, path("out/sub/d.pdf"));
    EXPECT_EQ(pdfPages(path("out/sub/d.pdf")), 3);

    o.format = ConvertFormat::Png;
    o.zoom = 50;
    r = convertDocument({path("d.VPG"), path("png/d")}, o);
    EXPECT_EQ(r.status, "converted");
    EXPECT_EQ(r.files, 3);
    EXPECT_EQ(r.output, path("png/d-1.png"));
    for (int n = 1; n <= 3; ++n) {
        const QImage page(QString::fromStdString(path("png/d-" + std::to_string(n) + ".png")));
        EXPECT_EQ(page.size(), QSize(397, 562)) << n;  // 794 x 1123 at 50 %
    }
    // Nothing but the outputs: no temporary file left behind.
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(path("png")))
        files += e.is_regular_file();
    EXPECT_EQ(files, 3);
}

TEST_F(ConvertTest, DamagedAndMissingDocumentsFailWithTheReadersMessage)
{
    // Page 2's tag is cut short: the pages made before the fault are written (page 2 is empty),
    // and the document is reported failed.
    VpgWriter w;
    w.page("P1").line(LineRec()).page("Q");
    vrtest::writeFile(path("bad.VPG"), w.bytes());
    ConvertRecord r = convertDocument({path("bad.VPG"), path("out/bad")}, ConvertOptions{});
    EXPECT_EQ(r.status, "failed");
    EXPECT_EQ(r.error, "'' n'est pas une valeur enti\xC3\xA8re correcte");
    EXPECT_EQ(r.pages, 2);
    EXPECT_EQ(pdfPages(path("out/bad.pdf")), 2);

    r = convertDocument({path("none.VPG"), path("out/none")}, ConvertOptions{});
    EXPECT_EQ(r.status, "failed");
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.files, 0);
    EXPECT_FALSE(fs::exists(path("out/none.pdf")));

    // An output folder that cannot be made: nothing under a final name.
    touch(dir / "blocked");
    VpgWriter ok;
    ok.page("P1").line(LineRec());
    vrtest::writeFile(path("ok.VPG"), ok.bytes());
    r = convertDocument({path("ok.VPG"), path("blocked/ok")}, ConvertOptions{});
    EXPECT_EQ(r.status, "failed");
    EXPECT_EQ(r.files, 0);
}

TEST_F(ConvertTest, TemporariesOfAnInterruptedRunAreRemovedWithTheirDocumentOnly)
{
    VpgWriter w;
    w.page("P1").line(LineRec());
    vrtest::writeFile(path("a.VPG"), w.bytes());
    const char* stale[] = {".a.pdf.123.part", ".a-2.pdf.9.part", ".a-1.png.77.part", ".a-3-12.png.5.part"};
    const char* kept[] = {".ab.pdf.123.part",    ".a.pdf.part",   ".a.pdf.12x.part", ".a-x.pdf.1.part",
                          ".a-1-2-3.png.1.part", ".a.txt.1.part", "a.pdf.1.part",    ".a.pdf.1.partial"};
    for (const char* name : stale)
        touch(dir / "out" / name);
    for (const char* name : kept)
        touch(dir / "out" / name);
    const ConvertRecord r = convertDocument({path("a.VPG"), path("out/a")}, ConvertOptions{});
    EXPECT_EQ(r.status, "converted");
    for (const char* name : stale)
        EXPECT_FALSE(fs::exists(dir / "out" / name)) << name;
    for (const char* name : kept)
        EXPECT_TRUE(fs::exists(dir / "out" / name)) << name;
}
