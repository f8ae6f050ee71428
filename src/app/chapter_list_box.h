// The chapter list of the tool bar: a combo box whose lines are 8-bit codes of the keyboard font,
// drawn one glyph per byte as the reader draws all of the suite's text (never handed to Qt as
// Unicode text it would shape or reorder), left-aligned: the lines carry their own padding.
#pragma once
#include <QComboBox>
#include <string>
#include <vector>

namespace vr {

class ChapterListBox : public QComboBox {
    Q_OBJECT
public:
    explicit ChapterListBox(QWidget* parent = nullptr);

    // Replaces the lines when they differ and shows line `index` (-1: none).
    void setLines(const std::vector<std::string>& lines, int index);
    std::string lineBytes(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vr
