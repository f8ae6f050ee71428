// The dump's JSON, parsed, for tests that check fields by name rather than by layout.
#pragma once
#include <string>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <gtest/gtest.h>

namespace vrtest {

inline QJsonObject parseJson(const std::string& text)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << text;
    return doc.object();
}

// The objects of page `page` (from 0) in a parsed dump.
inline QJsonArray dumpedObjects(const QJsonObject& dump, int page)
{
    return dump["pages"].toArray().at(page).toObject()["objects"].toArray();
}

}  // namespace vrtest

// Readable failure messages for Qt's JSON strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE
