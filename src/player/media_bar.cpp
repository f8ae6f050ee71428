#include "player/media_bar.h"

namespace vr {

namespace {

constexpr Color kFace = 0xC0C0C0;
constexpr Color kShadow = 0x808080;
constexpr Color kGreen = rgbColor(0, 128, 0);
constexpr Color kRed = rgbColor(192, 0, 0);

void segment(Canvas& c, int x0, int y0, int x1, int y1)
{
    c.moveTo(x0, y0);
    c.lineTo(x1, y1);
}

void fill(Canvas& c, int l, int t, int r, int b, Color col)
{
    c.fillRect(IRect{l, t, r, b}, col);
}

void triangle(Canvas& c, IPoint a, IPoint b, IPoint d, Color col)
{
    c.pen = Pen{col};
    c.brush = Brush{col, BrushStyle::Solid};
    c.polygon({a, b, d});
}

// The glyph of a button centred on (x, y).
void glyph(Canvas& c, MediaButton b, int x, int y, Color ink, bool useColour)
{
    const Color colour = !useColour ? ink : b == MediaButton::Play ? kGreen : b == MediaButton::Record ? kRed : ink;
    switch (b) {
    case MediaButton::Play:
        triangle(c, {x - 2, y - 4}, {x + 2, y}, {x - 2, y + 4}, colour);
        break;
    case MediaButton::Pause:
        fill(c, x - 3, y - 4, x - 1, y + 5, colour);
        fill(c, x + 1, y - 4, x + 3, y + 5, colour);
        break;
    case MediaButton::Stop:
        fill(c, x - 3, y - 3, x + 4, y + 4, colour);
        break;
    case MediaButton::Next:
        triangle(c, {x - 3, y - 4}, {x + 1, y}, {x - 3, y + 4}, colour);
        fill(c, x + 2, y - 4, x + 4, y + 5, colour);
        break;
    case MediaButton::Prev:
        fill(c, x - 4, y - 4, x - 2, y + 5, colour);
        triangle(c, {x + 3, y - 4}, {x - 1, y}, {x + 3, y + 4}, colour);
        break;
    case MediaButton::Step:
        triangle(c, {x - 4, y - 3}, {x - 1, y}, {x - 4, y + 3}, colour);
        triangle(c, {x, y - 3}, {x + 3, y}, {x, y + 3}, colour);
        break;
    case MediaButton::Back:
        triangle(c, {x + 3, y - 3}, {x, y}, {x + 3, y + 3}, colour);
        triangle(c, {x - 1, y - 3}, {x - 4, y}, {x - 1, y + 3}, colour);
        break;
    case MediaButton::Record:
        c.pen = Pen{colour};
        c.brush = Brush{colour, BrushStyle::Solid};
        c.ellipse(IRect{x - 3, y - 3, x + 4, y + 4});
        break;
    case MediaButton::Eject:
        triangle(c, {x - 4, y + 1}, {x, y - 3}, {x + 4, y + 1}, colour);
        fill(c, x - 4, y + 3, x + 5, y + 5, colour);
        break;
    }
}

}  // namespace

const char* mediaButtonName(MediaButton b)
{
    static constexpr const char* kNames[kMediaButtonCount] = {"play", "pause", "stop",   "next", "prev",
                                                              "step", "back",  "record", "eject"};
    return kNames[static_cast<int>(b)];
}

MediaButtons mediaButtonsEnabled(ClipState clip, PlayState play)
{
    MediaButtons on{};
    if (clip != ClipState::Open)
        return on;
    auto set = [&on](MediaButton b, bool v) { on[static_cast<size_t>(b)] = v; };
    set(MediaButton::Play, play != PlayState::Playing);
    set(MediaButton::Pause, play != PlayState::Stopped);
    set(MediaButton::Stop, play != PlayState::Stopped);
    set(MediaButton::Next, true);
    set(MediaButton::Prev, true);
    set(MediaButton::Step, true);
    set(MediaButton::Back, true);
    return on;
}

IRect mediaButtonRect(int barWidth, int barHeight, int i)
{
    const int64_t w = barWidth > 0 ? barWidth : 0;
    return IRect{static_cast<int>(w * i / kMediaButtonCount), 0, static_cast<int>(w * (i + 1) / kMediaButtonCount),
                 barHeight};
}

int mediaButtonAt(int barWidth, int barHeight, int x, int y)
{
    if (y < 0 || y >= barHeight || x < 0 || x >= barWidth)
        return -1;
    for (int i = 0; i < kMediaButtonCount; ++i) {
        const IRect r = mediaButtonRect(barWidth, barHeight, i);
        if (x >= r.left && x < r.right)
            return i;
    }
    return -1;
}

void drawMediaBar(Canvas& c, const IRect& bar, const MediaButtons& enabled, int pressed)
{
    if (bar.empty())
        return;
    CanvasSaver saver(c);
    c.clipTo(bar);
    for (int i = 0; i < kMediaButtonCount; ++i) {
        const IRect r0 = mediaButtonRect(bar.width(), bar.height(), i);
        const IRect r{bar.left + r0.left, bar.top + r0.top, bar.left + r0.right, bar.top + r0.bottom};
        if (r.empty())
            continue;
        const bool down = pressed == i;
        fill(c, r.left, r.top, r.right, r.bottom, kFace);
        const int l = r.left, t = r.top, rr = r.right - 1, b = r.bottom - 1;
        c.pen = Pen{down ? kBlack : kWhite};
        segment(c, l, b, l, t);
        c.lineTo(rr, t);
        c.pen = Pen{down ? kWhite : kBlack};
        segment(c, rr, t, rr, b);
        c.lineTo(l - 1, b);
        if (!down && r.width() > 3 && r.height() > 3) {
            c.pen = Pen{kShadow};
            segment(c, rr - 1, t + 1, rr - 1, b - 1);
            c.lineTo(l, b - 1);
        }
        const int x = (r.left + r.right) / 2 + (down ? 1 : 0);
        const int y = (r.top + r.bottom) / 2 + (down ? 1 : 0);
        const auto button = static_cast<MediaButton>(i);
        if (enabled[static_cast<size_t>(i)]) {
            glyph(c, button, x, y, kBlack, true);
        } else {
            // The platform's greyed look: a white relief under a grey glyph.
            glyph(c, button, x + 1, y + 1, kWhite, false);
            glyph(c, button, x, y, kShadow, false);
        }
    }
}

}  // namespace vr
