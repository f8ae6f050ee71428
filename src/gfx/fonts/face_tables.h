// What the reader takes from a face's own tables: the Windows line height (OS/2 usWinAscent and
// usWinDescent) that fixes the em of a cell height, the average character width, and the line
// metrics of the platform's text output at a size. Both the suite's 8-bit faces and other
// programs' Unicode faces are measured this way.
#pragma once
#include <QByteArray>
#include <QRawFont>

namespace vr {

// Big-endian table fields; 0 when the table is too short.
int tableU16(const QByteArray& table, int offset);
int tableS16(const QByteArray& table, int offset);

// usWinAscent + usWinDescent in font units; 0 when the OS/2 table lacks them.
int windowsLineHeight(const QByteArray& os2);
// xAvgCharWidth in font units; 0 when the OS/2 table lacks it or it is not positive.
int averageCharWidth(const QByteArray& os2);

// Line metrics in pixels at `scale` pixels per font unit: ascent and descent from the Windows
// values (the face's own, then a fifth of `px` below the baseline, when the table lacks them),
// halves rounded up; underline and strike-out bars (top relative to the baseline, positive
// downwards) from the post and OS/2 tables.
struct LineMetrics {
    int ascent = 0, descent = 0;
    int underlineTop = 1, underlineThickness = 1;
    int strikeTop = -3, strikeThickness = 1;
};
LineMetrics lineMetrics(const QRawFont& face, const QByteArray& os2, const QByteArray& post, double scale, int px);

}  // namespace vr
