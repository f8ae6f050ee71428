// Documents written into a temporary folder and loaded by a viewer with a scripted open dialog.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/doc_writer.h"
#include "viewer/viewer.h"

class ScriptedHost : public vr::ViewerHost {
public:
    std::optional<std::string> answer;
    int asked = 0;
    std::optional<std::string> askOpenFileName() override
    {
        ++asked;
        return answer;
    }
};

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
            ("vr_viewer_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        viewer.startUp();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string write(const std::string& name, const vrtest::Bytes& bytes)
    {
        const std::string path = (dir / name).string();
        vrtest::writeFile(path, bytes);
        return path;
    }

    // Loads as a dropped file does; returns the error message or "".
    std::string open(const std::string& path)
    {
        viewer.state.DocFileName = path;
        try {
            viewer.LoadDocument();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    // A document of n pages tagged as given, each with one line.
    std::string pagesTagged(const std::vector<std::string>& tags)
    {
        vrtest::VpgWriter w;
        for (const auto& t : tags)
            w.page(t).line(vrtest::LineRec(10, 10, 100, 10));
        return write("pages.VPG", w.bytes());
    }

    std::filesystem::path dir;
    ScriptedHost host;
    vr::Viewer viewer{&host};
};
