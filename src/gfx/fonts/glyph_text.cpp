#include "gfx/fonts/glyph_text.h"

#include <QFont>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>

#include "gfx/fonts/face_tables.h"

namespace vr {
namespace {

// Code page 1252 for 0x80..0x9F (0 where the code page has no character).
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QRawFont rawFont(const QString& family, int pixelSize, bool bold, bool italic)
{
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    return QRawFont::fromFont(f);
}

// Glyphs of the code points in `codes` (0 where there is none), looked up in one call.
std::array<quint32, 256> glyphsFor(const QRawFont& font, const std::array<char16_t, 256>& codes)
{
    std::array<quint32, 256> out{};
    if (!font.isValid())
        return out;
    QString s(256, QChar(u' '));
    for (size_t b = 0; b < 256; ++b)
        s[static_cast<qsizetype>(b)] = QChar(codes[b] != 0 ? codes[b] : char16_t{0xFFFF});
    const QList<quint32> g = font.glyphIndexesForString(s);
    for (size_t b = 0; b < 256 && static_cast<qsizetype>(b) < g.size(); ++b)
        out[b] = codes[b] != 0 ? g[static_cast<qsizetype>(b)] : 0;
    return out;
}

std::shared_ptr<const ByteFont> buildFont(const std::string& name, int px, bool bold, bool italic)
{
    auto bf = std::make_shared<ByteFont>();
    const QString family = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    const QString fallbackFamily = QString::fromLatin1(kFallbackFamily);
    bf->substituted = !QFontDatabase::families().contains(family, Qt::CaseInsensitive);
    bf->fallback = rawFont(fallbackFamily, px, bold, italic);
    bf->face = bf->substituted ? bf->fallback : rawFont(family, px, bold, italic);

    std::array<char16_t, 256> ansi{}, latin1{}, symbol{};
    for (size_t b = 0; b < 256; ++b) {
        latin1[b] = static_cast<char16_t>(b);
        ansi[b] = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
        symbol[b] = static_cast<char16_t>(0xF000 + b);
    }
    const auto faceAnsi = glyphsFor(bf->face, ansi), faceLatin1 = glyphsFor(bf->face, latin1);
    const auto faceSymbol = glyphsFor(bf->face, symbol);
    const auto fbAnsi = glyphsFor(bf->fallback, ansi), fbLatin1 = glyphsFor(bf->fallback, latin1);
    std::array<quint32, 256> faceGlyphs{}, fbGlyphs{};
    for (size_t b = 0; b < 256; ++b) {
        quint32 g = faceAnsi[b] != 0 ? faceAnsi[b] : faceLatin1[b] != 0 ? faceLatin1[b] : faceSymbol[b];
        if (g == 0 && !bf->substituted && (fbAnsi[b] != 0 || fbLatin1[b] != 0)) {
            g = fbAnsi[b] != 0 ? fbAnsi[b] : fbLatin1[b];
            bf->fromFallback.set(b);
        }
        bf->glyph[b] = g;
        (bf->fromFallback[b] ? fbGlyphs : faceGlyphs)[b] = g;
    }
    // Advances, hinted, each rounded to whole pixels.
    std::array<QPointF, 256> adv{};
    if (bf->face.isValid())
        bf->face.advancesForGlyphIndexes(faceGlyphs.data(), adv.data(), 256);
    std::array<QPointF, 256> fbAdv{};
    if (bf->fromFallback.any() && bf->fallback.isValid())
        bf->fallback.advancesForGlyphIndexes(fbGlyphs.data(), fbAdv.data(), 256);
    for (size_t b = 0; b < 256; ++b)
        bf->advance[b] = static_cast<int>(std::lround((bf->fromFallback[b] ? fbAdv[b] : adv[b]).x()));

    const QRawFont& f = bf->face;
    const double upem = f.isValid() && f.unitsPerEm() > 0 ? f.unitsPerEm() : 2048.0;
    const double scale = px / upem;
    const QByteArray os2 = f.isValid() ? f.fontTable("OS/2") : QByteArray();
    const QByteArray post = f.isValid() ? f.fontTable("post") : QByteArray();
    const LineMetrics lm = lineMetrics(f, os2, post, scale, px);
    TextMetrics& m = bf->metrics;
    m.ascent = lm.ascent;
    m.descent = lm.descent;
    m.internalLeading = std::max(0, m.ascent + m.descent - px);
    const int avg = averageCharWidth(os2);
    m.averageWidth = avg > 0 ? static_cast<int>(std::floor(avg * scale + 0.5)) : bf->advance['x'];
    bf->underlineTop = lm.underlineTop;
    bf->underlineThickness = lm.underlineThickness;
    bf->strikeTop = lm.strikeTop;
    bf->strikeThickness = lm.strikeThickness;
    return bf;
}

void addGlyphRun(QPainter& p, const QRawFont& font, int baseline, const QList<quint32>& glyphs,
                 const QList<QPointF>& positions)
{
    if (glyphs.isEmpty() || !font.isValid())
        return;
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    p.drawGlyphRun(QPointF(0, baseline), run);
}

}  // namespace

int ByteFont::width(std::string_view bytes) const
{
    int64_t w = 0;
    for (const char ch : bytes)
        w += advance[static_cast<uint8_t>(ch)];
    return static_cast<int>(std::clamp<int64_t>(w, 0, INT32_MAX));
}

void ByteFont::draw(QPainter& p, int baseline, std::string_view bytes, bool underline, bool strikeOut) const
{
    QList<quint32> glyphs, fbGlyphs;
    QList<QPointF> positions, fbPositions;
    glyphs.reserve(static_cast<qsizetype>(bytes.size()));
    positions.reserve(static_cast<qsizetype>(bytes.size()));
    int64_t x = 0;
    for (const char ch : bytes) {
        const auto b = static_cast<uint8_t>(ch);
        if (fromFallback[b]) {
            fbGlyphs.push_back(glyph[b]);
            fbPositions.push_back(QPointF(static_cast<double>(x), 0));
        } else {
            glyphs.push_back(glyph[b]);
            positions.push_back(QPointF(static_cast<double>(x), 0));
        }
        x += advance[b];
    }
    addGlyphRun(p, face, baseline, glyphs, positions);
    addGlyphRun(p, fallback, baseline, fbGlyphs, fbPositions);
    const QColor colour = p.pen().color();
    if (underline)
        p.fillRect(QRectF(0, baseline + underlineTop, static_cast<double>(x), underlineThickness), colour);
    if (strikeOut)
        p.fillRect(QRectF(0, baseline + strikeTop, static_cast<double>(x), strikeThickness), colour);
}

struct ByteFontCache::Watch {
    QMetaObject::Connection connection;
};

ByteFontCache::ByteFontCache() : watch_(std::make_unique<Watch>()) { }

ByteFontCache::~ByteFontCache()
{
    if (watch_->connection)
        QObject::disconnect(watch_->connection);
}

std::shared_ptr<const ByteFont> ByteFontCache::get(const std::string& face, int pixelSize, bool bold, bool italic)
{
    const int px = std::clamp(pixelSize, 1, 4096);
    std::string key = face;
    key += '\0';
    key += std::to_string(px);
    key += bold ? 'b' : '-';
    key += italic ? 'i' : '-';
    {
        std::lock_guard lock(mutex_);
        if (!watch_->connection && qGuiApp)
            watch_->connection = QObject::connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, [this] { clear(); });
        if (auto it = fonts_.find(key); it != fonts_.end())
            return it->second;
    }
    auto font = buildFont(face, px, bold, italic);
    std::lock_guard lock(mutex_);
    if (fonts_.size() >= kMaxEntries)
        fonts_.clear();
    fonts_.emplace(std::move(key), font);
    return font;
}

void ByteFontCache::clear()
{
    std::lock_guard lock(mutex_);
    fonts_.clear();
}

size_t ByteFontCache::size() const
{
    std::lock_guard lock(mutex_);
    return fonts_.size();
}

ByteFontCache& ByteFontCache::shared()
{
    static ByteFontCache cache;
    return cache;
}

}  // namespace vr
