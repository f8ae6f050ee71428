#include "gfx/canvas/page_image.h"

#include <cstdlib>
#include <sys/mman.h>

namespace vr {

QImage newPageImage(int width, int height)
{
    constexpr size_t kHugePage = size_t(2) << 20;
    // Sizes QImage refuses, and small images, are left to QImage itself.
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return QImage(width, height, QImage::Format_RGB32);
    const size_t bytesPerLine = static_cast<size_t>(width) * 4;
    const size_t bytes = bytesPerLine * static_cast<size_t>(height);
    if (bytes < kHugePage)
        return QImage(width, height, QImage::Format_RGB32);
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* data = std::aligned_alloc(kHugePage, rounded);
    if (!data)
        return QImage();
    // Only advice: where the kernel keeps to small pages the image works the same.
    (void)madvise(data, rounded, MADV_HUGEPAGE);
    return QImage(static_cast<uchar*>(data), width, height, static_cast<qsizetype>(bytesPerLine), QImage::Format_RGB32,
                  [](void* p) { std::free(p); }, data);
}

}  // namespace vr
