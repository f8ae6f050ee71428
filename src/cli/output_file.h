// An output written under a temporary name beside its final one and renamed into place only when
// complete, so that an interrupted run never leaves a half-written file under the final name (a
// killed run leaves at most the hidden temporary file).
#pragma once
#include <string>

namespace vr {

class OutputFile {
public:
    // `finalPath` is where the output goes; nothing is created yet.
    explicit OutputFile(std::string finalPath);
    ~OutputFile();  // removes the temporary file unless it was committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The name to write to: ".NAME.PID.part" in the final file's folder.
    const std::string& tempPath() const { return temp_; }
    const std::string& finalPath() const { return final_; }
    // Renames the temporary file to the final name; false when it fails. With `replace` false an
    // existing file of the final name is kept and the commit fails (the check and the rename are
    // one step, so a file made meanwhile is not replaced either).
    bool commit(bool replace = true);

private:
    std::string final_;
    std::string temp_;
    bool committed_ = false;
};

}  // namespace vr
