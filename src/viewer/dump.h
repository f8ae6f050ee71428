// The loaded document as JSON: document state, pages in creation order with their objects and
// every field read, and the error that stopped loading (or null).
#pragma once
#include <optional>
#include <string>

namespace vr {

class Viewer;

std::string dumpDocument(const Viewer& viewer, const std::optional<std::string>& error);

}  // namespace vr
