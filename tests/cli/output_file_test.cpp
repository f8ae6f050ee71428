#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/output_file.h"

namespace fs = std::filesystem;

namespace {

std::string contentOf(const fs::path& p)
{
    std::ifstream in(p);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(OutputFile, TheFinalNameAppearsOnlyWhenTheOutputIsComplete)
{
    const fs::path dir = fs::temp_directory_path() / ("vr_output_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path target = dir / "page.png";
    std::ofstream(target) << "old";
    {
        vr::OutputFile out(target.string());
        EXPECT_EQ(fs::path(out.tempPath()).parent_path(), dir);
        std::ofstream(out.tempPath()) << "new";
        EXPECT_EQ(contentOf(target), "old");  // still the earlier file while writing
        EXPECT_TRUE(out.commit());
        EXPECT_FALSE(fs::exists(out.tempPath()));
    }
    EXPECT_EQ(contentOf(target), "new");
    {
        // Given up before commit: the temporary file goes, the final one stays as it was.
        vr::OutputFile out(target.string());
        std::ofstream(out.tempPath()) << "half";
    }
    EXPECT_EQ(contentOf(target), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}
