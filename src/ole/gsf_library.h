// libgsf, loaded when the first compound file is read rather than when the program starts: it
// and the libraries it pulls in (GIO, libxml2 and their own) are a tenth of the start-up of a
// run that draws one page, and most documents hold no embedded object.
#pragma once
#include <string>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>

namespace vr::ole {

// The functions the compound-file reader calls, resolved from the loaded library.
struct GsfLibrary {
    decltype(&::gsf_input_memory_new) input_memory_new;
    decltype(&::gsf_infile_msole_new) infile_msole_new;
    decltype(&::gsf_infile_msole_get_class_id) infile_msole_get_class_id;
    decltype(&::gsf_infile_msole_get_type) infile_msole_get_type;
    decltype(&::gsf_infile_get_type) infile_get_type;
    decltype(&::gsf_infile_num_children) infile_num_children;
    decltype(&::gsf_infile_name_by_index) infile_name_by_index;
    decltype(&::gsf_infile_child_by_index) infile_child_by_index;
    decltype(&::gsf_input_size) input_size;
    decltype(&::gsf_input_read) input_read;
    decltype(&::g_type_check_instance_is_a) type_check_instance_is_a;
    decltype(&::g_object_unref) object_unref;
    decltype(&::g_error_free) error_free;
    decltype(&::g_log_set_handler) log_set_handler;
    decltype(&::g_log_remove_handler) log_remove_handler;

    // Whether `object` is an instance of `type` (the library's type macros, without the casts).
    bool isA(void* object, GType type) const
    {
        return object && type_check_instance_is_a(static_cast<GTypeInstance*>(object), type);
    }
};

// The library, loaded once; null with `why` set when it cannot be loaded.
const GsfLibrary* gsfLibrary(std::string& why);

}  // namespace vr::ole
