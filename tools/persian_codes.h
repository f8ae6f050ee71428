// The 8-bit codes of the sample faces (QV_Hazel, QV_Elmar, ZR Keyb, built from a libre Persian
// font by tools/make_sample_fonts.py): the suite's faces carry each Persian letter form on a code
// of its own, and the editor stores text already shaped, in drawing order (left to right). This
// table is ours and serves only the samples:
//
//   00-7F  ASCII as it is (Latin letters, digits, punctuation, space)
//   80-F3  the letters, each in turn with its forms: isolated, final, initial, medial; a letter
//          that joins only on its right has the first two
//            80-81 alef      82-83 alef madda  84-87 be    88-8B pe    8C-8F te    90-93 se
//            94-97 jim       98-9B che         9C-9F he    A0-A3 khe   A4-A5 dal   A6-A7 zal
//            A8-A9 re        AA-AB ze          AC-AD zhe   AE-B1 sin   B2-B5 shin  B6-B9 sad
//            BA-BD zad       BE-C1 ta          C2-C5 za    C6-C9 ain   CA-CD ghain CE-D1 fe
//            D2-D5 qaf       D6-D9 kaf         DA-DD gaf   DE-E1 lam   E2-E5 mim   E6-E9 nun
//            EA-EB vav       EC-EF he          F0-F3 ye
//   F4-FD  the Persian digits 0 to 9
//   FE-FF  lam with alef, isolated and final
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace samples {

// Each code from 0x80 with the Unicode presentation form (or digit) its glyph shows.
std::vector<std::pair<uint8_t, char32_t>> persianCodeTable();

// Persian text (Unicode, in reading order) in the sample faces' codes: letters take the form
// their neighbours ask for, lam followed by alef becomes their ligature, a zero-width non-joiner
// parts two letters and takes no code, and the result is reversed into drawing order (a number's
// digits keep theirs). Characters below 0x80 pass as they are; others are dropped.
std::string persianCodes(const std::u32string& text);

}  // namespace samples
