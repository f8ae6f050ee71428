// The book and media samples, written from code: a book of three chapters (the tour, the letter
// and a chapter whose file is missing) and a page with a player of a sound the builder makes.
#pragma once
#include <string>

namespace samples {

// Writes book.BOK, media.VPG and media-chime.wav into the folder.
void writeBookSamples(const std::string& folder);

}  // namespace samples
