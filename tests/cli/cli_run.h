// Command lines run as the program runs them, with what they print captured, in a temporary folder
// of their own.
#pragma once
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cli.h"

namespace vrtest {

struct RunResult {
    int status;
    std::string out, err;
};

inline RunResult run(const std::vector<std::string>& args)
{
    std::string usage;
    const auto cmd = vr::parseCommandLine(args, usage);
    if (!cmd)
        return {vr::kExitUsage, "", usage};
    std::ostringstream out, err;
    const int status = vr::runCommand(*cmd, out, err);
    return {status, out.str(), err.str()};
}

// A folder per test, removed afterwards.
class CliFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
            ("vr_cli_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::filesystem::path dir;
};

}  // namespace vrtest
