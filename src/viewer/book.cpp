// The viewer's book commands: OpenBook fills the chapter list and opens the first chapter;
// ChapterListChange opens the chapter chosen in the list.
#include <QFileInfo>

#include "core/doc_stream.h"
#include "viewer/chapter_list.h"
#include "viewer/viewer.h"

namespace vr {

namespace {

// Sets a flag for a scope and clears it however the scope ends: an error opening a chapter must
// not leave the next Open command believing it opens a chapter.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

void Viewer::OpenBook(const std::string& bookFile)
{
    if (!QFileInfo(QString::fromStdString(bookFile)).isFile())
        return;
    DocStream stream = DocStream::openFile(bookFile);
    const size_t slash = bookFile.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : bookFile.substr(0, slash + 1);
    BookFileName = bookFile;
    ChapterRecords.clear();
    ChapterList.clear();
    chapterListIndex = -1;
    // The chapter's loading starts a new list of warnings; the book's own join it afterwards.
    Diagnostics bookWarnings;
    ChapterRecords = readBook(stream, folder, &bookWarnings);
    struct Rejoin {
        Diagnostics& from;
        Diagnostics& to;
        ~Rejoin()
        {
            for (const Diagnostic& d : from.list())
                to.warn(d.what, d.offset);
        }
    } rejoin{bookWarnings, diagnostics};

    for (size_t i = 0; i < ChapterRecords.size(); ++i)
        ChapterList.push_back(chapterLine(ChapterRecords[i], static_cast<int32_t>(i)));
    if (ChapterRecords.empty())
        return;
    PadChapterItems(ChapterList, kChapterListWidth, chapterListFont());
    chapterListIndex = 0;
    if (!ChapterRecords.front().FileName.empty())
        openChapter(ChapterRecords.front());
}

void Viewer::ChapterListChange(int k)
{
    if (ChapterRecords.empty() || k < 0 || static_cast<size_t>(k) >= ChapterRecords.size())
        return;
    chapterListIndex = k;
    if (ChapterRecords[static_cast<size_t>(k)].FileName.empty())
        return;
    openChapter(ChapterRecords[static_cast<size_t>(k)]);
}

void Viewer::openChapter(const ChapterRecord& record)
{
    state.DocFileName = findChapterFile(record.FileName);
    const FlagScope opening(state.OpeningChapter);
    LoadDocument();
}

}  // namespace vr
