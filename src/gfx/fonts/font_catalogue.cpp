#include "gfx/fonts/font_catalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

namespace vr {

bool FontCatalogue::FontInstalled(const std::string& name) const
{
    if (loaded_.count(name) != 0)
        return true;
    return QFontDatabase::families().contains(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())),
                                              Qt::CaseSensitive);
}

int FontCatalogue::loadFontsIn(const std::string& folder)
{
    const QDir dir(QString::fromLocal8Bit(folder.data(), static_cast<qsizetype>(folder.size())));
    if (folder.empty() || !dir.exists())
        return 0;
    int count = 0;
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
        if (file.suffix().compare(QLatin1String("ttf"), Qt::CaseInsensitive) != 0)
            continue;
        const std::string path = file.canonicalFilePath().toStdString();
        if (!files_.insert(path).second)
            continue;
        const int id = QFontDatabase::addApplicationFont(file.canonicalFilePath());
        if (id < 0)
            continue;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        for (const QString& family : families)
            loaded_.insert(family.toLatin1().toStdString());
        count += families.isEmpty() ? 0 : 1;
    }
    return count;
}

}  // namespace vr
