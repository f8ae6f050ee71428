// The reader walks the tokens once, keeping a stack of group states (formatting, destination,
// Unicode skip count). Text bytes are gathered per code page and decoded when the state changes.
// Paragraphs marked \intbl collect into cells; \cell and \row close them, and the first paragraph
// outside a table closes the table.
#include "rtf/reader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include <QBuffer>
#include <QImageReader>

#include "rtf/codepage.h"
#include "rtf/tokenizer.h"

namespace vr::rtf {
namespace {

enum class Dest : uint8_t { Normal, Skip, FontTable, ColorTable, StyleSheet, StyleEntry, Picture };
// Which set of font properties \af names: the complex-script one after \rtlch, none otherwise.
enum class Assoc : uint8_t { Ltr, Rtl, Latin, DoubleByte };
enum class BorderTarget : uint8_t { None, Top, Left, Bottom, Right };
enum class PictKind : uint8_t { None, Wmf, Emf, Dib, Ddb, Png, Jpeg };

struct State {
    Dest dest = Dest::Normal;
    CharFormat chr;
    ParaFormat para;
    int uc = 1;
    Assoc assoc = Assoc::Ltr;
};

enum class Kw {
    // character formatting
    Plain,
    F,
    Fs,
    B,
    I,
    Ul,
    Uld,
    Uldash,
    Uldashd,
    Uldashdd,
    Uldb,
    Ulth,
    Ulw,
    Ulwave,
    Ulnone,
    Strike,
    Super,
    Sub,
    NoSuperSub,
    Up,
    Dn,
    Cf,
    Cb,
    Highlight,
    Caps,
    Scaps,
    V,
    Rtlch,
    Ltrch,
    Hich,
    Loch,
    Dbch,
    Af,
    Afs,
    Ab,
    Ai,
    // paragraph formatting
    Pard,
    Ql,
    Qr,
    Qc,
    Qj,
    Li,
    Ri,
    Fi,
    Lin,
    Rin,
    Sb,
    Sa,
    Sl,
    Slmult,
    Rtlpar,
    Ltrpar,
    Tx,
    Tqr,
    Tqc,
    Tqdec,
    Intbl,
    Itap,
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    Ansicpg,
    Deff,
    Deftab,
    Uc,
    U,
    // breaks and tables
    Par,
    Line,
    Tab,
    Page,
    Cell,
    NestCell,
    Row,
    NestRow,
    Trowd,
    Cellx,
    ClBrdrT,
    ClBrdrL,
    ClBrdrB,
    ClBrdrR,
    OtherBorder,
    BrdrStyle,
    BrdrNone,
    Brdrw,
    Brdrcf,
    Clcbpat,
    Clshdng,
    Trgaph,
    Trleft,
    Trqc,
    Trqr,
    Trql,
    Rtlrow,
    Ltrrow,
    S,
    // characters
    Emdash,
    Endash,
    Emspace,
    Enspace,
    Qmspace,
    Bullet,
    Lquote,
    Rquote,
    Ldblquote,
    Rdblquote,
    Zwj,
    Zwnj,
    Ltrmark,
    Rtlmark,
    Bin,
    // destinations
    Fonttbl,
    Colortbl,
    Stylesheet,
    Pict,
    Shppict,
    SkipDest,
    // font table, colour table, style sheet
    Froman,
    Fswiss,
    Fmodern,
    Fscript,
    Fdecor,
    Ftech,
    Fbidi,
    Fnil,
    Fcharset,
    Cpg,
    Fprq,
    Red,
    Green,
    Blue,
    Sbasedon,
    // pictures
    Wmetafile,
    Emfblip,
    Dibitmap,
    Wbitmap,
    Pngblip,
    Jpegblip,
    Picw,
    Pich,
    Picwgoal,
    Pichgoal,
    Picscalex,
    Picscaley,
    Wbmbitspixel,
    Wbmwidthbytes,
};

const std::unordered_map<std::string_view, Kw>& keywords()
{
    static const std::unordered_map<std::string_view, Kw> map = [] {
        std::unordered_map<std::string_view, Kw> m{{"plain", Kw::Plain},
                                                   {"f", Kw::F},
                                                   {"fs", Kw::Fs},
                                                   {"b", Kw::B},
                                                   {"i", Kw::I},
                                                   {"ul", Kw::Ul},
                                                   {"uld", Kw::Uld},
                                                   {"uldash", Kw::Uldash},
                                                   {"uldashd", Kw::Uldashd},
                                                   {"uldashdd", Kw::Uldashdd},
                                                   {"uldb", Kw::Uldb},
                                                   {"ulth", Kw::Ulth},
                                                   {"ulw", Kw::Ulw},
                                                   {"ulwave", Kw::Ulwave},
                                                   {"ulnone", Kw::Ulnone},
                                                   {"strike", Kw::Strike},
                                                   {"striked", Kw::Strike},
                                                   {"super", Kw::Super},
                                                   {"sub", Kw::Sub},
                                                   {"nosupersub", Kw::NoSuperSub},
                                                   {"up", Kw::Up},
                                                   {"dn", Kw::Dn},
                                                   {"cf", Kw::Cf},
                                                   {"cb", Kw::Cb},
                                                   {"highlight", Kw::Highlight},
                                                   {"chcbpat", Kw::Cb},
                                                   {"caps", Kw::Caps},
                                                   {"scaps", Kw::Scaps},
                                                   {"v", Kw::V},
                                                   {"rtlch", Kw::Rtlch},
                                                   {"ltrch", Kw::Ltrch},
                                                   {"hich", Kw::Hich},
                                                   {"loch", Kw::Loch},
                                                   {"dbch", Kw::Dbch},
                                                   {"af", Kw::Af},
                                                   {"afs", Kw::Afs},
                                                   {"ab", Kw::Ab},
                                                   {"ai", Kw::Ai},
                                                   {"pard", Kw::Pard},
                                                   {"ql", Kw::Ql},
                                                   {"qr", Kw::Qr},
                                                   {"qc", Kw::Qc},
                                                   {"qj", Kw::Qj},
                                                   {"qd", Kw::Qj},
                                                   {"li", Kw::Li},
                                                   {"ri", Kw::Ri},
                                                   {"fi", Kw::Fi},
                                                   {"lin", Kw::Lin},
                                                   {"rin", Kw::Rin},
                                                   {"sb", Kw::Sb},
                                                   {"sa", Kw::Sa},
                                                   {"sl", Kw::Sl},
                                                   {"slmult", Kw::Slmult},
                                                   {"rtlpar", Kw::Rtlpar},
                                                   {"ltrpar", Kw::Ltrpar},
                                                   {"tx", Kw::Tx},
                                                   {"tb", Kw::Tx},
                                                   {"tqr", Kw::Tqr},
                                                   {"tqc", Kw::Tqc},
                                                   {"tqdec", Kw::Tqdec},
                                                   {"intbl", Kw::Intbl},
                                                   {"itap", Kw::Itap},
                                                   {"ansi", Kw::Ansi},
                                                   {"mac", Kw::Mac},
                                                   {"pc", Kw::Pc},
                                                   {"pca", Kw::Pca},
                                                   {"ansicpg", Kw::Ansicpg},
                                                   {"deff", Kw::Deff},
                                                   {"deftab", Kw::Deftab},
                                                   {"uc", Kw::Uc},
                                                   {"u", Kw::U},
                                                   {"par", Kw::Par},
                                                   {"line", Kw::Line},
                                                   {"tab", Kw::Tab},
                                                   {"page", Kw::Page},
                                                   {"sect", Kw::Page},
                                                   {"column", Kw::Page},
                                                   {"cell", Kw::Cell},
                                                   {"nestcell", Kw::NestCell},
                                                   {"row", Kw::Row},
                                                   {"nestrow", Kw::NestRow},
                                                   {"trowd", Kw::Trowd},
                                                   {"cellx", Kw::Cellx},
                                                   {"clbrdrt", Kw::ClBrdrT},
                                                   {"clbrdrl", Kw::ClBrdrL},
                                                   {"clbrdrb", Kw::ClBrdrB},
                                                   {"clbrdrr", Kw::ClBrdrR},
                                                   {"brdrt", Kw::OtherBorder},
                                                   {"brdrl", Kw::OtherBorder},
                                                   {"brdrb", Kw::OtherBorder},
                                                   {"brdrr", Kw::OtherBorder},
                                                   {"brdrbar", Kw::OtherBorder},
                                                   {"brdrbtw", Kw::OtherBorder},
                                                   {"box", Kw::OtherBorder},
                                                   {"trbrdrt", Kw::OtherBorder},
                                                   {"trbrdrl", Kw::OtherBorder},
                                                   {"trbrdrb", Kw::OtherBorder},
                                                   {"trbrdrr", Kw::OtherBorder},
                                                   {"trbrdrh", Kw::OtherBorder},
                                                   {"trbrdrv", Kw::OtherBorder},
                                                   {"chbrdr", Kw::OtherBorder},
                                                   {"brdrnone", Kw::BrdrNone},
                                                   {"brdrnil", Kw::BrdrNone},
                                                   {"brdrtbl", Kw::BrdrNone},
                                                   {"brdrw", Kw::Brdrw},
                                                   {"brdrcf", Kw::Brdrcf},
                                                   {"clcbpat", Kw::Clcbpat},
                                                   {"clshdng", Kw::Clshdng},
                                                   {"trgaph", Kw::Trgaph},
                                                   {"trleft", Kw::Trleft},
                                                   {"trqc", Kw::Trqc},
                                                   {"trqr", Kw::Trqr},
                                                   {"trql", Kw::Trql},
                                                   {"rtlrow", Kw::Rtlrow},
                                                   {"ltrrow", Kw::Ltrrow},
                                                   {"s", Kw::S},
                                                   {"emdash", Kw::Emdash},
                                                   {"endash", Kw::Endash},
                                                   {"emspace", Kw::Emspace},
                                                   {"enspace", Kw::Enspace},
                                                   {"qmspace", Kw::Qmspace},
                                                   {"bullet", Kw::Bullet},
                                                   {"lquote", Kw::Lquote},
                                                   {"rquote", Kw::Rquote},
                                                   {"ldblquote", Kw::Ldblquote},
                                                   {"rdblquote", Kw::Rdblquote},
                                                   {"zwj", Kw::Zwj},
                                                   {"zwnj", Kw::Zwnj},
                                                   {"ltrmark", Kw::Ltrmark},
                                                   {"rtlmark", Kw::Rtlmark},
                                                   {"bin", Kw::Bin},
                                                   {"fonttbl", Kw::Fonttbl},
                                                   {"colortbl", Kw::Colortbl},
                                                   {"stylesheet", Kw::Stylesheet},
                                                   {"pict", Kw::Pict},
                                                   {"shppict", Kw::Shppict},
                                                   {"froman", Kw::Froman},
                                                   {"fswiss", Kw::Fswiss},
                                                   {"fmodern", Kw::Fmodern},
                                                   {"fscript", Kw::Fscript},
                                                   {"fdecor", Kw::Fdecor},
                                                   {"ftech", Kw::Ftech},
                                                   {"fbidi", Kw::Fbidi},
                                                   {"fnil", Kw::Fnil},
                                                   {"fcharset", Kw::Fcharset},
                                                   {"cpg", Kw::Cpg},
                                                   {"fprq", Kw::Fprq},
                                                   {"red", Kw::Red},
                                                   {"green", Kw::Green},
                                                   {"blue", Kw::Blue},
                                                   {"sbasedon", Kw::Sbasedon},
                                                   {"wmetafile", Kw::Wmetafile},
                                                   {"emfblip", Kw::Emfblip},
                                                   {"dibitmap", Kw::Dibitmap},
                                                   {"wbitmap", Kw::Wbitmap},
                                                   {"pngblip", Kw::Pngblip},
                                                   {"jpegblip", Kw::Jpegblip},
                                                   {"picw", Kw::Picw},
                                                   {"pich", Kw::Pich},
                                                   {"picwgoal", Kw::Picwgoal},
                                                   {"pichgoal", Kw::Pichgoal},
                                                   {"picscalex", Kw::Picscalex},
                                                   {"picscaley", Kw::Picscaley},
                                                   {"wbmbitspixel", Kw::Wbmbitspixel},
                                                   {"wbmwidthbytes", Kw::Wbmwidthbytes}};
        // Border styles: any of them draws the border; \brdrw gives its width.
        for (std::string_view w : {"brdrs", "brdrth", "brdrsh", "brdrdb", "brdrdot", "brdrdash", "brdrhair",
                                   "brdrdashsm", "brdrdashd", "brdrdashdd", "brdrtriple", "brdrwavy", "brdrinset",
                                   "brdroutset", "brdremboss", "brdrengrave", "brdrframe", "brdrthtnsg"})
            m.emplace(w, Kw::BrdrStyle);
        // Destinations whose content is not text of the document.
        for (std::string_view w : {"info",
                                   "fldinst",
                                   "objdata",
                                   "objclass",
                                   "objname",
                                   "header",
                                   "headerl",
                                   "headerr",
                                   "headerf",
                                   "footer",
                                   "footerl",
                                   "footerr",
                                   "footerf",
                                   "footnote",
                                   "annotation",
                                   "nonshppict",
                                   "listtable",
                                   "listoverridetable",
                                   "revtbl",
                                   "rsidtbl",
                                   "xmlnstbl",
                                   "themedata",
                                   "colorschememapping",
                                   "latentstyles",
                                   "datastore",
                                   "pgdsctbl",
                                   "mmathPr",
                                   "template",
                                   "filetbl",
                                   "generator",
                                   "nonesttables",
                                   "bkmkstart",
                                   "bkmkend",
                                   "xe",
                                   "tc",
                                   "txe",
                                   "atnid",
                                   "atnauthor",
                                   "fldtype",
                                   "pntxta",
                                   "pntxtb",
                                   "docvar",
                                   "ftnsep",
                                   "ftnsepc",
                                   "aftnsep",
                                   "aftnsepc",
                                   "sp",
                                   "sn",
                                   "sv",
                                   "shpinst",
                                   "userprops",
                                   "fchars",
                                   "lchars",
                                   "background",
                                   "pn",
                                   "falt",
                                   "panose",
                                   "fontemb",
                                   "fontfile",
                                   "macpict",
                                   "pmmetafile",
                                   "blipuid",
                                   "picprop",
                                   "objalias",
                                   "objsect",
                                   "operator",
                                   "title",
                                   "subject",
                                   "author",
                                   "keywords",
                                   "doccomm",
                                   "comment",
                                   "company",
                                   "category",
                                   "manager",
                                   "hlinkbase"})
            m.emplace(w, Kw::SkipDest);
        return m;
    }();
    return map;
}

struct StyleToken {
    Kw kw;
    int32_t param;
    bool hasParam;
};

struct Style {
    int basedOn = -1;
    std::vector<StyleToken> tokens;
    bool resolving = false, resolved = false;
    CharFormat chr;
    ParaFormat para;
};

constexpr size_t kMaxStyleTokens = 256;
constexpr int kMaxStyleChain = 16;

// A device-dependent bitmap (\wbitmap): rows of widthBytes each, top row first, no colour table.
// One bit per pixel is black and white; 24 and 32 bits are BGR(X).
QImage decodeDdb(const std::vector<uint8_t>& data, int width, int height, int bitsPerPixel, int widthBytes)
{
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return {};
    const int64_t minBytes = (static_cast<int64_t>(width) * bitsPerPixel + 7) / 8;
    if (widthBytes <= 0)
        widthBytes = static_cast<int>(((minBytes + 1) / 2) * 2);
    if (widthBytes < minBytes || static_cast<int64_t>(widthBytes) * height > static_cast<int64_t>(data.size()))
        return {};
    if (bitsPerPixel == 1) {
        QImage im(width, height, QImage::Format_Mono);
        im.setColorTable({0xFF000000u, 0xFFFFFFFFu});
        for (int y = 0; y < height; ++y)
            std::memcpy(im.scanLine(y), data.data() + static_cast<size_t>(y) * widthBytes,
                        static_cast<size_t>(std::min<int64_t>(minBytes, im.bytesPerLine())));
        return im;
    }
    if (bitsPerPixel != 24 && bitsPerPixel != 32)
        return {};
    const int step = bitsPerPixel / 8;
    QImage im(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = data.data() + static_cast<size_t>(y) * widthBytes;
        auto* out = reinterpret_cast<uint32_t*>(im.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const uint8_t* px = row + static_cast<size_t>(x) * step;
            out[x] = 0xFF000000u | (px[2] << 16) | (px[1] << 8) | px[0];
        }
    }
    return im;
}

// PNG through Qt's reader, refusing pictures whose pixels would not fit a reasonable memory.
QImage decodePng(const std::vector<uint8_t>& data)
{
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    if (!size.isValid() || static_cast<int64_t>(size.width()) * size.height() > (int64_t(1) << 26))
        return {};
    QImage im;
    if (!reader.read(&im))
        return {};
    return im;
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size, const ReadLimits& limits) : tok_(data, size), limits_(limits) { }

    Document run();

private:
    void groupOpen();
    bool groupClose();  // false when the outermost group closed
    void word(std::string_view name, bool hasParam, int32_t param);
    void symbol(char c);
    void text(std::string_view bytes);
    void hexByte(uint8_t b);
    bool applyFormat(State& s, Kw kw, bool hasParam, int32_t param);
    void applyStyle(int number);
    Style* resolveStyle(int number, int depth);

    int codePageOf(int fontNumber) const;
    int currentCodePage() const;
    void appendBytes(const char* p, size_t n);
    void flushBytes();
    void appendText(const QString& s, const CharFormat& f);
    void appendChar(char16_t c) { appendText(QString(QChar(c)), cur_.chr); }
    void endParagraph(bool cellEnd);
    void endCell();
    void endRow();
    void closeTable();
    void commitFont();
    void finishPicture();
    void pictureText(std::string_view bytes);

    Tokenizer tok_;
    ReadLimits limits_;
    CodePageDecoder decoder_;
    Document doc_;
    State cur_;
    std::vector<State> stack_;
    int overflowDepth_ = 0;
    bool starPending_ = false;
    int ucSkip_ = 0;

    // text gathered in one code page and format
    std::string bytes_;
    int bytesCp_ = 0;
    CharFormat bytesFmt_;
    std::vector<Span> spans_;

    // tables
    RowDef rowDef_;
    CellDef cellDef_;
    BorderTarget border_ = BorderTarget::None;
    Cell cell_;
    std::vector<Cell> rowCells_;
    Table table_;

    // font table entry
    bool fontActive_ = false;
    int fontNumber_ = 0;
    Font font_;
    std::string fontName_;
    // colour table entry
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorGiven_ = false;
    // style sheet entry
    std::map<int, Style> styles_;
    int styleNumber_ = 0;
    Style style_;

    // picture
    PictKind pictKind_ = PictKind::None;
    std::vector<uint8_t> pictData_;
    int pictNibble_ = -1;
    int picw_ = 0, pich_ = 0, goalW_ = 0, goalH_ = 0, scaleX_ = 100, scaleY_ = 100, ddbBits_ = 1, ddbWidthBytes_ = 0;
};

Document Reader::run()
{
    Token t = tok_.next();
    if (t.type != Token::GroupOpen)
        throw NotRtfError();
    // The document's own group is the reader's base state, not a pushed one.
    t = tok_.next();
    for (;;) {
        if (t.type == Token::End)
            break;
        if (overflowDepth_ > 0) {
            if (t.type == Token::GroupOpen)
                ++overflowDepth_;
            else if (t.type == Token::GroupClose)
                --overflowDepth_;
        } else {
            switch (t.type) {
            case Token::GroupOpen:
                groupOpen();
                break;
            case Token::GroupClose:
                if (!groupClose())
                    goto done;
                break;
            case Token::Word:
                word(t.word, t.hasParam, t.param);
                break;
            case Token::Symbol:
                symbol(static_cast<char>(t.param));
                break;
            case Token::Hex:
                hexByte(static_cast<uint8_t>(t.param));
                break;
            case Token::Text:
                text(t.word);
                break;
            case Token::End:
                break;
            }
            if (t.type != Token::Text && t.type != Token::Hex) {
                const int cp = cur_.dest == Dest::Normal ? currentCodePage() : 0;
                tok_.setLeadCodePage(isDoubleByteCodePage(cp) ? cp : 0);
            }
        }
        t = tok_.next();
    }
done:
    // Whatever was open at the end of the bytes is kept, in the state it was read in.
    flushBytes();
    if (cur_.dest == Dest::Picture)
        finishPicture();
    if (!spans_.empty())
        endParagraph(false);
    closeTable();
    return std::move(doc_);
}

void Reader::groupOpen()
{
    flushBytes();
    ucSkip_ = 0;
    if (static_cast<int>(stack_.size()) >= limits_.maxDepth) {
        overflowDepth_ = 1;
        return;
    }
    stack_.push_back(cur_);
    starPending_ = false;
    if (cur_.dest == Dest::StyleSheet) {
        cur_.dest = Dest::StyleEntry;
        style_ = Style{};
        styleNumber_ = 0;
    }
}

bool Reader::groupClose()
{
    flushBytes();
    ucSkip_ = 0;
    starPending_ = false;
    if (stack_.empty())
        return false;
    const State closing = cur_;
    cur_ = stack_.back();
    stack_.pop_back();
    if (closing.dest == Dest::Picture && cur_.dest != Dest::Picture)
        finishPicture();
    else if (closing.dest == Dest::StyleEntry && cur_.dest == Dest::StyleSheet) {
        if (static_cast<int>(styles_.size()) < limits_.maxStyles || styles_.count(styleNumber_))
            styles_[styleNumber_] = std::move(style_);
    } else if (closing.dest == Dest::FontTable)
        commitFont();
    return true;
}

int Reader::codePageOf(int fontNumber) const
{
    const Font* f = doc_.font(fontNumber);
    if (f && f->codePage != 0)
        return f->codePage;
    return doc_.codePage;
}

int Reader::currentCodePage() const
{
    const CharFormat& c = cur_.chr;
    if (c.rtl && c.csFont >= 0 && doc_.font(c.csFont))
        return codePageOf(c.csFont);
    return codePageOf(c.font >= 0 ? c.font : doc_.defaultFont);
}

void Reader::appendBytes(const char* p, size_t n)
{
    if (n == 0)
        return;
    const int cp = currentCodePage();
    if (!bytes_.empty() && (cp != bytesCp_ || !(bytesFmt_ == cur_.chr)))
        flushBytes();
    if (bytes_.empty()) {
        bytesCp_ = cp;
        bytesFmt_ = cur_.chr;
    }
    bytes_.append(p, n);
}

void Reader::flushBytes()
{
    if (bytes_.empty())
        return;
    QString s;
    decoder_.decode(bytesCp_, reinterpret_cast<const uint8_t*>(bytes_.data()), bytes_.size(), s);
    bytes_.clear();
    appendText(s, bytesFmt_);
}

void Reader::appendText(const QString& s, const CharFormat& f)
{
    if (f.hidden || s.isEmpty())
        return;
    QString clean;
    clean.reserve(s.size());
    for (QChar c : s)
        if (c.unicode() >= 0x20 || c == u'\t')
            clean += c;
    if (clean.isEmpty())
        return;
    if (!spans_.empty() && spans_.back().picture < 0 && spans_.back().format == f)
        spans_.back().text += clean;
    else
        spans_.push_back(Span{clean, f, -1});
}

void Reader::text(std::string_view bytes)
{
    if (ucSkip_ > 0) {
        const size_t n = std::min<size_t>(static_cast<size_t>(ucSkip_), bytes.size());
        ucSkip_ -= static_cast<int>(n);
        bytes.remove_prefix(n);
    }
    if (bytes.empty())
        return;
    switch (cur_.dest) {
    case Dest::Normal:
        appendBytes(bytes.data(), bytes.size());
        break;
    case Dest::FontTable:
        for (char c : bytes) {
            if (c == ';')
                commitFont();
            else if (fontActive_ && fontName_.size() < 256)
                fontName_ += c;
        }
        break;
    case Dest::ColorTable:
        for (char c : bytes) {
            if (c != ';')
                continue;
            if (static_cast<int>(doc_.colors.size()) < limits_.maxColors)
                doc_.colors.push_back(colorGiven_ ? std::optional<Color>(rgbColor(static_cast<uint8_t>(red_),
                                                                                  static_cast<uint8_t>(green_),
                                                                                  static_cast<uint8_t>(blue_)))
                                                  : std::nullopt);
            red_ = green_ = blue_ = 0;
            colorGiven_ = false;
        }
        break;
    case Dest::Picture:
        pictureText(bytes);
        break;
    default:
        break;
    }
}

void Reader::hexByte(uint8_t b)
{
    if (ucSkip_ > 0) {
        --ucSkip_;
        return;
    }
    const char c = static_cast<char>(b);
    if (cur_.dest == Dest::Normal)
        appendBytes(&c, 1);
    else if (cur_.dest == Dest::FontTable && fontActive_ && fontName_.size() < 256)
        fontName_ += c;
}

void Reader::symbol(char c)
{
    if (c == '*') {
        starPending_ = true;
        return;
    }
    if (ucSkip_ > 0) {
        --ucSkip_;
        return;
    }
    if (cur_.dest != Dest::Normal)
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        flushBytes();
        appendChar(static_cast<char16_t>(c));
        break;
    case '~':
        flushBytes();
        appendChar(0x00A0);
        break;
    case '-':
        flushBytes();
        appendChar(0x00AD);
        break;
    case '_':
        flushBytes();
        appendChar(0x2011);
        break;
    case '\t':
        flushBytes();
        appendChar(u'\t');
        break;
    default:
        break;
    }
}

void Reader::commitFont()
{
    if (!fontActive_)
        return;
    fontActive_ = false;
    if (static_cast<int>(doc_.fonts.size()) >= limits_.maxFonts && !doc_.fonts.count(fontNumber_))
        return;
    if (font_.codePage == 0)
        font_.codePage = font_.charset == 1 ? 0 : codePageOfCharset(font_.charset);
    // The name is in the font's own code page (a symbol font's name is plain text).
    const int cp = font_.codePage == 0 || font_.codePage == kSymbolCodePage ? doc_.codePage : font_.codePage;
    QString name;
    decoder_.decode(cp, reinterpret_cast<const uint8_t*>(fontName_.data()), fontName_.size(), name);
    font_.name = name.trimmed().toStdString();
    doc_.fonts[fontNumber_] = font_;
}

bool Reader::applyFormat(State& s, Kw kw, bool hasParam, int32_t param)
{
    CharFormat& c = s.chr;
    ParaFormat& p = s.para;
    const bool on = !hasParam || param != 0;
    auto lengthOr = [&](int def) { return hasParam ? std::clamp(param, -31680 * 2, 31680 * 2) : def; };
    switch (kw) {
    case Kw::Plain:
        c = CharFormat{};
        s.assoc = Assoc::Ltr;
        break;
    case Kw::F:
        c.font = hasParam ? param : 0;
        break;
    case Kw::Fs:
        c.size = hasParam && param > 0 ? std::min(param, 3276) : 24;
        break;
    case Kw::B:
        c.bold = on;
        break;
    case Kw::I:
        c.italic = on;
        break;
    case Kw::Ul:
        c.underline = on ? Underline::Single : Underline::None;
        break;
    case Kw::Uld:
        c.underline = on ? Underline::Dotted : Underline::None;
        break;
    case Kw::Uldash:
        c.underline = on ? Underline::Dash : Underline::None;
        break;
    case Kw::Uldashd:
        c.underline = on ? Underline::DashDot : Underline::None;
        break;
    case Kw::Uldashdd:
        c.underline = on ? Underline::DashDotDot : Underline::None;
        break;
    case Kw::Uldb:
        c.underline = on ? Underline::Double : Underline::None;
        break;
    case Kw::Ulth:
        c.underline = on ? Underline::Thick : Underline::None;
        break;
    case Kw::Ulw:
        c.underline = on ? Underline::Words : Underline::None;
        break;
    case Kw::Ulwave:
        c.underline = on ? Underline::Wave : Underline::None;
        break;
    case Kw::Ulnone:
        c.underline = Underline::None;
        break;
    case Kw::Strike:
        c.strike = on;
        break;
    case Kw::Super:
        c.vertical = on ? VerticalAlign::Super : VerticalAlign::Normal;
        break;
    case Kw::Sub:
        c.vertical = on ? VerticalAlign::Sub : VerticalAlign::Normal;
        break;
    case Kw::NoSuperSub:
        c.vertical = VerticalAlign::Normal;
        c.offset = 0;
        break;
    case Kw::Up:
        c.offset = hasParam ? std::clamp(param, 0, 3276) : 6;
        break;
    case Kw::Dn:
        c.offset = -(hasParam ? std::clamp(param, 0, 3276) : 6);
        break;
    case Kw::Cf:
        c.foreground = hasParam ? param : 0;
        break;
    case Kw::Cb:
    case Kw::Highlight:
        c.background = hasParam ? param : 0;
        break;
    case Kw::Caps:
        c.caps = on;
        break;
    case Kw::Scaps:
        c.smallCaps = on;
        break;
    case Kw::V:
        c.hidden = on;
        break;
    case Kw::Rtlch:
        c.rtl = true;
        s.assoc = Assoc::Rtl;
        break;
    case Kw::Ltrch:
        c.rtl = false;
        s.assoc = Assoc::Ltr;
        break;
    case Kw::Hich:
    case Kw::Loch:
        s.assoc = Assoc::Latin;
        break;
    case Kw::Dbch:
        s.assoc = Assoc::DoubleByte;
        break;
    case Kw::Af:
        if (s.assoc == Assoc::Rtl)
            c.csFont = hasParam ? param : 0;
        break;
    case Kw::Afs:
        c.csSize = hasParam && param > 0 ? std::min(param, 3276) : 0;
        break;
    case Kw::Ab:
        c.csBold = on;
        break;
    case Kw::Ai:
        c.csItalic = on;
        break;
    case Kw::Pard:
        p = ParaFormat{};
        break;
    case Kw::Ql:
        p.align = Align::Left;
        break;
    case Kw::Qr:
        p.align = Align::Right;
        break;
    case Kw::Qc:
        p.align = Align::Center;
        break;
    case Kw::Qj:
        p.align = Align::Justify;
        break;
    case Kw::Li:
        p.leftIndent = lengthOr(0);
        break;
    case Kw::Ri:
        p.rightIndent = lengthOr(0);
        break;
    case Kw::Fi:
        p.firstIndent = lengthOr(0);
        break;
    case Kw::Lin:
        p.startIndent = lengthOr(0);
        break;
    case Kw::Rin:
        p.endIndent = lengthOr(0);
        break;
    case Kw::Sb:
        p.spaceBefore = std::max(0, lengthOr(0));
        break;
    case Kw::Sa:
        p.spaceAfter = std::max(0, lengthOr(0));
        break;
    case Kw::Sl:
        p.lineSpacing = lengthOr(0);
        break;
    case Kw::Slmult:
        p.lineMultiple = on;
        break;
    case Kw::Rtlpar:
        p.rtl = true;
        break;
    case Kw::Ltrpar:
        p.rtl = false;
        break;
    case Kw::Tqr:
        p.pendingTab = TabStop::Right;
        break;
    case Kw::Tqc:
        p.pendingTab = TabStop::Center;
        break;
    case Kw::Tqdec:
        p.pendingTab = TabStop::Decimal;
        break;
    case Kw::Tx:
        if (p.tabs.size() < 64)
            p.tabs.push_back(TabStop{std::max(0, lengthOr(0)), p.pendingTab});
        p.pendingTab = TabStop::Left;
        break;
    case Kw::Intbl:
        p.inTable = on;
        break;
    case Kw::Itap:
        p.inTable = hasParam && param > 0;
        break;
    default:
        return false;
    }
    return true;
}

Style* Reader::resolveStyle(int number, int depth)
{
    auto it = styles_.find(number);
    if (it == styles_.end())
        return nullptr;
    Style& st = it->second;
    if (st.resolved)
        return &st;
    if (st.resolving || depth > kMaxStyleChain)
        return nullptr;
    st.resolving = true;
    State s;
    if (st.basedOn >= 0 && st.basedOn != number)
        if (Style* base = resolveStyle(st.basedOn, depth + 1)) {
            s.chr = base->chr;
            s.para = base->para;
        }
    for (const StyleToken& t : st.tokens)
        applyFormat(s, t.kw, t.hasParam, t.param);
    st.chr = s.chr;
    st.para = s.para;
    st.resolving = false;
    st.resolved = true;
    return &st;
}

// A style gives what the text around it has not set: writers that reset with \plain and \pard
// before \s get the style's formatting whole; a \s after other formatting (as rich-edit controls
// write it) keeps that formatting.
template <typename T> void takeUnset(T& current, const T& style, const T& unset)
{
    if (current == unset)
        current = style;
}

void Reader::applyStyle(int number)
{
    const Style* st = resolveStyle(number, 0);
    if (!st)
        return;
    const CharFormat c0;
    CharFormat& c = cur_.chr;
    const CharFormat& sc = st->chr;
    takeUnset(c.font, sc.font, c0.font);
    takeUnset(c.size, sc.size, c0.size);
    takeUnset(c.bold, sc.bold, c0.bold);
    takeUnset(c.italic, sc.italic, c0.italic);
    takeUnset(c.csFont, sc.csFont, c0.csFont);
    takeUnset(c.csSize, sc.csSize, c0.csSize);
    takeUnset(c.csBold, sc.csBold, c0.csBold);
    takeUnset(c.csItalic, sc.csItalic, c0.csItalic);
    takeUnset(c.underline, sc.underline, c0.underline);
    takeUnset(c.strike, sc.strike, c0.strike);
    takeUnset(c.vertical, sc.vertical, c0.vertical);
    takeUnset(c.offset, sc.offset, c0.offset);
    takeUnset(c.foreground, sc.foreground, c0.foreground);
    takeUnset(c.background, sc.background, c0.background);
    takeUnset(c.caps, sc.caps, c0.caps);
    takeUnset(c.smallCaps, sc.smallCaps, c0.smallCaps);
    takeUnset(c.hidden, sc.hidden, c0.hidden);
    takeUnset(c.rtl, sc.rtl, c0.rtl);
    const ParaFormat p0;
    ParaFormat& p = cur_.para;
    const ParaFormat& sp = st->para;
    takeUnset(p.align, sp.align, p0.align);
    takeUnset(p.leftIndent, sp.leftIndent, p0.leftIndent);
    takeUnset(p.rightIndent, sp.rightIndent, p0.rightIndent);
    takeUnset(p.startIndent, sp.startIndent, p0.startIndent);
    takeUnset(p.endIndent, sp.endIndent, p0.endIndent);
    takeUnset(p.firstIndent, sp.firstIndent, p0.firstIndent);
    takeUnset(p.spaceBefore, sp.spaceBefore, p0.spaceBefore);
    takeUnset(p.spaceAfter, sp.spaceAfter, p0.spaceAfter);
    if (p.lineSpacing == p0.lineSpacing) {
        p.lineSpacing = sp.lineSpacing;
        p.lineMultiple = sp.lineMultiple;
    }
    takeUnset(p.rtl, sp.rtl, p0.rtl);
    takeUnset(p.tabs, sp.tabs, p0.tabs);
}

void Reader::word(std::string_view name, bool hasParam, int32_t param)
{
    const auto& map = keywords();
    const auto it = map.find(name);
    const Kw kw = it == map.end() ? Kw::SkipDest : it->second;
    const bool known = it != map.end();
    if (starPending_) {
        starPending_ = false;
        if (!(known && kw == Kw::Shppict)) {
            flushBytes();
            cur_.dest = Dest::Skip;
            return;
        }
    }
    if (known && kw == Kw::Bin) {
        const std::string_view data = tok_.binary(hasParam ? param : 0);
        if (ucSkip_ > 0)
            --ucSkip_;
        else if (cur_.dest == Dest::Picture && pictData_.size() + data.size() <= limits_.maxPictureBytes)
            pictData_.insert(pictData_.end(), data.begin(), data.end());
        return;
    }
    if (ucSkip_ > 0) {
        --ucSkip_;
        return;
    }
    if (!known)
        return;
    switch (cur_.dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        switch (kw) {
        case Kw::F:
            commitFont();
            fontActive_ = true;
            fontNumber_ = hasParam ? param : 0;
            font_ = Font{};
            fontName_.clear();
            break;
        case Kw::Froman:
            font_.family = FontFamily::Roman;
            break;
        case Kw::Fswiss:
            font_.family = FontFamily::Swiss;
            break;
        case Kw::Fmodern:
            font_.family = FontFamily::Modern;
            break;
        case Kw::Fscript:
            font_.family = FontFamily::Script;
            break;
        case Kw::Fdecor:
            font_.family = FontFamily::Decor;
            break;
        case Kw::Ftech:
            font_.family = FontFamily::Tech;
            break;
        case Kw::Fbidi:
            font_.family = FontFamily::Bidi;
            break;
        case Kw::Fcharset:
            font_.charset = hasParam ? param : 0;
            break;
        case Kw::Cpg:
            font_.codePage = hasParam ? param : 0;
            break;
        case Kw::Fprq:
            font_.pitch = hasParam ? param : 0;
            break;
        case Kw::SkipDest:
            cur_.dest = Dest::Skip;
            break;
        default:
            break;
        }
        return;
    case Dest::ColorTable:
        if (kw == Kw::Red || kw == Kw::Green || kw == Kw::Blue) {
            const int v = hasParam ? std::clamp(param, 0, 255) : 0;
            (kw == Kw::Red ? red_ : kw == Kw::Green ? green_ : blue_) = v;
            colorGiven_ = true;
        }
        return;
    case Dest::StyleSheet:
        return;
    case Dest::StyleEntry:
        if (kw == Kw::S)
            styleNumber_ = hasParam ? param : 0;
        else if (kw == Kw::Sbasedon)
            style_.basedOn = hasParam ? param : -1;
        else if (kw == Kw::SkipDest)
            cur_.dest = Dest::Skip;
        else if (style_.tokens.size() < kMaxStyleTokens) {
            State probe;
            if (applyFormat(probe, kw, hasParam, param))
                style_.tokens.push_back(StyleToken{kw, param, hasParam});
        }
        return;
    case Dest::Picture:
        switch (kw) {
        case Kw::Wmetafile:
            pictKind_ = PictKind::Wmf;
            break;
        case Kw::Emfblip:
            pictKind_ = PictKind::Emf;
            break;
        case Kw::Dibitmap:
            pictKind_ = PictKind::Dib;
            break;
        case Kw::Wbitmap:
            pictKind_ = PictKind::Ddb;
            break;
        case Kw::Pngblip:
            pictKind_ = PictKind::Png;
            break;
        case Kw::Jpegblip:
            pictKind_ = PictKind::Jpeg;
            break;
        case Kw::Picw:
            picw_ = hasParam ? param : 0;
            break;
        case Kw::Pich:
            pich_ = hasParam ? param : 0;
            break;
        case Kw::Picwgoal:
            goalW_ = hasParam ? param : 0;
            break;
        case Kw::Pichgoal:
            goalH_ = hasParam ? param : 0;
            break;
        case Kw::Picscalex:
            scaleX_ = hasParam ? param : 100;
            break;
        case Kw::Picscaley:
            scaleY_ = hasParam ? param : 100;
            break;
        case Kw::Wbmbitspixel:
            ddbBits_ = hasParam ? param : 1;
            break;
        case Kw::Wbmwidthbytes:
            ddbWidthBytes_ = hasParam ? param : 0;
            break;
        case Kw::SkipDest:
            cur_.dest = Dest::Skip;
            break;
        default:
            break;
        }
        return;
    case Dest::Normal:
        break;
    }

    flushBytes();
    if (applyFormat(cur_, kw, hasParam, param))
        return;
    switch (kw) {
    case Kw::Ansi:
        doc_.codePage = 1252;
        break;
    case Kw::Mac:
        doc_.codePage = 10000;
        break;
    case Kw::Pc:
        doc_.codePage = 437;
        break;
    case Kw::Pca:
        doc_.codePage = 850;
        break;
    case Kw::Ansicpg:
        if (hasParam && param > 0)
            doc_.codePage = param;
        break;
    case Kw::Deff:
        doc_.defaultFont = hasParam ? param : 0;
        break;
    case Kw::Deftab:
        if (hasParam && param > 0)
            doc_.defaultTab = std::min(param, 31680);
        break;
    case Kw::Uc:
        cur_.uc = hasParam ? std::clamp(param, 0, 16) : 1;
        break;
    case Kw::U: {
        const int32_t v = hasParam ? param : 0;
        const int code = v < 0 ? v + 65536 : v;
        if (code > 0 && code <= 0xFFFF)
            appendChar(static_cast<char16_t>(code));
        ucSkip_ = cur_.uc;
        break;
    }
    case Kw::Par:
    case Kw::Page:
        endParagraph(false);
        break;
    case Kw::Line:
    case Kw::NestRow:
        appendChar(0x2028);
        break;
    case Kw::Tab:
    case Kw::NestCell:
        appendChar(u'\t');
        break;
    case Kw::Cell:
        endCell();
        break;
    case Kw::Row:
        endRow();
        break;
    case Kw::Trowd:
        rowDef_ = RowDef{};
        cellDef_ = CellDef{};
        border_ = BorderTarget::None;
        break;
    case Kw::Cellx:
        cellDef_.right = hasParam ? std::clamp(param, -31680 * 4, 31680 * 4) : 0;
        if (static_cast<int>(rowDef_.cells.size()) < limits_.maxCellsPerRow)
            rowDef_.cells.push_back(cellDef_);
        cellDef_ = CellDef{};
        border_ = BorderTarget::None;
        break;
    case Kw::ClBrdrT:
        border_ = BorderTarget::Top;
        break;
    case Kw::ClBrdrL:
        border_ = BorderTarget::Left;
        break;
    case Kw::ClBrdrB:
        border_ = BorderTarget::Bottom;
        break;
    case Kw::ClBrdrR:
        border_ = BorderTarget::Right;
        break;
    case Kw::OtherBorder:
        border_ = BorderTarget::None;
        break;
    case Kw::BrdrStyle:
    case Kw::BrdrNone:
    case Kw::Brdrw:
    case Kw::Brdrcf: {
        BorderLine* line = border_ == BorderTarget::Top ? &cellDef_.top
            : border_ == BorderTarget::Left             ? &cellDef_.left
            : border_ == BorderTarget::Bottom           ? &cellDef_.bottom
            : border_ == BorderTarget::Right            ? &cellDef_.right_
                                                        : nullptr;
        if (!line)
            break;
        if (kw == Kw::BrdrStyle)
            line->width = std::max(line->width, 1);
        else if (kw == Kw::BrdrNone)
            line->width = 0;
        else if (kw == Kw::Brdrw)
            line->width = hasParam ? std::clamp(param, 0, 1440) : 0;
        else
            line->color = hasParam ? param : 0;
        break;
    }
    case Kw::Clcbpat:
        cellDef_.pattern = hasParam ? param : 0;
        break;
    case Kw::Clshdng:
        cellDef_.shading = hasParam ? std::clamp(param, 0, 10000) : 0;
        break;
    case Kw::Trgaph:
        rowDef_.gap = hasParam ? std::clamp(param, 0, 31680) : 0;
        break;
    case Kw::Trleft:
        rowDef_.left = hasParam ? std::clamp(param, -31680, 31680) : 0;
        break;
    case Kw::Trqc:
        rowDef_.align = Align::Center;
        break;
    case Kw::Trqr:
        rowDef_.align = Align::Right;
        break;
    case Kw::Trql:
        rowDef_.align = Align::Left;
        break;
    case Kw::Rtlrow:
        rowDef_.rtl = true;
        break;
    case Kw::Ltrrow:
        rowDef_.rtl = false;
        break;
    case Kw::S:
        applyStyle(hasParam ? param : 0);
        break;
    case Kw::Emdash:
        appendChar(0x2014);
        break;
    case Kw::Endash:
        appendChar(0x2013);
        break;
    case Kw::Emspace:
        appendChar(0x2003);
        break;
    case Kw::Enspace:
        appendChar(0x2002);
        break;
    case Kw::Qmspace:
        appendChar(0x2005);
        break;
    case Kw::Bullet:
        appendChar(0x2022);
        break;
    case Kw::Lquote:
        appendChar(0x2018);
        break;
    case Kw::Rquote:
        appendChar(0x2019);
        break;
    case Kw::Ldblquote:
        appendChar(0x201C);
        break;
    case Kw::Rdblquote:
        appendChar(0x201D);
        break;
    case Kw::Zwj:
        appendChar(0x200D);
        break;
    case Kw::Zwnj:
        appendChar(0x200C);
        break;
    case Kw::Ltrmark:
        appendChar(0x200E);
        break;
    case Kw::Rtlmark:
        appendChar(0x200F);
        break;
    case Kw::Fonttbl:
        cur_.dest = Dest::FontTable;
        fontActive_ = false;
        break;
    case Kw::Colortbl:
        cur_.dest = Dest::ColorTable;
        red_ = green_ = blue_ = 0;
        colorGiven_ = false;
        break;
    case Kw::Stylesheet:
        cur_.dest = Dest::StyleSheet;
        break;
    case Kw::Pict:
        cur_.dest = Dest::Picture;
        pictKind_ = PictKind::None;
        pictData_.clear();
        pictNibble_ = -1;
        picw_ = pich_ = goalW_ = goalH_ = ddbWidthBytes_ = 0;
        scaleX_ = scaleY_ = 100;
        ddbBits_ = 1;
        break;
    case Kw::SkipDest:
        cur_.dest = Dest::Skip;
        break;
    default:
        break;
    }
}

void Reader::pictureText(std::string_view bytes)
{
    for (char ch : bytes) {
        const auto c = static_cast<uint8_t>(ch);
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else
            continue;
        if (pictNibble_ < 0) {
            pictNibble_ = v;
        } else {
            if (pictData_.size() < limits_.maxPictureBytes)
                pictData_.push_back(static_cast<uint8_t>(pictNibble_ * 16 + v));
            pictNibble_ = -1;
        }
    }
}

void Reader::finishPicture()
{
    if (pictKind_ == PictKind::None || static_cast<int>(doc_.pictures.size()) >= limits_.maxPictures)
        return;
    PictureItem item;
    int pixelW = 0, pixelH = 0;  // the decoded picture's own size at 96 pixels per inch
    try {
        switch (pictKind_) {
        case PictKind::Wmf:
        case PictKind::Emf:
        case PictKind::Jpeg: {
            const Picture::Kind kind = pictKind_ == PictKind::Wmf ? Picture::Kind::Wmf
                : pictKind_ == PictKind::Emf                      ? Picture::Kind::Emf
                                                                  : Picture::Kind::Jpeg;
            auto pic = std::make_shared<Picture>(Picture::fromBytes(kind, pictData_));
            pixelW = pic->width();
            pixelH = pic->height();
            item.picture = std::move(pic);
            break;
        }
        case PictKind::Dib:
            item.image = decodeDib(pictData_.data(), pictData_.size());
            break;
        case PictKind::Ddb:
            item.image = decodeDdb(pictData_, picw_, pich_, ddbBits_, ddbWidthBytes_);
            break;
        case PictKind::Png:
            item.image = decodePng(pictData_);
            break;
        case PictKind::None:
            break;
        }
    } catch (const VError&) {
        item = PictureItem{};
    }
    if (!item.image.isNull()) {
        pixelW = item.image.width();
        pixelH = item.image.height();
    }
    // The drawn size: the goal size, or the picture's own (metafiles give theirs in hundredths
    // of a millimetre, bitmaps in pixels), times the scale.
    const bool metafile = pictKind_ == PictKind::Wmf || pictKind_ == PictKind::Emf;
    auto extent = [&](int goal, int pic, int pixels, int scale) {
        double v = goal > 0 ? goal : 0;
        if (v <= 0 && pic > 0)
            v = metafile ? pic * 1440.0 / 2540.0 : pic * 15.0;
        if (v <= 0)
            v = pixels * 15.0;
        v = v * (scale > 0 ? scale : 100) / 100.0;
        return static_cast<int>(std::clamp(v, 1.0, static_cast<double>(limits_.maxPictureTwips)));
    };
    item.widthTwips = extent(goalW_, picw_, pixelW, scaleX_);
    item.heightTwips = extent(goalH_, pich_, pixelH, scaleY_);
    if (cur_.chr.hidden)
        return;
    doc_.pictures.push_back(std::move(item));
    spans_.push_back(Span{QString(), cur_.chr, static_cast<int>(doc_.pictures.size()) - 1});
}

void Reader::endParagraph(bool cellEnd)
{
    flushBytes();
    Paragraph p{cur_.para, std::move(spans_), cur_.chr};
    spans_.clear();
    if (cellEnd || p.format.inTable) {
        cell_.paragraphs.push_back(std::move(p));
        return;
    }
    closeTable();
    doc_.blocks.emplace_back(std::move(p));
}

void Reader::endCell()
{
    endParagraph(true);
    if (static_cast<int>(rowCells_.size()) < limits_.maxCellsPerRow)
        rowCells_.push_back(std::move(cell_));
    cell_ = Cell{};
}

void Reader::endRow()
{
    flushBytes();
    if (!spans_.empty())
        endCell();
    if (rowCells_.empty() && cell_.paragraphs.empty())
        return;
    if (!cell_.paragraphs.empty()) {
        rowCells_.push_back(std::move(cell_));
        cell_ = Cell{};
    }
    if (static_cast<int>(table_.rows.size()) < limits_.maxRows)
        table_.rows.push_back(Row{rowDef_, std::move(rowCells_)});
    rowCells_.clear();
}

void Reader::closeTable()
{
    if (!rowCells_.empty() || !cell_.paragraphs.empty())
        endRow();
    if (table_.rows.empty())
        return;
    doc_.blocks.emplace_back(std::move(table_));
    table_ = Table{};
}

}  // namespace

bool isRtf(const uint8_t* data, size_t size)
{
    return size >= 5 && std::memcmp(data, "{\\rtf", 5) == 0;
}

Document readRtf(const uint8_t* data, size_t size, const ReadLimits& limits)
{
    if (!isRtf(data, size))
        throw NotRtfError();
    return Reader(data, size, limits).run();
}

Document readPlainText(const uint8_t* data, size_t size, int codePage)
{
    Document doc;
    doc.codePage = codePage;
    CodePageDecoder decoder;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != '\r' && data[i] != '\n')
            continue;
        Paragraph p;
        QString line;
        decoder.decode(codePage, data + start, i - start, line);
        if (!line.isEmpty())
            p.spans.push_back(Span{line, CharFormat{}, -1});
        if (i < size || !line.isEmpty() || doc.blocks.empty())
            doc.blocks.emplace_back(std::move(p));
        if (i + 1 < size && data[i] == '\r' && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    return doc;
}

}  // namespace vr::rtf
