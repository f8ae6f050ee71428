#include "gfx/fonts/text_font.h"

#include <fontconfig/fontconfig.h>

#include <QFontDatabase>
#include <QString>

#include <algorithm>
#include <cmath>
#include <map>

#include "gfx/fonts/face_tables.h"
#include "gfx/fonts/font_request.h"

namespace vr {
namespace {

QFont qfont(const QString& family, int px, int weight, bool italic, bool merging)
{
    QFont f(family);
    f.setPixelSize(px);
    f.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    f.setItalic(italic);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(merging ? QFont::NoAntialias : QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    return f;
}

}  // namespace

std::string matchFontFamily(const std::string& face, int weight, bool italic)
{
    static std::mutex mutex;
    static std::map<std::string, std::string> cache;
    const std::string key = face + '\0' + std::to_string(weight >= 600) + (italic ? "i" : "-");
    std::lock_guard lock(mutex);
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    std::string family;
    // Faces the reader loaded itself are Qt's application fonts, unknown to fontconfig.
    const QString name = QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()));
    if (!face.empty() && QFontDatabase::families().contains(name, Qt::CaseInsensitive)) {
        family = face;
    } else if (FcPattern* pattern = FcPatternCreate()) {
        if (!face.empty())
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
            FcChar8* s = nullptr;
            if (FcPatternGetString(match, FC_FAMILY, 0, &s) == FcResultMatch && s)
                family = reinterpret_cast<const char*>(s);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    if (family.empty())
        family = "DejaVu Sans";
    // Face names come from the files: a process converting thousands of them keeps a bounded set.
    if (cache.size() >= 1024)
        cache.clear();
    cache.emplace(key, family);
    return family;
}

std::pair<const QRawFont*, quint32> ResolvedTextFont::glyphFor(char32_t c) const
{
    auto lookup = [c](const QRawFont& f) -> quint32 {
        if (!f.isValid())
            return 0;
        QString s;
        if (c >= 0x10000)
            s = QString::fromUcs4(&c, 1);
        else
            s = QString(QChar(static_cast<char16_t>(c)));
        const QList<quint32> g = f.glyphIndexesForString(s);
        return g.isEmpty() ? 0 : g[0];
    };
    if (const quint32 g = lookup(raw))
        return {&raw, g};
    for (const QRawFont& f : fallbacks)
        if (const quint32 g = lookup(f))
            return {&f, g};
    return {&raw, 0};
}

int ResolvedTextFont::advance(const QRawFont& face, quint32 glyph) const
{
    if (!face.isValid())
        return 0;
    QPointF adv;
    face.advancesForGlyphIndexes(&glyph, &adv, 1);
    return static_cast<int>(std::lround(adv.x() * xScale));
}

std::shared_ptr<const ResolvedTextFont> TextFontCache::get(const TextFont& f)
{
    const int weight = f.weight <= 0 ? 400 : std::clamp(f.weight, 100, 900);
    const int height = std::clamp(f.height, -4096, 4096), width = std::clamp(f.width, 0, 4096);
    std::string key = f.face;
    key += '\0';
    key += std::to_string(height) + "/" + std::to_string(width) + "/" + std::to_string(weight) + (f.italic ? "i" : "-");
    {
        std::lock_guard lock(mutex_);
        if (auto it = fonts_.find(key); it != fonts_.end())
            return it->second;
    }
    auto r = std::make_shared<ResolvedTextFont>();
    r->family = matchFontFamily(f.face, weight, f.italic);
    const QString family = QString::fromStdString(r->family);
    // The face at a reference size gives the tables the em size is worked out from.
    const QRawFont probe = QRawFont::fromFont(qfont(family, 100, weight, f.italic, false));
    const QByteArray os2 = probe.isValid() ? probe.fontTable("OS/2") : QByteArray();
    const double upem = probe.isValid() && probe.unitsPerEm() > 0 ? probe.unitsPerEm() : 2048.0;
    const int winSum = windowsLineHeight(os2);
    double em = 0;
    if (height > 0)
        em = winSum > 0 ? height * upem / winSum : height * 0.85;
    else if (height < 0)
        em = -height;
    else
        em = 12;  // the platform's default height for a logical font without one
    r->emPx = std::clamp(static_cast<int>(std::lround(em)), 1, 4096);
    r->font = qfont(family, r->emPx, weight, f.italic, true);
    r->raw = QRawFont::fromFont(qfont(family, r->emPx, weight, f.italic, false));
    for (const char* fb : {"DejaVu Sans", "Symbola", "Droid Sans Fallback"})
        if (QString::fromLatin1(fb) != family)
            r->fallbacks.push_back(
                QRawFont::fromFont(qfont(QString::fromLatin1(fb), r->emPx, weight, f.italic, false)));
    const double scale = r->emPx / upem;
    if (width > 0 && averageCharWidth(os2) > 0)
        r->xScale = std::clamp(width / (averageCharWidth(os2) * scale), 0.05, 20.0);
    const QByteArray post = r->raw.isValid() ? r->raw.fontTable("post") : QByteArray();
    const LineMetrics lm = lineMetrics(r->raw, os2, post, scale, r->emPx);
    r->ascent = lm.ascent;
    r->descent = lm.descent;
    r->underlineTop = lm.underlineTop;
    r->underlineThickness = lm.underlineThickness;
    r->strikeTop = lm.strikeTop;
    r->strikeThickness = lm.strikeThickness;
    std::lock_guard lock(mutex_);
    if (fonts_.size() >= kMaxEntries)
        fonts_.clear();
    fonts_.emplace(std::move(key), r);
    return r;
}

TextFontCache& TextFontCache::shared()
{
    static TextFontCache cache;
    return cache;
}

bool needsShaping(const std::u16string& text)
{
    for (const char16_t c : text) {
        if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0x0900 && c <= 0x0DFF) || (c >= 0x0E00 && c <= 0x0EFF) ||
            (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF) || c == 0x200C || c == 0x200D)
            return true;
    }
    return false;
}

}  // namespace vr
