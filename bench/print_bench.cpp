// Printing the largest text document (999 pages of 40 lines) to a PDF file at 300 dpi through the
// print command's driver: pages per second, peak memory, and how much the resident memory grew
// between the 100th and the last sheet (sheets are released as they are emitted).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

#include "core/doc_stream.h"
#include "gfx/print/system/qt_printer.h"
#include "largest_text_document.h"
#include "support/doc_writer.h"
#include "viewer/viewer.h"

namespace {

double residentMB()
{
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct WholeRange : vr::PrintHost {
    double residentAt100 = 0, residentAtEnd = 0;
    bool runPrintDialog(vr::PrinterDevice&, vr::PrintRange&, int, int) override { return true; }
    bool progress(int done, int total) override
    {
        if (done == 100)
            residentAt100 = residentMB();
        if (done == total)
            residentAtEnd = residentMB();
        return true;
    }
};

void BM_PrintLargestTextDocumentToPdf(benchmark::State& st)
{
    const vrtest::Bytes& bytes = largestTextDocument();
    QTemporaryDir dir;
    vr::Viewer v;
    vr::DocStream s = vr::DocStream::fromMemory(bytes);
    v.LoadFromStream(s, false);
    if (v.state.PageCount != 999) {
        st.SkipWithError("the text document did not load whole");
        return;
    }
    WholeRange host;
    const std::string pdf = dir.filePath("out.pdf").toStdString();
    for (auto _ : st) {
        auto printer = vr::makePdfPrinter(pdf);
        vr::QtPrinterDevice device(*printer, 300);
        v.printDocument(device, host);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    st.counters["pages_per_s"] =
        benchmark::Counter(999.0 * static_cast<double>(st.iterations()), benchmark::Counter::kIsRate);
    st.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    st.counters["growth_MB_100_to_999"] = host.residentAtEnd - host.residentAt100;
    std::ifstream f(pdf, std::ios::binary | std::ios::ate);
    st.counters["pdf_MB"] = static_cast<double>(f.tellg()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_PrintLargestTextDocumentToPdf)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
