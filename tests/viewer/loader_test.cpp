#include <gtest/gtest.h>

#include "document/object_reader.h"
#include "objects/image.h"
#include "objects/ligne.h"
#include "objects/shape.h"
#include "support/json.h"
#include "text/memo.h"
#include "viewer/dump.h"
#include "viewer_fixture.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::LineRec;
using vrtest::VpgWriter;

TEST_F(ViewerTest, SmallestPageLayoutDocumentLoadsOneVisiblePage)
{
    const Bytes doc = VpgWriter().page("P1").line(LineRec(10, 20, 30, 40, 255, 2, "1", "FD")).bytes();
    ASSERT_EQ(doc.size(), 348u);
    ASSERT_EQ(doc[272], 2);  // page tag
    ASSERT_EQ(doc[289], 6);  // object tag "TLigne"
    const std::string path = write("small.VPG", doc);
    EXPECT_EQ(open(path), "");

    const DocumentState& st = viewer.state;
    EXPECT_EQ(st.PageCount, 1);
    EXPECT_EQ(st.CurrentPageNo, 1);
    ASSERT_NE(st.CurrentPage, nullptr);
    EXPECT_TRUE(st.CurrentPage->visible);
    EXPECT_EQ(st.CurrentPage->pageNumber, 1);
    EXPECT_EQ(st.CurrentPage->width, 794);
    EXPECT_EQ(st.CurrentPage->height, 1123);
    EXPECT_EQ(st.PageSetup, (PageSetupT{1, 1, 210, 297}));
    EXPECT_EQ(st.DocVersion, "2002");
    EXPECT_EQ(st.DocFolder, dir.string() + "/");
    EXPECT_EQ(viewer.caption, "Velmora 2000 " + path);
    EXPECT_EQ(viewer.pageTabs, (std::vector<std::string>{"1"}));
    EXPECT_EQ(viewer.selectedTab, 0);
    ASSERT_EQ(viewer.pages().size(), 1u);
    ASSERT_EQ(st.CurrentPage->objects().size(), 1u);
    const auto& line = dynamic_cast<const TLigne&>(*st.CurrentPage->objects()[0]);
    EXPECT_EQ(line.X2, 30);
    EXPECT_EQ(line.penStyle, 1);
    EXPECT_EQ(line.arrowKind, 1);
}

TEST_F(ViewerTest, HeaderFieldsPageSizeAndOrientation)
{
    viewer.state.Orientation = 0;
    Bytes doc = VpgWriter().orientation("1").version("1998xyz", "20021").pageSize(-3, 7, 1123, 794).page("P1").bytes();
    EXPECT_EQ(open(write("land.vpg", doc)), "");
    EXPECT_EQ(viewer.state.Orientation, 1);
    EXPECT_EQ(viewer.state.DocVersion, "1998x");
    EXPECT_EQ(viewer.state.DocSubVersion, "2002");
    EXPECT_EQ(viewer.state.PageSetup, (PageSetupT{-3, 7, 297, 210}));
    EXPECT_EQ(viewer.state.CurrentPage->width, 1123);

    // Any other orientation code leaves the orientation as it was.
    doc = VpgWriter().orientation("2").page("P1").bytes();
    EXPECT_EQ(open(write("two.VPG", doc)), "");
    EXPECT_EQ(viewer.state.Orientation, 1);
}

TEST_F(ViewerTest, ExtensionRuleAndDispatch)
{
    EXPECT_EQ(documentExtension("/a/b/doc.vpg"), ".VPG");
    EXPECT_EQ(documentExtension("/a/b/doc.VPGX"), ".VPG");
    EXPECT_EQ(documentExtension("/a/b.VPG/doc"), "");
    EXPECT_EQ(documentExtension("doc.Vtx"), ".VTX");
    EXPECT_EQ(documentExtension("noext"), "");

    const Bytes doc = VpgWriter().page("P1").bytes();
    EXPECT_EQ(open(write("five.VPGXY", doc)), "");
    EXPECT_EQ(viewer.state.PageCount, 1);

    // Other extensions load nothing and say nothing; the old document is gone all the same.
    EXPECT_EQ(open(write("other.txt", doc)), "");
    EXPECT_EQ(viewer.state.PageCount, 0);
    EXPECT_EQ(viewer.state.CurrentPage, nullptr);

    // A book (any case of the extension) goes to the chapter list; an empty one opens nothing.
    const std::string book = write("chapters.bok", Bytes{});
    EXPECT_EQ(open(book), "");
    EXPECT_TRUE(viewer.chapterListVisible);
    EXPECT_EQ(viewer.BookFileName, book);
    EXPECT_EQ(viewer.state.PageCount, 0);
}

TEST_F(ViewerTest, MissingFileIsTheOpenErrorAndNoPageIsLeft)
{
    const std::string path = (dir / "gone.VPG").string();
    EXPECT_EQ(open(path), "Impossible d'ouvrir le fichier " + path);
    EXPECT_EQ(viewer.state.PageCount, 0);
    EXPECT_EQ(viewer.state.CurrentPage, nullptr);
}

TEST_F(ViewerTest, ZeroPagesGivesNoPageAndNoTabs)
{
    EXPECT_EQ(open(write("empty.VPG", VpgWriter().pageCountText("0").bytes())), "");
    EXPECT_EQ(viewer.state.PageCount, 0);
    EXPECT_TRUE(viewer.pageTabs.empty());
    EXPECT_EQ(viewer.selectedTab, -1);
    EXPECT_EQ(viewer.state.CurrentPage, nullptr);
}

TEST_F(ViewerTest, SkippedRecordsAreConsumed)
{
    const Bytes doc = VpgWriter().skippedRecords(3).page("P1").line(LineRec(1, 2, 3, 4)).bytes();
    EXPECT_EQ(open(write("skip.VPG", doc)), "");
    EXPECT_EQ(dynamic_cast<const TLigne&>(*viewer.state.CurrentPage->objects()[0]).Y2, 4);
}

TEST_F(ViewerTest, TagsMatchWholeAndUnknownTagsConsumeOnlyTheirBytes)
{
    Bytes tag = vrtest::counted("TDImage", 20);
    EXPECT_EQ(matchObjectTag(tag.data()), ObjectTag::Image);
    tag = vrtest::counted("TDMemo", 20);
    EXPECT_EQ(matchObjectTag(tag.data()), ObjectTag::Unknown);
    tag = vrtest::countedRaw(7, "TLigneX", 20);
    EXPECT_EQ(matchObjectTag(tag.data()), ObjectTag::Unknown);

    // "TDMemo" is not a tag: the next 21 bytes are read as the next object's tag.
    const Bytes doc = VpgWriter().page("P1").object("TDMemo", {}).line(LineRec(7, 8, 9, 10)).bytes();
    EXPECT_EQ(open(write("memo.VPG", doc)), "");
    ASSERT_EQ(viewer.state.CurrentPage->objects().size(), 1u);
    EXPECT_EQ(dynamic_cast<const TLigne&>(*viewer.state.CurrentPage->objects()[0]).X1, 7);
}

TEST_F(ViewerTest, PageTagNumbersAndTheOneCharacterTag)
{
    EXPECT_EQ(open(pagesTagged({"P1", "P3", "P2"})), "");
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 1);
    EXPECT_EQ(viewer.state.CurrentPageNo, 1);
    EXPECT_EQ(viewer.pages()[1]->pageNumber, 3);

    VpgWriter w;
    w.page("x7").line(LineRec()).page("P").line(LineRec());
    const std::string path = write("bad.VPG", w.bytes());
    EXPECT_EQ(open(path), "'' n'est pas une valeur enti\xC3\xA8re correcte");
    // The pages read so far stay, hidden, and the tabs list them.
    ASSERT_EQ(viewer.pages().size(), 2u);
    EXPECT_EQ(viewer.pages()[0]->pageNumber, 7);
    EXPECT_EQ(viewer.pages()[0]->objects().size(), 1u);
    EXPECT_FALSE(viewer.pages()[0]->visible);
    EXPECT_FALSE(viewer.pages()[1]->visible);
    EXPECT_EQ(viewer.pageTabs, (std::vector<std::string>{"1", "2"}));
}

TEST_F(ViewerTest, TruncatedDocumentsEndWithTheConversionErrorOrLoadWhatIsThere)
{
    const Bytes doc = VpgWriter().page("P1").line(LineRec()).line(LineRec()).page("P2").line(LineRec()).bytes();
    int errors = 0;
    for (size_t cut = 0; cut < doc.size(); ++cut) {
        const std::string msg = open(write("cut.VPG", Bytes(doc.begin(), doc.begin() + static_cast<long>(cut))));
        // A cut inside the last object's tag leaves an unknown tag, which is skipped silently.
        if (!msg.empty()) {
            EXPECT_NE(msg.find("n'est pas une valeur enti"), std::string::npos) << "cut at " << cut << ": " << msg;
            ++errors;
        }
    }
    EXPECT_GT(errors, 400);
    // A cut inside a number keeps the characters that are there.
    EXPECT_EQ(open(write("c.VPG", Bytes(doc.begin(), doc.begin() + 312))),
              "'1' n'est pas une valeur enti\xC3\xA8re correcte");
    // A huge page count with nothing behind it stops at the first missing page tag; a huge
    // object count reads unknown (empty) tags to the end of the page.
    EXPECT_NE(open(write("huge.VPG", VpgWriter().pageCountText("999").bytes())).find("n'est pas"), std::string::npos);
    VpgWriter w;
    w.page("P1").objectCount("999");
    EXPECT_EQ(open(write("hugek.VPG", w.bytes())), "");
    EXPECT_TRUE(viewer.state.CurrentPage->objects().empty());
}

TEST_F(ViewerTest, ClearingDestroysPagesWhateverTheirNumbers)
{
    EXPECT_EQ(open(pagesTagged({"P1", "P3", "P5"})), "");
    EXPECT_EQ(viewer.pages().size(), 3u);
    EXPECT_EQ(open(write("one.VPG", VpgWriter().page("P1").bytes())), "");
    ASSERT_EQ(viewer.pages().size(), 1u);
    viewer.FindPage(3);
    EXPECT_FALSE(viewer.state.PageFound);
    viewer.FindPage(5);
    EXPECT_FALSE(viewer.state.PageFound);
}

TEST_F(ViewerTest, TheWholePathIsKept)
{
    std::filesystem::path deep = dir;
    for (int i = 0; i < 6; ++i)
        deep /= std::string(50, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    const std::string path = (deep / "long.VPG").string();
    ASSERT_GT(path.size(), 300u);
    vrtest::writeFile(path, VpgWriter().page("P1").bytes());
    EXPECT_EQ(open(path), "");
    EXPECT_EQ(viewer.state.DocFileName, path);
    EXPECT_EQ(viewer.state.PageCount, 1);
}

TEST_F(ViewerTest, OnlyTheStartUpOpenTakesTheCommandLineDocument)
{
    const std::string path = write("start.VPG", VpgWriter().page("P1").bytes());
    viewer.commandLineDocument = path;
    viewer.LoadDocument();
    EXPECT_EQ(viewer.state.PageCount, 1);
    EXPECT_EQ(host.asked, 0);

    // The Open command asks; cancelling leaves the window without any page.
    viewer.openDocument();
    EXPECT_EQ(host.asked, 1);
    EXPECT_EQ(viewer.state.PageCount, 0);
    EXPECT_EQ(viewer.state.CurrentPage, nullptr);
    host.answer = path;
    viewer.openDocument();
    EXPECT_EQ(viewer.state.PageCount, 1);
    EXPECT_TRUE(viewer.state.CurrentPage->visible);
}

TEST_F(ViewerTest, TextDocumentHeaderPathAndPageLoop)
{
    viewer.state.Orientation = 0;
    EXPECT_EQ(open(write("t.VTX", vrtest::vtxDocument("1", "3"))), "");
    EXPECT_EQ(viewer.state.Orientation, 1);
    EXPECT_EQ(viewer.state.PageCount, 3);
    EXPECT_TRUE(viewer.state.CurrentPage->visible);
    const auto& memo = dynamic_cast<const TDMemo&>(*viewer.pages()[2]->objects()[0]);
    EXPECT_EQ(memo.left, 40);
    EXPECT_EQ(memo.top, 40);
    EXPECT_EQ(memo.width, 794 - 80);
    EXPECT_EQ(memo.height, 1123 - 80);
    EXPECT_EQ(memo.LeftMargin, 5);
    EXPECT_EQ(memo.RightMargin, 5);

    // A header orientation field of length 0 gives portrait.
    Bytes doc = vrtest::vtxDocument("", "1");
    EXPECT_EQ(open(write("p.VTX", doc)), "");
    EXPECT_EQ(viewer.state.Orientation, 0);
}

TEST_F(ViewerTest, TextDocumentWithNoPagesKeepsOneHiddenPage)
{
    EXPECT_EQ(open(write("none.VTX", vrtest::vtxDocument("0", "0"))), "");
    EXPECT_EQ(viewer.state.PageCount, 1);
    ASSERT_EQ(viewer.pages().size(), 1u);
    EXPECT_FALSE(viewer.pages()[0]->visible);
    EXPECT_EQ(viewer.pages()[0]->objects().size(), 1u);
}

TEST_F(ViewerTest, WrongTextSignatureLoadsNothingSilently)
{
    for (const Bytes& sig :
         {vrtest::counted("QV2001", 6), vrtest::countedRaw(5, "QV2000", 6), vrtest::counted("qv2000", 6)}) {
        EXPECT_EQ(open(write("s.VTX", vrtest::vtxDocument("1", "2", {}, sig))), "");
        EXPECT_EQ(viewer.state.PageCount, 0);
    }
}

TEST_F(ViewerTest, DumpListsStatePagesObjectsAndTheError)
{
    const std::string path =
        write("d.VPG", VpgWriter().page("P1").line(LineRec(1, 2, 3, 4, 255, 2, "3", "FR")).bytes());
    open(path);
    const QJsonObject dump = vrtest::parseJson(dumpDocument(viewer, std::nullopt));
    EXPECT_EQ(dump["state"]["PageCount"].toInt(), 1);
    EXPECT_EQ(dump["state"]["PageSetup"]["PageWidthMM"].toInt(), 210);
    EXPECT_EQ(dump["pages"][0]["attributes"].toArray(), (QJsonArray{10, 10, 10, 10, 0, 1, 1, 0}));
    // Every field the line read, in record order.
    const QJsonObject line = vrtest::dumpedObjects(dump, 0).at(0).toObject();
    EXPECT_EQ(line.keys().size(), 9);
    EXPECT_EQ(line,
              (QJsonObject{{"kind", "TLigne"},
                           {"X1", 1},
                           {"Y1", 2},
                           {"X2", 3},
                           {"Y2", 4},
                           {"Color", 255},
                           {"PenWidth", 2},
                           {"PenStyle", 3},
                           {"ArrowKind", 3}}));
    EXPECT_TRUE(dump["error"].isNull());
    EXPECT_EQ(dump["warnings"].toArray(), QJsonArray{});
    EXPECT_EQ(vrtest::parseJson(dumpDocument(viewer, std::string("'' n'est pas")))["error"].toString(), "'' n'est pas");
}

TEST_F(ViewerTest, ImagesAndShapesReadTheirRecordsAndPictureFilesBesideTheDocument)
{
    vrtest::writeFile((dir / "tile.bmp").string(), vrtest::bmpFile(4, 4, 0x00FF00));
    vrtest::ImageRec image;
    image.fileName = "Tile.BMP";  // found beside the document, whatever the case
    const Bytes embedded = vrtest::bmpFile(2, 2, 0);
    vrtest::ImageRec inside;
    inside.imageSize = std::to_string(embedded.size());
    Bytes insideBody = vrtest::imageRecord(inside);
    insideBody.insert(insideBody.end(), embedded.begin(), embedded.end());
    vrtest::ShapeRec shape;
    shape.kind = "6";
    const Bytes doc = VpgWriter()
                          .page("P1")
                          .object("TDImage", vrtest::imageRecord(image))
                          .object("TDShape", vrtest::shapeRecord(shape))
                          .object("TDImage", insideBody)
                          .line(LineRec(1, 2, 3, 4))
                          .bytes();
    EXPECT_EQ(open(write("pics.VPG", doc)), "");
    const auto& objects = viewer.state.CurrentPage->objects();
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(dynamic_cast<const TDImage&>(*objects[0]).picture.width(), 4);
    EXPECT_EQ(dynamic_cast<const TDImage&>(*objects[0]).PictureFileName, (dir / "tile.bmp").string());
    EXPECT_EQ(dynamic_cast<const TDShape&>(*objects[1]).Shape, TDShapeType::stRoundSquare);
    EXPECT_EQ(dynamic_cast<const TDImage&>(*objects[2]).picture.width(), 2);
    EXPECT_EQ(dynamic_cast<const TLigne&>(*objects[3]).Y2, 4);
    const QJsonArray dumped = vrtest::dumpedObjects(vrtest::parseJson(dumpDocument(viewer, std::nullopt)), 0);
    EXPECT_EQ(dumped[1]["Shape"].toInt(), 3);
    EXPECT_EQ(dumped[1]["InFront"].toInt(), 1);
    EXPECT_EQ(dumped[0]["Picture"]["kind"].toString(), "bmp");
    EXPECT_EQ(dumped[0]["Picture"]["width"].toInt(), 4);
}

TEST_F(ViewerTest, DamagedPicturesAreReportedAsWarningsAndLoadingGoesOn)
{
    // A picture file that is no bitmap, and a shape's brush picture that is none either.
    vrtest::writeFile((dir / "broken.bmp").string(), {'B', 'M', 1, 2, 3});
    vrtest::ImageRec image;
    image.fileName = "broken.bmp";
    vrtest::ShapeRec shape;
    const Bytes junk{9, 9, 9, 9};
    shape.brushImageSize = std::to_string(junk.size());
    Bytes shapeBody = vrtest::shapeRecord(shape);
    vrtest::append(shapeBody, junk);
    const Bytes doc = VpgWriter()
                          .page("P1")
                          .line(LineRec(1, 2, 3, 4))
                          .page("P2")
                          .object("TDImage", vrtest::imageRecord(image))
                          .object("TDShape", shapeBody)
                          .line(LineRec(5, 6, 7, 8))
                          .bytes();
    EXPECT_EQ(open(write("damaged.VPG", doc)), "");
    ASSERT_EQ(viewer.pages().size(), 2u);
    EXPECT_EQ(viewer.pages()[1]->objects().size(), 3u);
    const QJsonArray warnings = vrtest::parseJson(dumpDocument(viewer, std::nullopt))["warnings"].toArray();
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_EQ(warnings[0]["page"].toInt(), 2);
    EXPECT_EQ(warnings[0]["object"].toInt(), 0);
    EXPECT_EQ(warnings[0]["what"].toString().toStdString().rfind(
                  "picture " + (dir / "broken.bmp").string() + " not decoded: ", 0),
              0u)
        << warnings[0]["what"].toString().toStdString();
    EXPECT_EQ(warnings[1]["page"].toInt(), 2);
    EXPECT_EQ(warnings[1]["object"].toInt(), 1);
    EXPECT_TRUE(warnings[1]["what"].toString().startsWith("brush picture not decoded: "))
        << warnings[1]["what"].toString().toStdString();
}

TEST_F(ViewerTest, RichTextFramesAndTablesLoadAndUnloadableContentIsReportedNotFatal)
{
    // A frame whose content is no text, a line, a rich-edit table and a frame on page 1; page 2
    // after them: everything is read, the failure is reported with its message.
    std::vector<vrtest::RichCellRec> cells(2);
    cells[0].content = "{\\rtf1 left}";
    cells[1].left = "120";
    cells[1].content = "";
    const Bytes doc =
        VpgWriter()
            .page("P1")
            .object(
                "TDRICHEDIT",
                vrtest::richEditRecord(vrtest::boundsRecord("10", "10", "200", "100"), {}, std::string("\0\1\2", 3)))
            .line(LineRec(1, 2, 3, 4))
            .object("TabeauRE",
                    vrtest::tabeauRERecord(vrtest::boundsRecord("100", "300", "300", "100"), "2", "1", cells))
            .object("TDRICHEDIT",
                    vrtest::richEditRecord(vrtest::boundsRecord("10", "500", "200", "100"), {}, "{\\rtf1 ok}"))
            .page("P2")
            .line(LineRec())
            .bytes();
    EXPECT_EQ(open(write("rich.VPG", doc)), "");
    EXPECT_EQ(viewer.state.PageCount, 2);
    ASSERT_EQ(viewer.pages()[0]->objects().size(), 4u);
    EXPECT_TRUE(viewer.pages()[0]->visible);
    ASSERT_EQ(viewer.diagnostics.list().size(), 1u);
    EXPECT_EQ(viewer.diagnostics.list()[0].what, "Erreur au chargement du flux");
    EXPECT_EQ(viewer.diagnostics.list()[0].page, 1);
    EXPECT_EQ(viewer.diagnostics.list()[0].object, 0);
    const std::string json = vr::dumpDocument(viewer, std::nullopt);
    EXPECT_NE(json.find("\"kind\": \"TTabeauRE\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"Text\": \"left\\n\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"Text\": \"ok\\n\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"what\": \"Erreur au chargement du flux\""), std::string::npos) << json;
}

TEST_F(ViewerTest, EveryLoadOrClearIsANewDocumentGeneration)
{
    const std::string path = write("again.VPG", VpgWriter().page("P1").bytes());
    const uint64_t start = viewer.documentGeneration();
    EXPECT_EQ(open(path), "");
    EXPECT_EQ(viewer.documentGeneration(), start + 1);
    // The same file read again is a new document, whatever addresses its pages get.
    EXPECT_EQ(open(path), "");
    EXPECT_EQ(viewer.documentGeneration(), start + 2);
    viewer.ClearDocument();
    EXPECT_EQ(viewer.documentGeneration(), start + 3);
}
