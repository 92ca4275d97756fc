#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelvane {

// The right-hand list of the main window, as the core sees it: columns with captions, rows with
// a caption, an optional small image and cells. The views fill it; the desktop shell renders an
// in-memory form of it through a Qt model, the command-line tool prints it. Texts are 8-bit
// text in the PC code page.
class ContentList {
  public:
    enum class Alignment { Left, Right };

    // How a column's width follows its content: none (the given width), or sized to its header
    // caption with automatic sizing on.
    enum class Sizing { Fixed, Header };

    // How a column's texts are drawn: in the list's font, or in a fixed-pitch font for text
    // whose columns line up, such as source lines.
    enum class Pitch { Proportional, Fixed };

    // The list's default column width, used for the records view's first column.
    static constexpr int kDefaultColumnWidth = 50;

    // No image on a row.
    static constexpr int kNoImage = -1;

    virtual ~ContentList() = default;

    virtual void clearColumns() = 0;
    virtual void clearRows() = 0;
    virtual void addColumn(std::string_view caption, int width, Alignment alignment, Sizing sizing) = 0;
    virtual void setColumnCaption(int column, std::string_view caption) = 0;
    virtual void setColumnPitch(int column, Pitch pitch) = 0;

    // Adds a row at the end and makes it the row that appendCell() and setRowImage() act on.
    virtual void addRow(std::string_view caption, int image = kNoImage) = 0;
    virtual void setRowImage(int image) = 0;
    virtual void appendCell(std::string_view text) = 0;
};

}  // namespace quelvane
