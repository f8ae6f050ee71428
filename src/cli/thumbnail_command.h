// The thumbnail command: a document's first page (a book's first chapter's) as a small PNG, for
// file managers.
#pragma once
#include <QImage>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace vr {

class TSurfaceT;

inline constexpr int kMinThumbnailSize = 16;
inline constexpr int kMaxThumbnailSize = 2048;

// Checks the size and takes FILE OUT from the positional arguments.
std::optional<CommandLine> finishThumbnailCommand(CommandLine cmd, const std::vector<std::string>& positional,
                                                  std::string& usageError);

// The page, shown at 100 %, painted at the zoom that makes its longer side `size` pixels: its
// objects are scaled as the zoom commands scale them, so lines stay one pixel wide and text is set
// at the size it gets, rather than a full page shrunk. The page keeps that scale afterwards.
// Null when the page has no area.
QImage paintThumbnail(TSurfaceT& page, int size);

// Writes the thumbnail; on any failure nothing is written and the status is not 0.
int thumbnailCommand(const CommandLine& cmd, std::ostream& err);

}  // namespace vr
