#include "cli/convert_jobs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/json_writer.h"

namespace vr {

namespace fs = std::filesystem;

namespace {

bool endsWithNoCase(const std::string& s, const char* tail)
{
    const size_t n = std::char_traits<char>::length(tail);
    if (s.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = s[s.size() - n + i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
        if (c != tail[i])
            return false;
    }
    return true;
}

// The name without its (three-letter) document extension.
std::string withoutExtension(const std::string& name)
{
    return name.substr(0, name.size() - 4);
}

// The path's parts below OUTDIR: no root, no "." or "..".
fs::path mirrored(const fs::path& p)
{
    fs::path out;
    for (const fs::path& part : p.relative_path())
        if (part != "." && part != ".." && !part.empty())
            out /= part;
    return out;
}

void walk(const fs::path& folder, const fs::path& outFolder, std::vector<ConvertJob>& jobs,
          std::vector<std::string>& problems)
{
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    if (ec) {
        problems.push_back("Cannot read the folder " + folder.string() + ": " + ec.message());
        return;
    }
    std::vector<ConvertJob> found;
    for (; it != end; it.increment(ec)) {
        if (ec) {
            problems.push_back("Cannot read the folder " + folder.string() + ": " + ec.message());
            break;
        }
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc) || !isConvertibleName(it->path().filename().string()))
            continue;
        const fs::path rel = it->path().lexically_relative(folder);
        found.push_back({it->path().string(), (outFolder / withoutExtension(rel.string())).string()});
    }
    std::sort(found.begin(), found.end(), [](const ConvertJob& a, const ConvertJob& b) { return a.input < b.input; });
    jobs.insert(jobs.end(), found.begin(), found.end());
}

}  // namespace

bool isConvertibleName(const std::string& name)
{
    return endsWithNoCase(name, ".VPG") || endsWithNoCase(name, ".VTX") || endsWithNoCase(name, ".BOK");
}

std::vector<ConvertJob> collectJobs(const std::vector<std::string>& sources, bool fromList, const std::string& outDir,
                                    std::vector<std::string>& problems)
{
    std::vector<ConvertJob> jobs;
    const fs::path out(outDir);
    for (const std::string& source : sources) {
        const fs::path p(source);
        std::error_code ec;
        const fs::file_status st = fs::status(p, ec);
        if (fs::is_directory(st)) {
            walk(p, fromList ? out / mirrored(p) : out, jobs, problems);
        } else if (fs::is_regular_file(st)) {
            if (!isConvertibleName(p.filename().string())) {
                problems.push_back("Not a Velmora document (.VPG, .VTX or .BOK): " + source);
                continue;
            }
            const fs::path name = fromList ? mirrored(p) : p.filename();
            jobs.push_back({source, (out / withoutExtension(name.string())).string()});
        } else {
            problems.push_back("No such file or folder: " + source);
        }
    }
    return jobs;
}

std::vector<ConvertJob> sliceOf(const std::vector<ConvertJob>& all, int k, int n)
{
    std::vector<ConvertJob> share;
    if (k < 1 || n < 1 || k > n)
        return share;
    for (size_t i = static_cast<size_t>(k - 1); i < all.size(); i += static_cast<size_t>(n))
        share.push_back(all[i]);
    return share;
}

bool parseSlice(const std::string& text, int& k, int& n)
{
    const size_t slash = text.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == text.size() || slash > 9 || text.size() - slash > 10)
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != slash && (text[i] < '0' || text[i] > '9'))
            return false;
    k = std::stoi(text.substr(0, slash));
    n = std::stoi(text.substr(slash + 1));
    return k >= 1 && n >= 1 && k <= n;
}

std::string pdfOutputName(const std::string& outBase, int chapter)
{
    return chapter > 0 ? outBase + "-" + std::to_string(chapter) + ".pdf" : outBase + ".pdf";
}

std::string pngOutputName(const std::string& outBase, int chapter, int page)
{
    return chapter > 0 ? outBase + "-" + std::to_string(chapter) + "-" + std::to_string(page) + ".png"
                       : outBase + "-" + std::to_string(page) + ".png";
}

std::string primaryOutput(const ConvertJob& job, ConvertFormat format, bool book)
{
    return format == ConvertFormat::Pdf ? pdfOutputName(job.outBase, book ? 1 : 0)
                                        : pngOutputName(job.outBase, book ? 1 : 0, 1);
}

bool upToDate(const std::string& input, const std::string& output)
{
    std::error_code e1, e2;
    const auto in = fs::last_write_time(input, e1);
    const auto out = fs::last_write_time(output, e2);
    return !e1 && !e2 && out > in;
}

std::string jsonQuoted(const std::string& s)
{
    std::string out;
    appendJsonString(out, s);
    return out;
}

std::string reportLine(const ConvertRecord& r)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", r.seconds);
    std::string line = "{\"input\":" + jsonQuoted(r.input) + ",\"output\":" + jsonQuoted(r.output) +
        ",\"status\":" + jsonQuoted(r.status) + ",\"pages\":" + std::to_string(r.pages) +
        ",\"files\":" + std::to_string(r.files) + ",\"time\":" + seconds + ",\"warnings\":[";
    for (size_t i = 0; i < r.warnings.size(); ++i)
        line += (i ? "," : "") + jsonQuoted(r.warnings[i]);
    line += "],\"error\":" + (r.error ? jsonQuoted(*r.error) : std::string("null")) + "}";
    return line;
}

}  // namespace vr
