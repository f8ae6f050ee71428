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

std::filesystem::path programFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec);
    const auto dir = exe.parent_path();
    const auto bin = (dir / VR_BIN_FROM_PRIVATE_DIR).lexically_normal();
    if (exe.filename() != "velmora-reader" && bin != dir && std::filesystem::is_regular_file(bin / "velmora-reader", ec))
        return bin;
    return dir;
}

}  // namespace vr
