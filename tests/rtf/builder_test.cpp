// The text document built from the model: Persian joined and right to left, formats, tables,
// pictures drawn at the output's resolution, fallback faces and the corpus.
#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPainter>
#include <QRawFont>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextTable>

#include "rtf/builder.h"
#include "rtf_test_support.h"

namespace vr::rtf::test {
namespace {

std::unique_ptr<QTextDocument> build(const std::string& rtf, int dpi = 96, double width = 600)
{
    auto doc = buildTextDocument(std::make_shared<Document>(read(rtf)), dpi);
    doc->setTextWidth(width);
    doc->documentLayout()->documentSize();  // lays it out
    return doc;
}

QImage paint(QTextDocument& doc, double scale = 1.0)
{
    const QSizeF size = doc.size() * scale;
    QImage image(static_cast<int>(size.width()) + 1, static_cast<int>(size.height()) + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.scale(scale, scale);
    paintTextDocument(doc, p, QRectF(QPointF(0, 0), doc.size()));
    return image;
}

int countPixels(const QImage& im, const QRect& r, QRgb color)
{
    int n = 0;
    for (int y = std::max(0, r.top()); y <= std::min(im.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(im.width() - 1, r.right()); ++x)
            n += (im.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
    return n;
}

const std::string kPersian = "{\\rtf1\\ansi\\ansicpg1256{\\fonttbl{\\f0\\froman\\fcharset178 Times New Roman;}}"
                             "\\pard\\rtlpar\\qr\\f0\\fs24 \\'c8\\'d3\\'e3 \\'c7\\'e1\\'e1\\'e5\\par}";

TEST(RtfBuilder, PersianLettersJoinAndRunRightToLeft)
{
    auto doc = build(kPersian);
    const QTextBlock block = doc->begin();
    ASSERT_EQ(block.text(), QString::fromUtf16(u"\u0628\u0633\u0645 \u0627\u0644\u0644\u0647"));
    EXPECT_EQ(block.textDirection(), Qt::RightToLeft);
    QTextLayout* layout = block.layout();
    ASSERT_EQ(layout->lineCount(), 1);
    const QTextLine line = layout->lineAt(0);
    // Right-aligned in a 600-pixel column, and the first letter at the right.
    EXPECT_NEAR(line.naturalTextRect().right(), 600, 1);
    EXPECT_GT(line.cursorToX(0), line.cursorToX(3));
    // Joined: the glyph of beh at the start of a word is not its isolated form.
    const QList<QGlyphRun> runs = line.glyphRuns();
    ASSERT_FALSE(runs.isEmpty());
    const QRawFont font = runs.front().rawFont();
    const quint32 isolatedBeh = font.glyphIndexesForString(QString(QChar(0x0628))).value(0);
    ASSERT_NE(isolatedBeh, 0u) << "the face drawn has no Arabic glyphs";
    bool joined = false;
    QList<quint32> all;
    for (const QGlyphRun& r : runs)
        all += r.glyphIndexes();
    joined = !all.contains(isolatedBeh);
    EXPECT_TRUE(joined) << "beh was drawn in its isolated form";
    // The face is one with Arabic-script glyphs (Times New Roman is not installed here).
    EXPECT_TRUE(font.familyName() == "Nazli" || font.familyName() == "DejaVu Sans") << font.familyName().toStdString();
}

TEST(RtfBuilder, FacesFallBackWithinTheirFamily)
{
    Font roman{"No Such Face", FontFamily::Roman, 2, 0, 1252};
    Font fixed{"Nor This", FontFamily::Nil, 1, 0, 1252};
    Font installedFace{"DejaVu Sans", FontFamily::Swiss, 2, 0, 1252};
    const QStringList r = faceList(&roman);
    ASSERT_FALSE(r.isEmpty());
    EXPECT_FALSE(r.contains("No Such Face"));
    EXPECT_TRUE(r.front() == "Liberation Serif" || r.front() == "DejaVu Serif") << r.front().toStdString();
    const QStringList f = faceList(&fixed);
    EXPECT_TRUE(f.front() == "Liberation Mono" || f.front() == "DejaVu Sans Mono") << f.front().toStdString();
    EXPECT_EQ(faceList(&installedFace).front(), "DejaVu Sans");
    // Every list ends with faces that have Arabic-script glyphs.
    EXPECT_TRUE(r.contains("Nazli") || r.contains("DejaVu Sans"));
    Font times{"Times New Roman", FontFamily::Roman, 2, 0, 1252};
    if (QFontDatabase::hasFamily("Liberation Serif")) {
        EXPECT_EQ(faceList(&times).front(), "Liberation Serif");
    }
}

TEST(RtfBuilder, ComplexScriptRunsTakeTheAssociatedFormat)
{
    auto doc = build("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Liberation Sans;}{\\f1\\froman Nazli;}}"
                     "\\rtlch\\af1\\afs40\\ab \\ltrch\\f0\\fs20 abc \\u1587?\\u1604?\\u1575?\\u1605? def\\par}");
    const QTextBlock block = doc->begin();
    std::vector<QTextLayout::FormatRange> ranges;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        ranges.push_back(
            {it.fragment().position() - block.position(), it.fragment().length(), it.fragment().charFormat()});
    ASSERT_EQ(ranges.size(), 3u);
    EXPECT_EQ(ranges[0].format.fontPointSize(), 10);
    EXPECT_EQ(ranges[0].format.fontFamilies().toStringList().front(), "Liberation Sans");
    EXPECT_EQ(ranges[1].format.fontPointSize(), 20);  // the Persian word and the space after it
    EXPECT_EQ(ranges[1].format.fontWeight(), QFont::Bold);
    EXPECT_EQ(ranges[1].format.fontFamilies().toStringList().front(), "Nazli");
    EXPECT_EQ(ranges[1].start, 4);
    EXPECT_EQ(ranges[2].format.fontPointSize(), 10);
}

TEST(RtfBuilder, FormatsBecomeQtFormats)
{
    auto doc = build("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                     "\\qc\\li1440\\sb240 \\b\\i\\ul\\strike\\cf1\\cb2\\fs30 x\\plain\\super y\\par"
                     "\\pard\\rtlpar\\sl-480 z\\par}");
    QTextBlock b = doc->begin();
    EXPECT_EQ(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(b.blockFormat().leftMargin(), 96);  // one inch at 96 pixels per inch
    EXPECT_EQ(b.blockFormat().topMargin(), 16);
    const QTextCharFormat x = b.begin().fragment().charFormat();
    EXPECT_EQ(x.fontWeight(), QFont::Bold);
    EXPECT_TRUE(x.fontItalic());
    EXPECT_TRUE(x.fontUnderline());
    EXPECT_TRUE(x.fontStrikeOut());
    EXPECT_EQ(x.foreground().color(), QColor(Qt::red));
    EXPECT_EQ(x.background().color(), QColor(Qt::blue));
    EXPECT_EQ(x.fontPointSize(), 15);
    EXPECT_EQ((++b.begin()).fragment().charFormat().verticalAlignment(), QTextCharFormat::AlignSuperScript);
    b = b.next();
    EXPECT_EQ(b.blockFormat().layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(b.blockFormat().alignment(), Qt::AlignRight | Qt::AlignAbsolute);  // the start side
    EXPECT_EQ(b.blockFormat().lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_EQ(b.blockFormat().lineHeight(), 32);
}

TEST(RtfBuilder, LengthsAndFontsFollowTheResolution)
{
    // Every length lands at the same place in inches at either resolution: side and vertical
    // margins, first-line indent, fixed line heights, table columns and cell padding.
    const std::string rtf =
        "{\\rtf1\\li1440\\fi720\\sa1440\\fs24 Hello\\par\\pard\\sl-1440 two\\par\\pard\\sl-1440 three\\par"
        "\\trowd\\trgaph144\\cellx1440\\cellx2880\\intbl a\\cell b\\cell\\row}";
    auto screen = build(rtf, 96, 480);
    auto printer = build(rtf, 300, 1500);
    auto places = [](QTextDocument& doc, double dpi) {
        std::vector<double> inches;
        QTextBlock b = doc.begin();
        inches.push_back(b.layout()->lineAt(0).x() / dpi);
        for (; b.isValid(); b = b.next()) {
            const QRectF r = doc.documentLayout()->blockBoundingRect(b);
            inches.push_back(r.y() / dpi);
            inches.push_back(r.x() / dpi);
        }
        return inches;
    };
    const std::vector<double> a = places(*screen, 96), b = places(*printer, 300);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_NEAR(a[0], 1.5, 0.01);  // \\li1440 and \\fi720
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_NEAR(a[i], b[i], 0.03) << i;
    // Fixed line heights: one inch from "two" to "three".
    EXPECT_NEAR(a[5] - a[3], 1.0, 0.01);
    EXPECT_NEAR(b[5] - b[3], 1.0, 0.01);
    // A 12-point line is about 12/72 inch high at either resolution.
    const double hs = screen->begin().layout()->lineAt(0).height();
    const double hp = printer->begin().layout()->lineAt(0).height();
    EXPECT_NEAR(hp / hs, 300.0 / 96.0, 0.25);
}

TEST(RtfBuilder, TablesLayTheirCellsOnOneGrid)
{
    auto doc = build("{\\rtf1\\trowd\\trgaph72\\clbrdrb\\brdrs\\brdrw30\\clcbpat1\\cellx1440\\cellx2880"
                     "{\\colortbl;\\red0\\green128\\blue0;}"
                     "\\intbl a\\cell b\\cell\\row\\trowd\\cellx2880\\intbl wide\\cell\\row\\pard after\\par}");
    QTextFrame* root = doc->rootFrame();
    QTextTable* table = nullptr;
    for (QTextFrame* f : root->childFrames())
        table = table ? table : qobject_cast<QTextTable*>(f);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->cellAt(0, 1).firstCursorPosition().block().text(), "b");
    EXPECT_EQ(table->cellAt(1, 0).columnSpan(), 2);
    const QTextTableCellFormat cf = table->cellAt(0, 0).format().toTableCellFormat();
    EXPECT_EQ(cf.bottomBorder(), 2);  // 30 twips at 96 pixels per inch
    EXPECT_EQ(cf.leftPadding(), 4.8);
    EXPECT_EQ(cf.background().color(), QColor(0, 128, 0));
    EXPECT_EQ(table->format().columnWidthConstraints().at(0).rawValue(), 96);
    EXPECT_EQ(doc->lastBlock().text(), "after");
    // The cell is painted with its shading.
    const QImage im = paint(*doc);
    EXPECT_GT(countPixels(im, QRect(0, 0, 96, 10), qRgb(0, 128, 0)), 100);
}

TEST(RtfBuilder, RightToLeftRowsRunFromTheRight)
{
    auto doc = build("{\\rtf1\\trowd\\rtlrow\\cellx1440\\cellx2880\\intbl first\\cell second\\cell\\row}");
    QTextTable* table = qobject_cast<QTextTable*>(doc->rootFrame()->childFrames().value(0));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->cellAt(0, 1).firstCursorPosition().block().text(), "first");
    EXPECT_EQ(table->format().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

std::string pngPicture(QColor color, int goalTwips)
{
    QImage im(8, 8, QImage::Format_RGB32);
    im.fill(color);
    QByteArray png;
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    im.save(&b, "PNG");
    return "{\\pict\\pngblip\\picwgoal" + std::to_string(goalTwips) + "\\pichgoal" + std::to_string(goalTwips) + " " +
        hex(std::vector<uint8_t>(png.begin(), png.end())) + "}";
}

TEST(RtfBuilder, PicturesAreDrawnOnThePaintersOwnPixelsAtItsScale)
{
    auto doc = build("{\\rtf1 " + pngPicture(Qt::red, 720) + "\\par}");
    // Half an inch: 48 pixels at 100 %, 96 at 200 %, drawn by the canvas into the same image.
    const QImage at1 = paint(*doc, 1.0);
    const QImage at2 = paint(*doc, 2.0);
    EXPECT_EQ(countPixels(at1, at1.rect(), qRgb(255, 0, 0)), 48 * 48);
    EXPECT_EQ(countPixels(at2, at2.rect(), qRgb(255, 0, 0)), 96 * 96);
    // A metafile is played by the player into the picture's place.
    std::vector<uint8_t> wmf =
        fileBytes(std::string(VR_SOURCE_DIR) + "/tests/fuzz-seeds/metafile_fuzzer/house.wmf.bin");
    wmf.erase(wmf.begin());  // the fuzz seed's first byte picks the kind
    auto mf = build("{\\rtf1 {\\pict\\wmetafile8\\picwgoal1440\\pichgoal1440 " + hex(wmf) + "}\\par}");
    const QImage im = paint(*mf, 2.0);
    int ink = 0;
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 192; ++x)
            ink += (im.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GT(ink, 500);
}

TEST(RtfBuilder, TextLongerThanAPageGoesOnTheNextPages)
{
    std::string rtf = "{\\rtf1\\fs24 ";
    for (int i = 0; i < 60; ++i)
        rtf += "Line " + std::to_string(i) + "\\par ";
    rtf += "}";
    auto doc = build(rtf, 96, 400);
    doc->setPageSize(QSizeF(400, 200));
    EXPECT_GT(doc->pageCount(), 5);
    // No line is cut by a page edge.
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QRectF r = doc->documentLayout()->blockBoundingRect(b);
        const QTextLine line = b.layout()->lineAt(0);
        const double top = r.top() + line.y(), bottom = top + line.height();
        EXPECT_EQ(static_cast<int>(top / 200), static_cast<int>((bottom - 0.01) / 200)) << b.text().toStdString();
    }
}

TEST(RtfCorpus, BothEncodingsOfThePersianDocumentsGiveTheSameText)
{
    for (const char* name : {"fa_letter", "fa_format", "fa_picture_list"}) {
        const std::string a = std::string("rtf-made/") + name + ".rtf",
                          b = std::string("rtf-made/") + name + "_cp1256.rtf";
        VR_NEED_CORPUS_FILE(a);
        const Document da = readCorpus(a), db = readCorpus(b);
        EXPECT_EQ(text(da), text(db)) << name;
        EXPECT_EQ(text(da).find("\xEF\xBF\xBD"), std::string::npos) << name;  // nothing undecodable
        EXPECT_EQ(text(da).find('?'), std::string::npos) << name;  // no fallback character shown
    }
    const Document d = readCorpus("rtf-made/fa_format_cp1256.rtf");
    EXPECT_EQ(
        text(d).rfind(QString::fromUtf16(u"\u06AF\u0632\u0627\u0631\u0634 \u0633\u0627\u0644\u0627\u0646\u0647\u0654")
                          .toStdString(),
                      0),
        0u);
    // The title is 20-point bold Titr, named only by the associated font of its right-to-left run.
    const Span& title = paragraph(d, 0).spans.at(0);
    EXPECT_EQ(d.font(title.format.csFont)->name, "Titr");
    EXPECT_EQ(title.format.csSize, 40);
    EXPECT_EQ(title.format.csBold, true);
    EXPECT_TRUE(paragraph(d, 0).format.rtl);
    EXPECT_EQ(paragraph(d, 0).format.align, Align::Center);
    // The styled paragraphs get the Normal style's space after through their base style.
    EXPECT_EQ(paragraph(d, 1).format.spaceAfter, 113);
}

TEST(RtfCorpus, CodePagesAndUnicodeOfRealFiles)
{
    VR_NEED_CORPUS_FILE("rtf/tika_testRTF-ms932.rtf");
    const std::string ja = text(readCorpus("rtf/tika_testRTF-ms932.rtf"));
    EXPECT_NE(ja.find(QString::fromUtf16(u"\u3053\u3093\u306B\u3061\u306F").toStdString()), std::string::npos);
    EXPECT_NE(ja.find(QString::fromUtf16(u"\u30C6\u30B9\u30C8").toStdString()), std::string::npos);
    const std::string poo = text(readCorpus("rtf/rtfjs_pile-of-poo.rtf"));
    EXPECT_NE(poo.find("\xF0\x9F\x92\xA9"), std::string::npos);
    const std::string cz = text(readCorpus("rtf/tika_testRTFWindowsCodepage1250.rtf"));
    EXPECT_NE(cz.find(QString::fromUtf16(u"\u017C\u00F3\u0142\u0107").toStdString()), std::string::npos) << cz;
    const std::string ar = text(readCorpus("rtf/rtl_envy_Arabic.rtf"));
    EXPECT_NE(ar.find(QString::fromUtf16(u"\u0627\u0644").toStdString()), std::string::npos);
    const std::string he = text(readCorpus("rtf/rtl_shareaza_hebrew_wordpad.rtf"));
    EXPECT_NE(he.find(QString::fromUtf16(u"\u05D4").toStdString()), std::string::npos);
    EXPECT_EQ(text(readCorpus("rtf/rtl_shareaza_hebrew_compacted.rtf")), he);
    const std::string zh = text(readCorpus("rtf/shareaza_chinese_wordpad.rtf"));
    EXPECT_EQ(zh.find("\xEF\xBF\xBD"), std::string::npos);
    EXPECT_NE(zh.find("GNU"), std::string::npos);
}

TEST(RtfCorpus, TablesAndPicturesOfRealFiles)
{
    VR_NEED_CORPUS_FILE("rtf/tika_testRTFTableCellSeparation.rtf");
    const Document t = readCorpus("rtf/tika_testRTFTableCellSeparation.rtf");
    EXPECT_NE(text(t).find("a\tb\t\nc\td\t\n"), std::string::npos) << text(t);
    const Document png = readCorpus("rtf/rtfjs_simplepng.rtf");
    ASSERT_EQ(png.pictures.size(), 1u);
    EXPECT_FALSE(png.pictures[0].image.isNull());
    // Word's shape pictures (JPEG) are read, their metafile alternatives are not.
    const Document images = readCorpus("rtf/tika_testRTFRegularImages.rtf");
    ASSERT_EQ(images.pictures.size(), 2u);
    for (const PictureItem& p : images.pictures) {
        ASSERT_TRUE(p.picture);
        EXPECT_EQ(p.picture->kind(), Picture::Kind::Jpeg);
    }
    const Document wmf = readCorpus("rtf/rtfjs_simplepict.rtf");
    ASSERT_FALSE(wmf.pictures.empty());
    for (const PictureItem& p : wmf.pictures) {
        ASSERT_TRUE(p.picture);
        EXPECT_EQ(p.picture->kind(), Picture::Kind::Wmf);
    }
    // \bin picture data: read, not taken for text.
    const Document bin = readCorpus("rtf/tika_testBinControlWord.rtf");
    EXPECT_EQ(bin.pictures.size(), 1u);
    EXPECT_THROW(readCorpus("rtf/rtfpipe_RtfParserTest_fail_5.rtf"), NotRtfError);
}

TEST(RtfCorpus, EveryFileReadsAndLaysOut)
{
    VR_NEED_CORPUS_FILE("rtf");
    for (const auto& dir : {"rtf", "rtf-made"})
        for (const auto& e : std::filesystem::directory_iterator(corpusPath(dir))) {
            if (e.path().extension() != ".rtf")
                continue;
            const std::vector<uint8_t> bytes = fileBytes(e.path());
            if (!isRtf(bytes.data(), bytes.size()))
                continue;
            auto model = std::make_shared<Document>(readRtf(bytes.data(), bytes.size()));
            auto doc = buildTextDocument(model, 96);
            doc->setTextWidth(600);
            EXPECT_GT(doc->size().height(), 0) << e.path();
            EXPECT_FALSE(model->plainText().isEmpty()) << e.path();
        }
}

TEST(RtfBuilder, AVeryLongWordLaysOutQuickly)
{
    // 100 000 characters without a space: break opportunities every 64 keep the layout linear
    // (without them this takes minutes, past the test's time limit).
    const std::string word(100000, 'x');
    auto doc = build("{\\rtf1 " + word + "\\par}", 96, 200);
    const QTextLayout* layout = doc->begin().layout();
    EXPECT_GT(layout->lineCount(), 100);
    for (int i = 0; i < layout->lineCount(); ++i)
        EXPECT_LE(layout->lineAt(i).naturalTextWidth(), 200.5) << i;
    // The model's text is untouched.
    EXPECT_EQ(text("{\\rtf1 " + word + "}").size(), word.size() + 1);
}

}  // namespace
}  // namespace vr::rtf::test
