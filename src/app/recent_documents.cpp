#include "app/recent_documents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace vr {

RecentDocuments::RecentDocuments(QString file) : file_(file.isEmpty() ? defaultFile() : std::move(file)) { }

QString RecentDocuments::defaultFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/velmora-reader/recent");
}

QStringList RecentDocuments::entries() const
{
    QFile f(file_);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileBytes)
        return {};
    const QByteArray bytes = f.read(kMaxFileBytes);
    QStringList out;
    for (const QByteArray& line : bytes.split('\n')) {
        const QString path = QString::fromUtf8(line).trimmed();
        // Lines that are not absolute paths, or not text, come from something else: skip them.
        if (path.isEmpty() || !QDir::isAbsolutePath(path) || path.contains(QChar::ReplacementCharacter) ||
            out.contains(path))
            continue;
        out << path;
        if (out.size() == kMaxEntries)
            break;
    }
    return out;
}

bool RecentDocuments::add(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = entries();
    list.removeAll(absolute);
    list.prepend(absolute);
    while (list.size() > kMaxEntries)
        list.removeLast();
    return write(list);
}

bool RecentDocuments::write(const QStringList& list) const
{
    if (!QDir().mkpath(QFileInfo(file_).absolutePath()))
        return false;
    QSaveFile f(file_);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    for (const QString& path : list) {
        // A name with a line break cannot be kept in a list of lines.
        if (path.contains(QLatin1Char('\n')))
            continue;
        f.write(path.toUtf8() + '\n');
    }
    return f.commit();
}

}  // namespace vr
