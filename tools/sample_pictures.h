// Picture files for the samples, written from code: a bitmap, an icon, a JPEG, a GIF with a
// transparent colour, a Windows metafile and an enhanced metafile.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace samples {

using Bytes = std::vector<uint8_t>;

Bytes tilesBmp();  // 64 x 48, 24-bit, a chequer of four colours
Bytes stripesBmp();  // 8 x 8, 24-bit, diagonal stripes: a brush pattern
Bytes starIco();  // 32 x 32 and 16 x 16 images of a star on transparency
Bytes gradientJpeg();  // 160 x 100, a colour gradient with a circle
Bytes ringsGif();  // 80 x 80, coloured rings on a transparent ground
Bytes houseWmf();  // placeable, 1440 units per inch, a house drawn with GDI records
Bytes flowerEmf();  // an enhanced metafile of a flower

void writeFile(const std::string& path, const Bytes& bytes);

}  // namespace samples
