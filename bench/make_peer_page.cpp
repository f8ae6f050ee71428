// Writes the page the whole-process comparison with a PDF renderer draws, twice: as a page-layout
// document (OUTDIR/peer.VPG) and as a one-page PDF of the same content (OUTDIR/peer.pdf).
//
// The page is A4 at 96 pixels per inch (794 x 1123 pixels, 595.5 x 842.25 points) and holds 40
// lines of text of 12 points, each 25 pixels below the one before from y = 60, starting at x = 60
// (text along a segment shorter than the text, so it is drawn at its own size), and 40 segments of
// one pixel, each 5 pixels below its line of text, from x = 60 to x = 734, in black. The document
// names the suite's face "QV_Hazel" (drawn with DejaVu Sans where it is not installed); the PDF
// names Helvetica, which the renderer draws with a face built into it (nothing to look up or load
// from disk: the comparison is the harder for us).
#include <cstdio>
#include <string>

#include "support/doc_writer.h"

namespace {

constexpr int kLines = 40;
constexpr int kLeft = 60, kRight = 734, kTop = 60, kStep = 25, kRuleBelow = 5;
constexpr double kPageHeightPt = 1123 * 0.75;

std::string lineText(int i)
{
    char text[96];
    std::snprintf(text, sizeof text, "Line %02d of the comparison page: a quick brown fox jumps", i + 1);
    return text;
}

void writeDocument(const std::string& path)
{
    vrtest::VpgWriter w;
    w.page("P1");
    for (int i = 0; i < kLines; ++i) {
        const int y = kTop + i * kStep;
        vrtest::TextLigneRec r;
        r.x1 = std::to_string(kLeft);
        r.y1 = std::to_string(y);
        r.x2 = std::to_string(kLeft + 10);
        r.y2 = std::to_string(y);
        r.text = lineText(i);
        r.size = "12";
        r.color = "0";
        w.object("TTextLigne", vrtest::textLigneRecord(r));
        w.line(vrtest::LineRec(kLeft, y + 16 + kRuleBelow, kRight, y + 16 + kRuleBelow, 0, 1, "0", "FN"));
    }
    w.save(path);
}

void writePdf(const std::string& path)
{
    std::string content;
    char buf[160];
    content += "0.75 w 0 g 0 G\n";
    for (int i = 0; i < kLines; ++i) {
        const int y = kTop + i * kStep;
        // The baseline about an ascent below the top of the text, as the document's text is placed.
        std::snprintf(buf, sizeof buf, "BT /F1 12 Tf %.2f %.2f Td (%s) Tj ET\n", kLeft * 0.75,
                      kPageHeightPt - (y + 12) * 0.75, lineText(i).c_str());
        content += buf;
        const double ry = kPageHeightPt - (y + 16 + kRuleBelow + 0.5) * 0.75;
        std::snprintf(buf, sizeof buf, "%.2f %.3f m %.2f %.3f l S\n", kLeft * 0.75, ry, kRight * 0.75, ry);
        content += buf;
    }
    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595.5 842.25] /Resources << /Font << /F1 5 0 R >> >> "
        "/Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
    };
    std::string pdf = "%PDF-1.4\n";
    std::string xref = "xref\n0 6\n0000000000 65535 f \n";
    for (int i = 0; i < 5; ++i) {
        std::snprintf(buf, sizeof buf, "%010zu 00000 n \n", pdf.size());
        xref += buf;
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xrefAt = pdf.size();
    pdf += xref + "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";
    vrtest::writeFile(path, vrtest::Bytes(pdf.begin(), pdf.end()));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make-peer-page OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    writeDocument(dir + "/peer.VPG");
    writePdf(dir + "/peer.pdf");
    return 0;
}
