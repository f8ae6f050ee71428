// Whole convert runs of the program: a folder with a damaged document, the report, resuming after
// the run was killed, and split runs from a list.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "cli_run.h"
#include "support/doc_writer.h"

using vrtest::LineRec;
using vrtest::VpgWriter;

namespace {

namespace fs = std::filesystem;
using ConvertRunTest = vrtest::CliFolderTest;

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Starts the program in a process group of its own, standard output to `outFile`.
pid_t start(const std::vector<std::string>& args, const std::string& outFile)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        const int fd = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(VR_READER_EXE)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(VR_READER_EXE, argv.data());
        _exit(127);
    }
    return pid;
}

int finish(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Line {
    std::string input, output, status, error;
    int pages = -1;
};

// The report's lines by input (the order of a parallel run is the order of completion).
std::map<std::string, Line> report(const std::string& text, size_t* count = nullptr)
{
    static const std::regex field(
        R"re(^\{"input":"([^"]*)","output":"([^"]*)","status":"(\w+)","pages":(\d+),"files":\d+,"time":[0-9.]+,"warnings":\[.*\],"error":(null|"(.*)")\}$)re");
    std::map<std::string, Line> lines;
    std::istringstream in(text);
    size_t n = 0;
    for (std::string s; std::getline(in, s); ++n) {
        std::smatch m;
        EXPECT_TRUE(std::regex_match(s, m, field)) << s;
        if (m.empty())
            continue;
        lines[m[1]] = Line{m[1], m[2], m[3], m[6], std::stoi(m[4])};
    }
    if (count)
        *count = n;
    return lines;
}

void writeDocument(const std::string& path, int pages)
{
    fs::create_directories(fs::path(path).parent_path());
    VpgWriter w;
    for (int p = 1; p <= pages; ++p)
        w.page("P" + std::to_string(p)).line(LineRec(10, 10 * p, 300, 10 * p, 0x0000FF * (p % 2), 2));
    vrtest::writeFile(path, w.bytes());
}

// A PDF that was written to its end.
bool completePdf(const std::string& path)
{
    const std::string pdf = readAll(path);
    return pdf.rfind("%PDF", 0) == 0 && pdf.find("%%EOF", pdf.size() > 16 ? pdf.size() - 16 : 0) != std::string::npos;
}

}  // namespace

TEST_F(ConvertRunTest, AFolderWithADamagedDocumentIsConvertedAndReported)
{
    writeDocument(path("in/a.VPG"), 2);
    writeDocument(path("in/sub/b.vpg"), 3);
    VpgWriter bad;
    bad.page("P1").line(LineRec()).page("Q");  // the second page's tag is cut short
    vrtest::writeFile(path("in/sub/bad.VPG"), bad.bytes());
    vrtest::writeFile(path("in/sub/garbage.VTX"), vrtest::Bytes(100, 0xFF));
    vrtest::writeFile(path("in/readme.txt"), vrtest::Bytes(10, 'x'));

    const pid_t pid = start({"convert", "-j", "2", "--dpi", "72", path("in"), path("out")}, path("r1.jsonl"));
    EXPECT_EQ(finish(pid), 1);  // not everything converted
    size_t count = 0;
    auto lines = report(readAll(path("r1.jsonl")), &count);
    EXPECT_EQ(count, 4u);
    const Line& a = lines[path("in/a.VPG")];
    EXPECT_EQ(a.status, "converted");
    EXPECT_EQ(a.pages, 2);
    EXPECT_EQ(a.output, path("out/a.pdf"));
    EXPECT_EQ(lines[path("in/sub/b.vpg")].status, "converted");
    EXPECT_EQ(lines[path("in/sub/b.vpg")].pages, 3);
    EXPECT_EQ(lines[path("in/sub/bad.VPG")].status, "failed");
    EXPECT_EQ(lines[path("in/sub/bad.VPG")].pages, 2);
    EXPECT_EQ(lines[path("in/sub/bad.VPG")].error, "'' n'est pas une valeur enti\xC3\xA8re correcte");
    EXPECT_EQ(lines[path("in/sub/garbage.VTX")].status, "failed");
    EXPECT_FALSE(lines[path("in/sub/garbage.VTX")].error.empty());
    EXPECT_TRUE(completePdf(path("out/a.pdf")));
    EXPECT_TRUE(completePdf(path("out/sub/b.pdf")));

    // Again: what was converted is up to date; the failed ones are tried again only when their
    // output is missing (the damaged one wrote its first page).
    EXPECT_EQ(finish(start({"convert", path("in"), path("out")}, path("r2.jsonl"))), 1);
    lines = report(readAll(path("r2.jsonl")));
    EXPECT_EQ(lines[path("in/a.VPG")].status, "skipped");
    EXPECT_EQ(lines[path("in/sub/b.vpg")].status, "skipped");
    EXPECT_EQ(lines[path("in/sub/bad.VPG")].status, "skipped");
    EXPECT_EQ(lines[path("in/sub/garbage.VTX")].status, "failed");

    // --force converts everything again; only the good ones: exit status 0.
    fs::remove(path("in/sub/bad.VPG"));
    fs::remove(path("in/sub/garbage.VTX"));
    EXPECT_EQ(finish(start({"convert", "--force", "--dpi", "72", path("in"), path("out")}, path("r3.jsonl"))), 0);
    lines = report(readAll(path("r3.jsonl")));
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[path("in/a.VPG")].status, "converted");
}

TEST_F(ConvertRunTest, AKilledRunLeavesNoHalfWrittenOutputAndResumes)
{
    constexpr int kDocuments = 6;
    for (int i = 0; i < kDocuments; ++i)
        writeDocument(path("in/d" + std::to_string(i) + ".VPG"), 8);
    const pid_t pid = start({"convert", "-j", "1", "--dpi", "300", path("in"), path("out")}, path("r1.jsonl"));
    // Killed, workers and all, once the first document is reported.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (readAll(path("r1.jsonl")).find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(-pid, SIGKILL);
    finish(pid);

    int complete = 0;
    for (const auto& e : fs::directory_iterator(path("out"))) {
        const std::string name = e.path().filename().string();
        if (name.size() > 4 && name.substr(name.size() - 4) == ".pdf") {
            EXPECT_TRUE(completePdf(e.path().string())) << name;
            ++complete;
        } else {
            EXPECT_EQ(name[0], '.') << name;  // only a hidden temporary file besides
        }
    }
    EXPECT_GE(complete, 1);
    EXPECT_LT(complete, kDocuments);

    EXPECT_EQ(finish(start({"convert", "-j", "2", "--dpi", "72", path("in"), path("out")}, path("r2.jsonl"))), 0);
    size_t count = 0;
    const auto lines = report(readAll(path("r2.jsonl")), &count);
    EXPECT_EQ(count, static_cast<size_t>(kDocuments));
    int skipped = 0;
    for (const auto& [input, line] : lines) {
        skipped += line.status == "skipped";
        EXPECT_NE(line.status, "failed") << input;
        EXPECT_TRUE(completePdf(line.output)) << line.output;
    }
    EXPECT_EQ(skipped, complete);
    // The killed run's temporary file went with the document it belonged to.
    for (const auto& e : fs::directory_iterator(path("out")))
        EXPECT_TRUE(e.path().extension() == ".pdf") << e.path();
}

TEST_F(ConvertRunTest, SlicesOfAListShareTheDocuments)
{
    std::ofstream list(path("list.txt"));
    for (int i = 0; i < 5; ++i) {
        // The same name in different folders: the outputs keep the folders apart.
        writeDocument(path("in/f" + std::to_string(i) + "/doc.VPG"), 1);
        list << path("in/f" + std::to_string(i) + "/doc.VPG") << '\n';
    }
    list << path("in/missing.VPG") << '\n';
    list.close();

    std::map<std::string, Line> all;
    for (int k = 1; k <= 2; ++k) {
        const std::string slice = std::to_string(k) + "/2";
        const std::string name = path("r" + std::to_string(k) + ".jsonl");
        EXPECT_EQ(
            finish(start({"convert", "--list", path("list.txt"), "--slice", slice, "--dpi", "72", path("out")}, name)),
            k == 1 ? 1 : 0);  // the list's problem is the first share's
        size_t count = 0;
        const auto lines = report(readAll(name), &count);
        // Documents 0, 2, 4 in the first share (and the list's problem), 1, 3 in the second.
        EXPECT_EQ(count, k == 1 ? 4u : 2u) << slice;
        for (const auto& [input, line] : lines) {
            EXPECT_EQ(all.count(input), 0u) << input;
            all[input] = line;
        }
    }
    for (int i = 0; i < 5; ++i) {
        const Line& l = all[path("in/f" + std::to_string(i) + "/doc.VPG")];
        EXPECT_EQ(l.status, "converted") << i;
        EXPECT_EQ(l.output, path("out") + path("in/f" + std::to_string(i) + "/doc.pdf"));
        EXPECT_TRUE(completePdf(l.output));
    }
    EXPECT_EQ(all[""].error, "No such file or folder: " + path("in/missing.VPG"));
}

TEST_F(ConvertRunTest, ADocumentPastTheTimeLimitFailsAndTheRunGoesOn)
{
    writeDocument(path("in/a-long.VPG"), 300);  // 300 sheets at 600 dpi: far more than 3 seconds
    writeDocument(path("in/b-short.VPG"), 1);
    EXPECT_EQ(finish(start({"convert", "-j", "1", "--timeout", "3", "--dpi", "600", path("in"), path("out")},
                           path("r.jsonl"))),
              1);
    auto lines = report(readAll(path("r.jsonl")));
    EXPECT_EQ(lines[path("in/a-long.VPG")].status, "failed");
    EXPECT_EQ(lines[path("in/a-long.VPG")].error, "The conversion took longer than 3 seconds");
    EXPECT_FALSE(fs::exists(path("out/a-long.pdf")));
    // The next document goes to a new worker.
    EXPECT_EQ(lines[path("in/b-short.VPG")].status, "converted") << lines[path("in/b-short.VPG")].error;
    EXPECT_TRUE(completePdf(path("out/b-short.pdf")));
}
