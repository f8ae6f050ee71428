// The documents opened lately, newest first: the one thing the reader stores, as a text file of
// absolute paths, one a line, under the user's configuration folder
// ($XDG_CONFIG_HOME/velmora-reader/recent). The file is replaced whole (written beside it and
// renamed), so a crash never leaves half a list; a list that cannot be read, or lines that are not
// absolute paths, are ignored.
#pragma once
#include <QString>
#include <QStringList>

namespace vr {

class RecentDocuments {
public:
    static constexpr int kMaxEntries = 10;
    // The file read is at most this long; a longer one is not ours.
    static constexpr qint64 kMaxFileBytes = 64 * 1024;

    // The list kept in `file`; the user's list when empty.
    explicit RecentDocuments(QString file = {});

    static QString defaultFile();
    const QString& file() const { return file_; }

    // The stored list, newest first, at most kMaxEntries (files that went away stay listed; the
    // menu greys them).
    QStringList entries() const;
    // Puts `path` (made absolute) first, drops an earlier entry of it and entries past the
    // maximum, and writes the list; false when it could not be written (the list is only a help).
    bool add(const QString& path);

private:
    bool write(const QStringList& entries) const;
    QString file_;
};

}  // namespace vr
