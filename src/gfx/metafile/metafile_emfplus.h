// EMF+ records, carried in the comments of an EMF: objects (brushes, pens, paths, regions,
// images, fonts, string formats), the common drawing, filling, text and image records, the world
// and page transforms, saved states and containers, and clipping. Points go through the world
// transform and the page transform (page unit and scale, at the header's logical resolution)
// to the picture's reference device pixels, which the player maps onto the destination.
//
// Drawn without antialiasing, as the platform drew the EMF fallback: colours keep their colour
// and lose their alpha (fully transparent ones draw nothing), except images, which are blended
// by their alpha. Gradient brushes fill with the mean of their end colours and texture brushes
// with a mid grey; cardinal curves are drawn as the Bezier curves they stand for; dashed pens
// draw as the canvas draws its dash styles.
#pragma once
#include <memory>

#include "gfx/metafile/metafile_player.h"

namespace vr::mf {

class EmfPlusPlayer {
public:
    EmfPlusPlayer(Player& player, int depth);
    ~EmfPlusPlayer();
    EmfPlusPlayer(const EmfPlusPlayer&) = delete;
    EmfPlusPlayer& operator=(const EmfPlusPlayer&) = delete;

    // The EMF+ records of one EMF comment record (the EMF record at `offset` of the file).
    void comment(const Record& r, int64_t offset);
    // Whether an EMF+ header was played: the EMF drawing records are the fallback from then on.
    bool started() const { return started_; }
    // Whether the last EMF+ record was GetDC: the EMF records that follow it draw.
    bool afterGetDc() const { return afterGetDc_; }

private:
    struct State;
    void play(uint16_t type, uint16_t flags, const Record& r, int64_t offset);

    Player& p_;
    int depth_;
    std::unique_ptr<State> s_;
    bool started_ = false;
    bool afterGetDc_ = false;
};

}  // namespace vr::mf
