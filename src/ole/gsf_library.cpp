#include "ole/gsf_library.h"

#include <dlfcn.h>
#include <mutex>

namespace vr::ole {

namespace {

struct Loaded {
    GsfLibrary library{};
    bool ok = false;
    std::string why;
};

Loaded load()
{
    Loaded r;
    // Kept loaded for the life of the process.
    void* handle = dlopen(VR_GSF_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* e = dlerror();
        r.why = std::string("the compound-file library does not load: ") + (e ? e : VR_GSF_LIBRARY);
        return r;
    }
    bool missing = false;
    auto resolve = [&](auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, name));
        if (!fn) {
            missing = true;
            r.why = std::string("the compound-file library has no ") + name;
        }
    };
    GsfLibrary& l = r.library;
    resolve(l.input_memory_new, "gsf_input_memory_new");
    resolve(l.infile_msole_new, "gsf_infile_msole_new");
    resolve(l.infile_msole_get_class_id, "gsf_infile_msole_get_class_id");
    resolve(l.infile_msole_get_type, "gsf_infile_msole_get_type");
    resolve(l.infile_get_type, "gsf_infile_get_type");
    resolve(l.infile_num_children, "gsf_infile_num_children");
    resolve(l.infile_name_by_index, "gsf_infile_name_by_index");
    resolve(l.infile_child_by_index, "gsf_infile_child_by_index");
    resolve(l.input_size, "gsf_input_size");
    resolve(l.input_read, "gsf_input_read");
    resolve(l.type_check_instance_is_a, "g_type_check_instance_is_a");
    resolve(l.object_unref, "g_object_unref");
    resolve(l.error_free, "g_error_free");
    resolve(l.log_set_handler, "g_log_set_handler");
    resolve(l.log_remove_handler, "g_log_remove_handler");
    r.ok = !missing;
    return r;
}

}  // namespace

const GsfLibrary* gsfLibrary(std::string& why)
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    why = loaded.why;
    return loaded.ok ? &loaded.library : nullptr;
}

}  // namespace vr::ole
