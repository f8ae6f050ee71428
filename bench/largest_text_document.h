// The largest text document the benchmarks read and print: 999 pages (a page count holds three
// digits), each of 40 lines of 3 runs set from the right margin.
#pragma once
#include <string>

#include "support/doc_writer.h"

inline const vrtest::Bytes& largestTextDocument()
{
    static const vrtest::Bytes bytes = [] {
        vrtest::Bytes records;
        for (int l = 0; l < 40; ++l)
            vrtest::append(records, vrtest::textLineRecord(std::to_string(l * 3), "3", "0", "4"));
        for (int r = 0; r < 120; ++r) {
            vrtest::RunRec run;
            run.text = r % 3 == 0 ? "\xC7\xE1\xD3\xE1\xC7\xE3" : "\xD9\xE1\xED\xDF\xE3";
            run.size = r % 3 == 1 ? "16" : "14";
            run.style = r % 3 == 2 ? "1" : "0";
            vrtest::append(records, vrtest::runRecord(run));
        }
        vrtest::Bytes pages;
        for (int p = 0; p < 999; ++p)
            vrtest::append(pages, vrtest::textPage("40", "120", records));
        return vrtest::vtxDocument("0", "999", pages);
    }();
    return bytes;
}
