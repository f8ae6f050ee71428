#include "core/program_files.h"

#include <system_error>

namespace vr {

std::filesystem::path programFile(const std::string& name)
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    const auto dir = exe.parent_path();
    for (const auto& path : {dir / name, dir / VR_PRIVATE_DIR_FROM_BIN / name})
        if (std::filesystem::is_regular_file(path, ec))
            return path.lexically_normal();
    return {};
}

}  // namespace vr
