#include <gtest/gtest.h>

#include "gfx/print/printer.h"
#include "player/player.h"
#include "support/media_writer.h"
#include "viewer/dump.h"
#include "viewer/print_driver.h"
#include "viewer_fixture.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::LineRec;
using vrtest::PlayerRec;
using vrtest::VpgWriter;

TEST_F(ViewerTest, AClipThatCannotBeOpenedIsReportedOnceAndTheDocumentLoadsOn)
{
    std::vector<std::string> told;
    viewer.onDeviceError = [&told](const std::string& m) { told.push_back(m); };
    const Bytes doc =
        VpgWriter()
            .page("P1")
            .object("TDPlayer",
                    vrtest::playerRecord(PlayerRec{"10", "120", "20", "200", "0", "C:\\VELMORA\\CLIPS\\GONE.AVI"}))
            .line(LineRec(10, 300, 200, 300))
            .page("P2")
            .line(LineRec(1, 1, 50, 50))
            .bytes();
    EXPECT_EQ(open(write("clips.VPG", doc)), "");
    EXPECT_EQ(viewer.state.PageCount, 2);
    ASSERT_EQ(viewer.pages()[0]->objects().size(), 2u);
    const auto* player = dynamic_cast<const TDPlayer*>(viewer.pages()[0]->objects()[0].get());
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->left, 10);
    EXPECT_EQ(player->top, 20);
    EXPECT_STREQ(viewer.pages()[0]->objects()[1]->className(), "TLigne");
    const std::string message = "Cannot open the media clip C:\\VELMORA\\CLIPS\\GONE.AVI: the file is not found";
    EXPECT_EQ(told, std::vector<std::string>{message});
    ASSERT_EQ(viewer.diagnostics.list().size(), 1u);
    EXPECT_EQ(viewer.diagnostics.list()[0], (Diagnostic{message, 1, 0, -1}));

    // Arrays are written one value a line: compared without the line breaks and indents.
    std::string json;
    bool lineStart = false;
    for (const char c : dumpDocument(viewer, std::nullopt)) {
        if (c == '\n')
            lineStart = true;
        else if (!(lineStart && c == ' ')) {
            lineStart = false;
            json += c;
        }
    }
    EXPECT_NE(json.find("\"kind\": \"TDPlayer\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"DeviceType\": \"AutoSelect\""), std::string::npos);
    EXPECT_NE(json.find("\"MediaBar\": [2,96,196,22]"), std::string::npos);
    EXPECT_NE(json.find("\"DisplayArea\": [2,2,196,94]"), std::string::npos);
    EXPECT_NE(json.find("\"Clip\": \"failed\""), std::string::npos);
}

TEST_F(ViewerTest, PlayersFollowTheZoomAndAreMissingFromPrintedPages)
{
    viewer.openMediaClips = false;
    const Bytes doc = VpgWriter()
                          .page("P1")
                          .object("TDPlayer", vrtest::playerRecord(PlayerRec{"96", "96", "96", "192", "1", "X.AVI"}))
                          .bytes();
    EXPECT_EQ(open(write("p.VPG", doc)), "");
    auto* player = dynamic_cast<TDPlayer*>(viewer.state.CurrentPage->objects()[0].get());
    ASSERT_NE(player, nullptr);
    viewer.SetZoom(200);
    EXPECT_EQ(player->width, 384);
    EXPECT_EQ(player->MediaBar(), (IRect{2, 168, 382, 190}));
    viewer.SetZoom(100);
    EXPECT_EQ(player->MediaBar(), (IRect{2, 72, 190, 94}));

    // Printed at 96 dots per inch, the sheet stays white where the player stands on screen.
    MemoryPrinter printer(96);
    printer.beginDoc();
    PrintPageObjects(*viewer.state.CurrentPage, printer, PrintScaleFor(printer, 96));
    printer.endDoc();
    ASSERT_EQ(printer.sheets().size(), 1u);
    const QImage& sheet = printer.sheets()[0];
    for (int y = 0; y < 192 && y < sheet.height(); y += 7)
        for (int x = 0; x < 300 && x < sheet.width(); x += 7)
            ASSERT_EQ(sheet.pixel(x, y), 0xFFFFFFFFu) << x << "," << y;
}
