// Documents holding embedded objects and drawn tables: they load to their end, a failing object
// is reported and left empty, and the dump shows every field.
#include <gtest/gtest.h>

#include "ole/ole_container.h"
#include "support/cfb_writer.h"
#include "support/json.h"
#include "table/tabeau_d.h"
#include "viewer/dump.h"
#include "viewer_fixture.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::counted;
using vrtest::LineRec;
using vrtest::VpgWriter;

namespace {

// The record after the "TDOleContainer" tag, with a left and top border of width 2.
Bytes oleBody(const Bytes& content, const std::string& sizeText = "")
{
    Bytes b;
    for (const char* v : {"40", "60", "200", "100"})
        vrtest::append(b, counted(v, 4));
    for (const char* v : {"1", "0", "0", "1", "2"})
        vrtest::append(b, counted(v, 1));
    vrtest::append(b, counted("255", 9));
    vrtest::append(b, counted(sizeText.empty() ? std::to_string(content.size()) : sizeText, 6));
    vrtest::append(b, content);
    return b;
}

Bytes metafileObject()
{
    return vrtest::containerStream(
        1,
        vrtest::compoundFile(
            {{"\x01Ole", Bytes(20, 0)},
             {"\x02OlePres000", vrtest::presentationStream(3, 1, 2540, 1270, vrtest::filledWmf(100, 50, 0x0000FF))}},
            vrtest::worksheetClass()));
}

// The bounds a table's tag is followed by, its counts, and empty text-frame cells.
Bytes tableBody(int columns, int rows)
{
    Bytes b;
    for (const char* v : {"100", "50", "300", "200"})
        vrtest::append(b, counted(v, 4));
    vrtest::append(b, counted(std::to_string(columns), 3));
    vrtest::append(b, counted(std::to_string(rows), 3));
    for (int i = 0; i < columns * rows; ++i) {
        vrtest::FrameMainRec m;
        m.left = std::to_string(20 + 90 * (i % columns));
        m.top = std::to_string(20 + 60 * (i / columns));
        m.width = "80";
        m.height = "50";
        vrtest::append(b, vrtest::frameMainRecord(m));
        vrtest::append(b, vrtest::frameBackground("0"));
        vrtest::append(b, counted("0", 250));
    }
    return b;
}

}  // namespace

TEST_F(ViewerTest, AFailingEmbeddedObjectIsReportedAndTheRestLoads)
{
    const Bytes notStorage = vrtest::containerStream(1, Bytes(600, 'x'));
    const Bytes doc = VpgWriter()
                          .page("P1")
                          .object("TDOleContainer", oleBody(notStorage))
                          .line(LineRec(1, 2, 3, 4))
                          .page("P2")
                          .object("TabeauD", tableBody(3, 2))
                          .object("TDOleContainer", oleBody(metafileObject()))
                          .bytes();
    EXPECT_EQ(open(write("objects.VPG", doc)), "");
    ASSERT_EQ(viewer.pages().size(), 2u);
    ASSERT_EQ(viewer.pages()[0]->objects().size(), 2u);
    ASSERT_EQ(viewer.pages()[1]->objects().size(), 2u);
    const auto& failed = dynamic_cast<const TDOleContainer&>(*viewer.pages()[0]->objects()[0]);
    EXPECT_FALSE(failed.object);
    EXPECT_EQ(failed.LoadError, "Erreur OLE 80030050");
    const auto& table = dynamic_cast<const TTabeauD&>(*viewer.pages()[1]->objects()[0]);
    EXPECT_EQ(table.Cells.size(), 6u);
    EXPECT_TRUE(dynamic_cast<const TDOleContainer&>(*viewer.pages()[1]->objects()[1]).object);

    // Reported once, at its place: page 1, object 0, where its content starts (after the
    // 272-byte head, the 5-byte page tag, 8 attribute bytes, the count, the tag and 47 bytes).
    const QJsonObject dump = vrtest::parseJson(dumpDocument(viewer, std::nullopt));
    const QJsonArray warnings = dump["warnings"].toArray();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0]["what"].toString(), "embedded object not loaded: Erreur OLE 80030050");
    EXPECT_EQ(warnings[0]["page"].toInt(), 1);
    EXPECT_EQ(warnings[0]["object"].toInt(), 0);
    EXPECT_EQ(warnings[0]["offset"].toInt(), 272 + 5 + 8 + 4 + 21 + 47);

    const QJsonObject shown = vrtest::dumpedObjects(dump, 0)[0].toObject();
    EXPECT_EQ(shown["kind"].toString(), "TDOleContainer");
    EXPECT_EQ(shown["Signature"].toString(), "BDOC");
    EXPECT_EQ(shown["StorageSize"].toInt(), 600);
    EXPECT_EQ(shown["Error"].toString(), "Erreur OLE 80030050");
    EXPECT_TRUE(shown["Presentation"].isNull());
}

TEST_F(ViewerTest, DumpOfAnEmbeddedObjectAndADrawnTable)
{
    const Bytes doc = VpgWriter()
                          .page("P1")
                          .object("TDOleContainer", oleBody(metafileObject()))
                          .object("TabeauD", tableBody(3, 2))
                          .bytes();
    EXPECT_EQ(open(write("dump.VPG", doc)), "");
    const QJsonArray objects = vrtest::dumpedObjects(vrtest::parseJson(dumpDocument(viewer, std::nullopt)), 0);
    ASSERT_EQ(objects.size(), 2);
    const QJsonObject ole = objects[0].toObject();
    EXPECT_EQ(ole["Left"].toInt(), 40);
    EXPECT_EQ(ole["BorderLeft"].toInt(), 1);
    EXPECT_EQ(ole["BorderTop"].toInt(), 1);
    EXPECT_EQ(ole["BorderWidth"].toInt(), 2);
    EXPECT_EQ(ole["BorderColor"].toInt(), 255);
    EXPECT_EQ(ole["DrawAspect"].toInt(), 1);
    EXPECT_EQ(ole["ContentSize"].toInt(), ole["StorageSize"].toInt() + 12);
    EXPECT_EQ(ole["ClassId"].toString(), "{00020820-0000-0000-C000-000000000046}");
    const QJsonArray streams = ole["Streams"].toArray();
    ASSERT_EQ(streams.size(), 2);
    EXPECT_EQ(streams[0]["Name"].toString(), "\x01Ole");
    EXPECT_EQ(streams[0]["Size"].toInt(), 20);
    const QJsonObject p = ole["Presentation"].toObject();
    EXPECT_EQ(p["Stream"].toString(), "\x02OlePres000");
    EXPECT_EQ(p["Format"].toString(), "metafile");
    EXPECT_EQ(p["MapMode"].toInt(), 8);
    EXPECT_EQ(p["ExtentX"].toInt(), 2540);
    EXPECT_EQ(p["Width"].toInt(), 96);
    EXPECT_EQ(p["Height"].toInt(), 48);

    const QJsonObject table = objects[1].toObject();
    EXPECT_EQ(table["kind"].toString(), "TTabeauD");
    EXPECT_EQ(table["Left"].toInt(), 110);
    EXPECT_EQ(table["Columns"].toInt(), 3);
    EXPECT_EQ(table["Rows"].toInt(), 2);
    const QJsonArray cells = table["Cells"].toArray();
    ASSERT_EQ(cells.size(), 6);
    EXPECT_EQ(cells[4]["kind"].toString(), "TDMemo");
    EXPECT_EQ(cells[4]["Row"].toInt(), 2);
    EXPECT_EQ(cells[4]["Column"].toInt(), 2);
    EXPECT_EQ(cells[4]["Left"].toInt(), 100);  // stored at 110 in the table as stored
    EXPECT_EQ(cells[4]["Top"].toInt(), 70);
}

TEST_F(ViewerTest, AnObjectWhoseContentIsCutShortEndsTheDocument)
{
    const Bytes doc = VpgWriter()
                          .page("P1")
                          .line(LineRec(1, 2, 3, 4))
                          .page("P2")
                          .object("TDOleContainer", oleBody(Bytes(30, 1), "999"))
                          .bytes();
    EXPECT_EQ(open(write("cut.VPG", doc)), "Erreur de lecture du flux");
    EXPECT_EQ(viewer.state.PageCount, 2);  // the pages read so far stay
}
