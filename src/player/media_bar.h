// The media bar of a player: nine buttons side by side (play, pause, stop, next, previous, step,
// back, record, eject), drawn on a Canvas so that the window, PNG output and the recording canvas
// show the same bar. Buttons that cannot act are drawn greyed.
#pragma once
#include <array>

#include "gfx/canvas/canvas.h"

namespace vr {

enum class MediaButton { Play, Pause, Stop, Next, Prev, Step, Back, Record, Eject };
inline constexpr int kMediaButtonCount = 9;
using MediaButtons = std::array<bool, kMediaButtonCount>;

const char* mediaButtonName(MediaButton b);

// Where a clip stands, as far as the buttons care.
enum class ClipState { Closed, Opening, Open, Failed };
enum class PlayState { Stopped, Playing, Paused };

// Which buttons act: none unless the clip is open; play when not playing; pause and stop while
// playing or paused (pause then resumes); previous, next, step and back whenever open. Recording
// and ejecting mean nothing for a file: never.
MediaButtons mediaButtonsEnabled(ClipState clip, PlayState play);

// Button i of a bar of the given size, in the bar's coordinates: the width is shared out so that
// the buttons fill the bar exactly.
IRect mediaButtonRect(int barWidth, int barHeight, int i);
// The button at (x, y) of the bar, or -1.
int mediaButtonAt(int barWidth, int barHeight, int x, int y);

// Draws the bar in the rectangle `bar` of the canvas; `pressed` is drawn pushed in (-1 none).
void drawMediaBar(Canvas& c, const IRect& bar, const MediaButtons& enabled, int pressed = -1);

}  // namespace vr
