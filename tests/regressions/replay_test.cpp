// Every input that once broke a reader, replayed in every build through the same entry as its
// fuzz target: tests/regressions/<reader>/<what-it-broke>.bin. A folder named after no reader is
// an error, so that no file is left out unseen.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "entries/entries.h"

namespace fs = std::filesystem;

namespace {

const std::map<std::string, vr::fuzz::Entry>& readers()
{
    static const std::map<std::string, vr::fuzz::Entry> table{
        {"bmp", vr::fuzz::bmp},   {"ico", vr::fuzz::ico},           {"gif", vr::fuzz::gif},
        {"jpeg", vr::fuzz::jpeg}, {"metafile", vr::fuzz::metafile}, {"document", vr::fuzz::document},
        {"ole", vr::fuzz::ole},   {"book", vr::fuzz::book},         {"rtf", vr::fuzz::rtf},
    };
    return table;
}

std::vector<uint8_t> bytesOf(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(Regressions, EveryKeptInputEndsQuietly)
{
    const fs::path root = fs::path(VR_SOURCE_DIR) / "tests" / "regressions";
    int replayed = 0;
    for (const auto& folder : fs::directory_iterator(root)) {
        if (!folder.is_directory())
            continue;
        const std::string reader = folder.path().filename().string();
        const auto entry = readers().find(reader);
        ASSERT_NE(entry, readers().end()) << "no reader named " << reader;
        for (const auto& file : fs::directory_iterator(folder.path())) {
            const std::vector<uint8_t> bytes = bytesOf(file.path());
            SCOPED_TRACE(file.path().string());
            entry->second(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::cout << replayed << " inputs replayed\n";
}
