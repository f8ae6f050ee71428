#include "cli/convert_command.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "cli/convert_document.h"
#include "core/errors.h"
#include "core/fields.h"
#include "viewer/viewer.h"

extern char** environ;

namespace vr {

namespace {

// Documents a worker converts before it is replaced.
constexpr int kDocumentsPerWorker = 100;
constexpr int kMaxJobs = 256;

bool parseInt(const std::string& text, int& value)
{
    try {
        value = strictToInt(text);
        return true;
    } catch (const VError&) {
        return false;
    }
}

bool isBookName(const std::string& name)
{
    return documentExtension(name) == ".BOK";
}

// A worker process and the document it is on.
struct Worker {
    pid_t pid = -1;
    int toWorker = -1;  // its standard input
    int fromWorker = -1;  // its standard output
    std::string buffer;  // what it wrote after its last complete line
    std::optional<size_t> job;  // the document it is converting
    std::chrono::steady_clock::time_point since;  // when it was handed the document
    bool timedOut = false;  // stopped for taking too long
    int done = 0;
};

class Pool {
public:
    Pool(const ConvertOptions& options, std::string exe) : options_(options), exe_(std::move(exe)) { }
    ~Pool()
    {
        for (Worker& w : workers_) {
            if (w.job && w.pid > 0)
                kill(w.pid, SIGKILL);
            stop(w);
        }
    }

    // Starts a worker; false when the system cannot.
    bool start(Worker& w)
    {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0)
            return false;
        if (pipe2(out, O_CLOEXEC) != 0) {
            close(in[0]);
            close(in[1]);
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> args = {exe_,
                                         "convert",
                                         "--worker",
                                         "--format",
                                         options_.format == ConvertFormat::Pdf ? "pdf" : "png",
                                         "--zoom",
                                         std::to_string(options_.zoom),
                                         "--dpi",
                                         std::to_string(options_.dpi)};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        const int rc = posix_spawn(&pid, exe_.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        if (rc != 0) {
            close(in[1]);
            close(out[0]);
            return false;
        }
        w = Worker{};
        w.pid = pid;
        w.toWorker = in[1];
        w.fromWorker = out[0];
        return true;
    }

    // Ends the worker's input and waits for it; its exit status as waitpid gives it.
    int stop(Worker& w)
    {
        if (w.pid < 0)
            return 0;
        if (w.toWorker >= 0)
            close(w.toWorker);
        if (w.fromWorker >= 0)
            close(w.fromWorker);
        int status = 0;
        while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
        w.pid = -1;
        w.toWorker = w.fromWorker = -1;
        return status;
    }

    // Hands a document to the worker; false when the worker is gone.
    bool send(Worker& w, size_t index, const ConvertJob& job)
    {
        const std::string line = job.input + '\t' + job.outBase + '\n';
        size_t written = 0;
        while (written < line.size()) {
            const ssize_t n = write(w.toWorker, line.data() + written, line.size() - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            written += static_cast<size_t>(n);
        }
        w.job = index;
        w.since = std::chrono::steady_clock::now();
        return true;
    }

    std::vector<Worker> workers_;

private:
    const ConvertOptions& options_;
    std::string exe_;
};

std::string programPath()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("/proc/self/exe");
}

// The progress bar, redrawn on one terminal line.
class Progress {
public:
    Progress(std::ostream* out, size_t total) : out_(out), total_(total) { }
    void update(size_t done, size_t failed)
    {
        if (!out_ || total_ == 0)
            return;
        constexpr size_t kWidth = 30;
        const size_t filled = done * kWidth / total_;
        *out_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] " << done << '/' << total_
              << " documents";
        if (failed)
            *out_ << ", " << failed << " failed";
        if (done == total_)
            *out_ << '\n';
        out_->flush();
    }

private:
    std::ostream* out_;
    size_t total_;
};

ConvertRecord failedRecord(const std::string& input, const std::string& output, const std::string& error)
{
    ConvertRecord r;
    r.input = input;
    r.output = output;
    r.status = "failed";
    r.error = error;
    return r;
}

std::string describeExit(int status)
{
    if (WIFSIGNALED(status))
        return "The conversion stopped on this document (signal " + std::to_string(WTERMSIG(status)) + ")";
    return "The conversion stopped on this document (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

}  // namespace

std::string convertUsageText()
{
    return "  velmora-reader convert [-j JOBS] [--format pdf|png] [--zoom Z | --dpi D] [--force]\n"
           "                       [--timeout S] [--list FILE] [--slice K/N] SOURCE... OUTDIR\n"
           "                                        convert every .VPG, .VTX and .BOK under the\n"
           "                                        SOURCE files and folders (and those listed in\n"
           "                                        FILE, one a line) into OUTDIR: PDF sheets at D\n"
           "                                        dpi (default 300), or PNG pages at Z percent\n"
           "                                        (default 100); a book gives one PDF per chapter.\n"
           "                                        JOBS workers (default: one per core); documents\n"
           "                                        whose output is newer are skipped unless\n"
           "                                        --force; --slice K/N takes every Nth document\n"
           "                                        from the Kth. A document taking longer than S\n"
           "                                        seconds (default 600, 0: no limit) fails. One\n"
           "                                        JSON line per document on standard output\n";
}

std::optional<ConvertOptions> parseConvertOptions(const std::vector<std::string>& args, std::string& usageError)
{
    ConvertOptions o;
    std::vector<std::string> positional;
    bool zoomGiven = false, dpiGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue =
            a == "-j" || a == "--format" || a == "--zoom" || a == "--dpi" || a == "--list" || a == "--slice";
        if (takesValue && i + 1 >= args.size()) {
            usageError = "Option " + a + " needs a value";
            return std::nullopt;
        }
        if (a == "-j") {
            if (!parseInt(args[++i], o.jobs) || o.jobs < 1 || o.jobs > kMaxJobs) {
                usageError = "The number of jobs must lie between 1 and " + std::to_string(kMaxJobs);
                return std::nullopt;
            }
        } else if (a == "--format") {
            const std::string& f = args[++i];
            if (f != "pdf" && f != "png") {
                usageError = "The format is pdf or png";
                return std::nullopt;
            }
            o.format = f == "pdf" ? ConvertFormat::Pdf : ConvertFormat::Png;
        } else if (a == "--zoom") {
            if (!parseInt(args[++i], o.zoom) || o.zoom < 30 || o.zoom > 200) {
                usageError = "The zoom must lie between 30 and 200";
                return std::nullopt;
            }
            zoomGiven = true;
        } else if (a == "--dpi") {
            if (!parseInt(args[++i], o.dpi) || o.dpi < 50 || o.dpi > 1200) {
                usageError = "The resolution must lie between 50 and 1200 dpi";
                return std::nullopt;
            }
            dpiGiven = true;
        } else if (a == "--timeout") {
            if (!parseInt(args[++i], o.timeoutSeconds) || o.timeoutSeconds < 0) {
                usageError = "--timeout needs a number of seconds (0: no limit)";
                return std::nullopt;
            }
        } else if (a == "--list") {
            o.listFile = args[++i];
        } else if (a == "--slice") {
            if (!parseSlice(args[++i], o.sliceIndex, o.sliceCount)) {
                usageError = "--slice needs K/N with 1 <= K <= N";
                return std::nullopt;
            }
        } else if (a == "--force") {
            o.force = true;
        } else if (a == "--worker") {
            o.worker = true;
        } else if (a.size() > 1 && a[0] == '-') {
            usageError = "Unknown option " + a;
            return std::nullopt;
        } else {
            positional.push_back(a);
        }
    }
    if (o.worker)
        return o;
    if (zoomGiven && o.format != ConvertFormat::Png) {
        usageError = "--zoom is for PNG pages (--format png)";
        return std::nullopt;
    }
    if (dpiGiven && o.format != ConvertFormat::Pdf) {
        usageError = "--dpi is for PDF (--format pdf)";
        return std::nullopt;
    }
    if (positional.empty() || (positional.size() < 2 && o.listFile.empty())) {
        usageError = "convert needs SOURCE... (or --list FILE) and OUTDIR";
        return std::nullopt;
    }
    o.outDir = positional.back();
    positional.pop_back();
    o.sources = std::move(positional);
    return o;
}

int runConvertWorker(const ConvertOptions& options, std::istream& in, std::ostream& out)
{
    for (std::string line; std::getline(in, line);) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const ConvertJob job{line.substr(0, tab), line.substr(tab + 1)};
        out << reportLine(convertDocument(job, options)) << '\n';
        out.flush();
    }
    return kExitOk;
}

int runConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err)
{
    std::vector<ConvertRecord> early;  // sources that are not there, or not documents
    std::vector<std::string> problems;
    std::vector<ConvertJob> all = collectJobs(options.sources, false, options.outDir, problems);
    if (!options.listFile.empty()) {
        std::ifstream list(options.listFile);
        if (!list) {
            err << "Cannot read the list " << options.listFile << '\n';
            return kExitError;
        }
        std::vector<std::string> listed;
        for (std::string line; std::getline(list, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                listed.push_back(line);
        }
        const auto more = collectJobs(listed, true, options.outDir, problems);
        all.insert(all.end(), more.begin(), more.end());
    }
    // Problems with the sources belong to the first job only, so that a split run reports each once.
    if (options.sliceIndex == 1)
        for (const std::string& p : problems)
            early.push_back(failedRecord("", "", p));
    const std::vector<ConvertJob> jobs = sliceOf(all, options.sliceIndex, options.sliceCount);

    size_t failed = 0, finished = 0;
    const auto report = [&](const ConvertRecord& r) {
        out << reportLine(r) << '\n';
        out.flush();
    };
    for (const ConvertRecord& r : early) {
        report(r);
        ++failed;
    }

    // What is left to do: not up to date, and not writing over another document's output.
    std::vector<size_t> pending;
    std::map<std::string, std::string> outputs;
    const bool terminal = &err == &std::cerr && isatty(STDERR_FILENO) == 1;
    Progress progress(terminal ? &err : nullptr, jobs.size());
    std::vector<std::string> primary(jobs.size());
    for (size_t i = 0; i < jobs.size(); ++i) {
        primary[i] = primaryOutput(jobs[i], options.format, isBookName(jobs[i].input));
        const auto [it, fresh] = outputs.emplace(primary[i], jobs[i].input);
        if (jobs[i].input.find_first_of("\t\n") != std::string::npos ||
            jobs[i].outBase.find_first_of("\t\n") != std::string::npos) {
            report(failedRecord(jobs[i].input, primary[i], "The name holds a tab or a line break"));
            ++failed;
            ++finished;
        } else if (!fresh) {
            report(
                failedRecord(jobs[i].input, primary[i], "The output " + primary[i] + " is also that of " + it->second));
            ++failed;
            ++finished;
        } else if (!options.force && upToDate(jobs[i].input, primary[i])) {
            ConvertRecord r;
            r.input = jobs[i].input;
            r.output = primary[i];
            r.status = "skipped";
            report(r);
            ++finished;
        } else {
            pending.push_back(i);
        }
    }
    progress.update(finished, failed);

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t workerCount =
        std::min(pending.size(), static_cast<size_t>(options.jobs > 0 ? options.jobs : static_cast<int>(cores)));
    std::signal(SIGPIPE, SIG_IGN);  // a worker that dies leaves a pipe with no reader
    Pool pool(options, programPath());
    pool.workers_.resize(workerCount);
    size_t next = 0;
    // A worker slot that cannot start a process after a few tries is given up; documents no worker
    // could take are reported failed at the end.
    std::string startError = "no worker process";
    const auto giveWork = [&](Worker& w) {
        for (int attempt = 0; next < pending.size() && attempt < 3;) {
            if (w.pid < 0 && !pool.start(w)) {
                startError = std::strerror(errno);
                ++attempt;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                continue;
            }
            const size_t index = pending[next];
            if (pool.send(w, index, jobs[index])) {
                ++next;
                return;
            }
            // The worker died before it took the document: the document goes to the next one.
            pool.stop(w);
            ++attempt;
        }
        pool.stop(w);
    };
    for (Worker& w : pool.workers_)
        giveWork(w);

    while (true) {
        std::vector<pollfd> fds;
        std::vector<Worker*> owners;
        for (Worker& w : pool.workers_)
            if (w.pid >= 0) {
                fds.push_back({w.fromWorker, POLLIN, 0});
                owners.push_back(&w);
            }
        if (fds.empty())
            break;
        // A worker past the time limit is stopped: its document fails as if it had crashed.
        int waitMs = -1;
        if (options.timeoutSeconds > 0) {
            const auto now = std::chrono::steady_clock::now();
            for (Worker* w : owners) {
                if (!w->job)
                    continue;
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                      w->since + std::chrono::seconds(options.timeoutSeconds) - now)
                                      .count();
                if (left <= 0) {
                    kill(w->pid, SIGKILL);
                    w->timedOut = true;
                }
                const int ms = static_cast<int>(std::clamp<long long>(left, 0, 60000));
                waitMs = waitMs < 0 ? ms : std::min(waitMs, ms);
            }
        }
        if (poll(fds.data(), fds.size(), waitMs) < 0) {
            if (errno == EINTR)
                continue;
            err << "Cannot wait for the workers: " << std::strerror(errno) << '\n';
            return kExitError;
        }
        for (size_t f = 0; f < fds.size(); ++f) {
            if (!(fds[f].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Worker& w = *owners[f];
            char buf[65536];
            const ssize_t n = read(w.fromWorker, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                // The worker is gone: the document it was on failed with it.
                const int status = pool.stop(w);
                if (w.job) {
                    report(failedRecord(jobs[*w.job].input, primary[*w.job],
                                        w.timedOut ? "The conversion took longer than " +
                                                std::to_string(options.timeoutSeconds) + " seconds"
                                                   : describeExit(status)));
                    ++failed;
                    ++finished;
                    w.job.reset();
                    progress.update(finished, failed);
                }
                giveWork(w);
                continue;
            }
            w.buffer.append(buf, static_cast<size_t>(n));
            size_t eol;
            while ((eol = w.buffer.find('\n')) != std::string::npos) {
                const std::string line = w.buffer.substr(0, eol);
                w.buffer.erase(0, eol + 1);
                if (!w.job || line.empty() || line[0] != '{')
                    continue;
                out << line << '\n';
                out.flush();
                if (line.find(",\"status\":\"failed\",") != std::string::npos)
                    ++failed;
                ++finished;
                w.job.reset();
                ++w.done;
                progress.update(finished, failed);
                if (w.done >= kDocumentsPerWorker)
                    pool.stop(w);
                giveWork(w);
            }
        }
    }
    for (; next < pending.size(); ++next) {
        const size_t index = pending[next];
        report(failedRecord(jobs[index].input, primary[index], "Cannot start a worker process: " + startError));
        ++failed;
        progress.update(++finished, failed);
    }
    return failed == 0 ? kExitOk : kExitError;
}

}  // namespace vr
