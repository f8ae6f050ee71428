// Fuzz target for the book reader: any input must end in the chapter records the file holds or
// the conversion error, and the chapter list's lines must be made from what was read.
#include <cstddef>
#include <cstdint>

#include "core/diagnostics.h"
#include "core/doc_stream.h"
#include "core/errors.h"
#include "document/book_reader.h"
#include "viewer/chapter_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vr::DocStream stream = vr::DocStream::fromMemory(data, size);
    vr::Diagnostics diagnostics;
    try {
        const std::vector<vr::ChapterRecord> chapters = vr::readBook(stream, "/book/", &diagnostics);
        if (chapters.size() > size / vr::kChapterEntrySize + 1)
            __builtin_trap();
        for (size_t i = 0; i < chapters.size(); ++i)
            (void)vr::chapterLine(chapters[i], static_cast<int32_t>(i));
    } catch (const vr::VError&) {
    }
    return 0;
}
