#include "sample_book.h"

#include "persian_codes.h"
#include "support/doc_writer.h"
#include "support/media_writer.h"

namespace samples {

namespace {

using vrtest::LineRec;

// The chapters are named as the editor stored them, with its folders and in other cases than the
// files have: the reader finds them in the book's folder all the same. The titles are in the
// sample faces' codes. The letter has no title:
// the list shows its number and the word for chapter. The third chapter's file is not there.
vrtest::Bytes book()
{
    return vrtest::bookFile({
        {"C:\\VELMORA\\LIVRE\\Tour.vpg", persianCodes(U"سیر در صفحات"), "1", "0", "0"},
        {"C:\\VELMORA\\LIVRE\\LETTER.VTX", "", "2", "0", "0"},
        {"C:\\VELMORA\\LIVRE\\CHAPTER3.VPG", persianCodes(U"فصل سوم"), "3", "0", "0"},
    });
}

// One page: a player of the synthesised chime in a frame of lines.
vrtest::Bytes media()
{
    vrtest::VpgWriter w;
    w.page("P1");
    const uint32_t blue = 0xA06000;
    w.line(LineRec(180, 180, 614, 180, blue, 3, "0", "FN"));
    w.line(LineRec(614, 180, 614, 520, blue, 3, "0", "FN"));
    w.line(LineRec(614, 520, 180, 520, blue, 3, "0", "FN"));
    w.line(LineRec(180, 520, 180, 180, blue, 3, "0", "FN"));
    // Left 247, Height 160, Top 270, Width 300; automatic device; the editor's path.
    w.object(
        "TDPlayer",
        vrtest::playerRecord(vrtest::PlayerRec{"247", "160", "270", "300", "1", "C:\\VELMORA\\SONS\\Media-Chime.WAV"}));
    return w.bytes();
}

}  // namespace

void writeBookSamples(const std::string& folder)
{
    vrtest::writeFile(folder + "/book.BOK", book());
    vrtest::writeFile(folder + "/media.VPG", media());
    vrtest::writeFile(folder + "/media-chime.wav", vrtest::chimeWav(1500, 11025));
}

}  // namespace samples
