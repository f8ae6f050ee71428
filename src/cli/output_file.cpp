#include "cli/output_file.h"

#include <cstdio>
#include <unistd.h>

namespace vr {

OutputFile::OutputFile(std::string finalPath) : final_(std::move(finalPath))
{
    const size_t slash = final_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : final_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? final_ : final_.substr(slash + 1);
    temp_ = folder + "." + name + "." + std::to_string(::getpid()) + ".part";
}

OutputFile::~OutputFile()
{
    if (!committed_)
        std::remove(temp_.c_str());
}

bool OutputFile::commit(bool replace)
{
    if (committed_)
        return true;
    if (replace) {
        committed_ = std::rename(temp_.c_str(), final_.c_str()) == 0;
    } else {
        // A hard link fails when the name is taken; the temporary name then goes.
        committed_ = ::link(temp_.c_str(), final_.c_str()) == 0;
        if (committed_)
            ::unlink(temp_.c_str());
    }
    return committed_;
}

}  // namespace vr
