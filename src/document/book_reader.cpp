#include "document/book_reader.h"

#include <QDir>
#include <QFileInfo>

#include "core/diagnostics.h"
#include "core/doc_stream.h"
#include "core/fields.h"

namespace vr {

std::string fileNamePart(const std::string& name)
{
    const size_t sep = name.find_last_of("\\/:");
    return sep == std::string::npos ? name : name.substr(sep + 1);
}

std::vector<ChapterRecord> readBook(DocStream& s, const std::string& bookFolder, Diagnostics* diagnostics)
{
    s.seek(0);
    uint8_t header[kBookHeaderSize];
    s.readFixed(header, sizeof header);
    std::vector<ChapterRecord> chapters;
    // The count field may run to 255 characters, still inside the header.
    if (header[kBookCountOffset] == 0)
        return chapters;
    const int32_t count = numericField(header + kBookCountOffset, 255);
    for (int32_t i = 0; i < count; ++i) {
        if (s.remaining() == 0) {
            // The count is not trusted: a file announcing two billion chapters holds a few.
            warnTo(diagnostics,
                   "the book announces " + std::to_string(count) + " chapters and holds " + std::to_string(i),
                   static_cast<int64_t>(s.size()));
            break;
        }
        uint8_t entry[kChapterEntrySize];
        s.readFixed(entry, sizeof entry);
        ChapterRecord r;
        r.EntryName = countedText(entry, 120);
        const std::string part = fileNamePart(r.EntryName);
        r.FileName = part.empty() ? std::string() : bookFolder + part;
        r.Title = countedText(entry + 121, 255);
        for (size_t k = 0; k < 3; ++k)
            r.Kept[k] = countedText(entry + 377 + 5 * k, 4);
        chapters.push_back(std::move(r));
    }
    return chapters;
}

std::string findChapterFile(const std::string& fileName)
{
    if (fileName.empty())
        return fileName;
    const QFileInfo info(QString::fromStdString(fileName));
    if (info.isFile())
        return fileName;
    const QString wanted = info.fileName();
    const QDir dir = info.dir();
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return fileName.substr(0, fileName.size() - fileNamePart(fileName).size()) + entry.toStdString();
    }
    return fileName;
}

}  // namespace vr
