#include "core/diagnostics.h"
#include "core/doc_stream.h"
#include "core/errors.h"
#include "document/book_reader.h"
#include "entries/entries.h"
#include "viewer/chapter_list.h"

namespace vr::fuzz {

void book(const uint8_t* data, size_t size)
{
    DocStream stream = DocStream::fromMemory(data, size);
    Diagnostics diagnostics;
    try {
        const std::vector<ChapterRecord> chapters = readBook(stream, "/book/", &diagnostics);
        // Only the entries the file holds are read.
        if (chapters.size() > size / kChapterEntrySize + 1)
            __builtin_trap();
        for (size_t i = 0; i < chapters.size(); ++i)
            (void)chapterLine(chapters[i], static_cast<int32_t>(i));
    } catch (const VError&) {
    }
}

}  // namespace vr::fuzz
