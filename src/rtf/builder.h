// Turns the document model into a QTextDocument laid out for a device of a given resolution:
// Qt's text engine then breaks lines, orders right-to-left text, joins Persian and Arabic
// letters, lays out tables and splits pages. Pictures are text objects drawn through the picture
// layer at the resolution of whatever the document is painted on.
#pragma once
#include <memory>

#include <QRectF>
#include <QTextDocument>

#include "rtf/model.h"

class QPainter;

namespace vr::rtf {

// Builds the text document with every length in pixels of a `dpi` device (fonts included: a
// 12-point font is 16 pixels at 96 and 50 at 300). The document has no margin and no width
// yet: set its text width (and page size, to split it into pages) before laying it out.
std::unique_ptr<QTextDocument> buildTextDocument(std::shared_ptr<const Document> doc, int dpi);

// The face Qt is given for a font of the font table (first the named face when installed, then a
// face of its family, then faces with Arabic-script glyphs), and the one for unnamed fonts.
QStringList faceList(const Font* font);

// Draws the part `clip` (document coordinates) of a laid-out document at the painter's origin.
void paintTextDocument(QTextDocument& doc, QPainter& painter, const QRectF& clip);

}  // namespace vr::rtf
