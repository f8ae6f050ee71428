#include "player/media_module.h"

#include <dlfcn.h>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "core/program_files.h"

namespace vr {

namespace {

struct Loaded {
    MediaBackendEntry entry = nullptr;
    std::string why;
};

Loaded load()
{
    Loaded r;
    std::filesystem::path path;
    if (const char* env = std::getenv("VR_MEDIA_MODULE"); env && *env)
        path = env;
    else
        path = programFile(kMediaModuleName);
    std::error_code ec;
    if (!path.empty() && std::filesystem::is_regular_file(path, ec)) {
        // Kept loaded for the life of the process: clips may be open until its end.
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* e = dlerror();
            r.why = "the media back end does not load: " + std::string(e ? e : path.string());
            return r;
        }
        r.entry = reinterpret_cast<MediaBackendEntry>(dlsym(handle, kMediaBackendEntry));
        if (!r.entry)
            r.why = "the media back end " + path.string() + " has no entry point";
        return r;
    }
    r.why = std::string("the media back end is not installed (") + kMediaModuleName + ")";
    return r;
}

}  // namespace

MediaBackendEntry mediaBackendEntry(std::string& why)
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    why = loaded.why;
    return loaded.entry;
}

}  // namespace vr
