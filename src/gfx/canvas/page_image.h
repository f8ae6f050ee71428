// The images pages and sheets are drawn into. A page at 100 % is 3.5 MB and an A4 sheet at 300
// dpi 35 MB: in fresh memory every 4 KB page of them costs a fault when it is first filled, which
// is most of the cost of filling it (10 ms of a 70 ms one-page render). Images of 2 MB and more
// are therefore placed in memory the kernel may back with 2 MB pages.
#pragma once
#include <QImage>

namespace vr {

// An RGB32 image of `width` x `height`, not filled; null when it cannot be allocated.
QImage newPageImage(int width, int height);

}  // namespace vr
