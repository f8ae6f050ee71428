#include <gtest/gtest.h>

#include "objects/ligne.h"
#include "support/json.h"
#include "text/memo.h"
#include "viewer/dump.h"
#include "viewer_fixture.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::VpgWriter;

namespace {

Bytes frameBody(const vrtest::FrameMainRec& m, const std::string& backgroundCode, const Bytes& content)
{
    Bytes body = vrtest::frameMainRecord(m);
    vrtest::append(body, vrtest::frameBackground(backgroundCode));
    vrtest::append(body, vrtest::counted("0", 250));  // line spacing (sub-version "2002")
    vrtest::append(body, content);
    return body;
}

vrtest::RunRec run(const std::string& font, const std::string& text)
{
    vrtest::RunRec r;
    r.font = font;
    r.text = text;
    return r;
}

}  // namespace

TEST_F(ViewerTest, FramesReadTheirWholeRecordTakeTheirLayerAndUseTheCatalogue)
{
    vrtest::writeFile((dir / "paper.bmp").string(), vrtest::bmpFile(4, 4, 0x00FF00));
    vrtest::FrameMainRec front;
    front.lines = "1";
    front.runs = "1";
    front.layer = "2";
    front.picture = "Paper.BMP";
    Bytes content = vrtest::textLineRecord("0", "1", "30", "1");
    vrtest::append(content,
                   vrtest::runRecord(run("Cedar",
                                         "\xFC"
                                         "A")));
    vrtest::FrameMainRec back;
    back.layer = "0";
    viewer.fontInstalled = fontCatalogue({"QV_Cedar"});
    const Bytes doc = VpgWriter()
                          .page("P1")
                          .line(vrtest::LineRec(1, 2, 3, 4))
                          .object("TDMEMO", frameBody(front, "0", content))
                          .object("TDMEMO", frameBody(back, "3", {}))
                          .line(vrtest::LineRec(5, 6, 7, 8))
                          .bytes();
    ASSERT_EQ(open(write("frames.VPG", doc)), "");
    const auto& objects = viewer.state.CurrentPage->objects();
    ASSERT_EQ(objects.size(), 4u);
    const auto& first = dynamic_cast<const TDMemo&>(*objects[1]);
    const auto& second = dynamic_cast<const TDMemo&>(*objects[2]);
    EXPECT_EQ(dynamic_cast<const TLigne&>(*objects[3]).X1, 5);  // the frames consumed exactly their bytes
    // "2" put the first frame in front of the line before it; "0" sent the second behind all.
    EXPECT_GT(first.zOrder, objects[0]->zOrder);
    for (const auto& o : objects) {
        if (o.get() != &second) {
            EXPECT_GT(o->zOrder, second.zOrder);
        }
    }
    EXPECT_EQ(first.InFront, 1);
    EXPECT_EQ(second.InFront, 0);
    EXPECT_EQ(first.Runs.at(0).FontName, "QV_Cedar");
    EXPECT_EQ(first.Lines.at(0).Top, 2);
    // The picture was found beside the document, whatever the case of its name.
    EXPECT_EQ(first.BackImageName, "Paper.BMP");
    EXPECT_EQ(first.BackImage.size(), QSize(4, 4));
    EXPECT_EQ(first.BackImageWidth, 300);
    EXPECT_EQ(second.Transparent, 1);

    const QJsonObject frame =
        vrtest::dumpedObjects(vrtest::parseJson(dumpDocument(viewer, std::nullopt)), 0)[1].toObject();
    EXPECT_EQ(frame["Runs"][0]["FontName"].toString(), "QV_Cedar");
    EXPECT_EQ(frame["Runs"][0]["Text"].toArray(), (QJsonArray{252, 65}));
    EXPECT_EQ(frame["Lines"].toArray().size(), static_cast<qsizetype>(first.Lines.size()));
}

TEST_F(ViewerTest, TextPagesAreReadOneFramePerPageAndADamagedPageIsSkipped)
{
    Bytes pages = vrtest::textPage("1", "1", [] {
        Bytes r = vrtest::textLineRecord("0", "1", "50", "4");
        vrtest::append(r, vrtest::runRecord(run("Whatever", "one")));
        return r;
    }());
    const size_t firstPageSize = pages.size();
    // The second page fails on its line count; the third is read from where the stream stands,
    // which is right after the second page's 10 count bytes.
    vrtest::append(pages, vrtest::counted("x", 4));
    vrtest::append(pages, vrtest::counted("0", 4));
    vrtest::append(pages, vrtest::textPage("0", "1", vrtest::runRecord(run("Whatever", "two"))));
    ASSERT_EQ(open(write("t.VTX", vrtest::vtxDocument("0", "3", pages))), "");
    ASSERT_EQ(viewer.pages().size(), 3u);
    const auto memoOf = [&](size_t i) -> const TDMemo& {
        return dynamic_cast<const TDMemo&>(*viewer.pages()[i]->objects()[0]);
    };
    ASSERT_EQ(memoOf(0).Runs.size(), 1u);
    EXPECT_EQ(memoOf(0).Runs[0].FontName, "Whatever");
    EXPECT_EQ(memoOf(0).Lines[0].Top, 2);
    // Placed from the right margin: at most 714 - 5, less the run's width (stored X was 100).
    EXPECT_LE(memoOf(0).Runs[0].X, 709);
    EXPECT_GT(memoOf(0).Runs[0].X, 600);
    EXPECT_TRUE(memoOf(1).Runs.empty());
    ASSERT_EQ(memoOf(2).Runs.size(), 1u);
    EXPECT_EQ(memoOf(2).Runs[0].Text, "two");

    // The skipped page is reported where it began.
    const QJsonArray warnings = vrtest::parseJson(dumpDocument(viewer, std::nullopt))["warnings"].toArray();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0]["page"].toInt(), 2);
    EXPECT_FALSE(warnings[0].toObject().contains("object"));
    EXPECT_EQ(warnings[0]["offset"].toInt(), 615 + static_cast<int>(firstPageSize));
    EXPECT_EQ(warnings[0]["what"].toString(), "text page skipped: 'x' n'est pas une valeur enti\u00e8re correcte");
}

TEST_F(ViewerTest, ATextDocumentEndingBeforeItsPageCountSaysSoOnce)
{
    const Bytes page = vrtest::textPage("1", "1", [] {
        Bytes r = vrtest::textLineRecord("0", "1", "50", "4");
        vrtest::append(r, vrtest::runRecord(run("Whatever", "one")));
        return r;
    }());
    const Bytes doc = vrtest::vtxDocument("0", "5", page);
    ASSERT_EQ(open(write("short.VTX", doc)), "");
    EXPECT_EQ(viewer.pages().size(), 5u);  // the announced pages exist, four of them empty
    const QJsonArray warnings = vrtest::parseJson(dumpDocument(viewer, std::nullopt))["warnings"].toArray();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0].toObject(),
              (QJsonObject{{"what", "the file ends after 1 of 5 text pages"},
                           {"page", 2},
                           {"offset", static_cast<int>(doc.size())}}));
}
