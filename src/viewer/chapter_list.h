// The lines of the chapter list: titles in the keyboard font, or a Persian number and the word
// for "chapter" when an entry has none, padded with leading spaces so that right-to-left titles
// stand at the right end of a control that aligns its text to the left.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/fonts/font_request.h"

namespace vr {

struct ChapterRecord;

// The chapter list's font: "ZR Keyb", 13 pixels, bold.
FontRequest chapterListFont();
// The chapter list's width in the tool bar.
inline constexpr int kChapterListWidth = 523;

// Persian digits of the keyboard font: 0 is the single code 0x2D; otherwise the first four
// characters of the decimal text, each character c written as c - 3.
std::string PersianNumber(int32_t n);

// The line of chapter i (from 0): its title, or PersianNumber(i), a space and 0xB3 0x86 0x9D.
std::string chapterLine(const ChapterRecord& record, int32_t i);

// The width in pixels of 8-bit text drawn in `font` on a screen canvas (96 pixels per inch);
// 0 when it cannot be measured.
int TextWidthOf(const std::string& text, const FontRequest& font);

// Puts spaces before each line while the control's width less 30 exceeds the line's width. Each
// line is measured once; the spaces added are counted with the width of one space. A font in
// which a space has no width leaves the lines as they are.
void PadChapterItems(std::vector<std::string>& lines, int controlWidth, const FontRequest& font);

}  // namespace vr
