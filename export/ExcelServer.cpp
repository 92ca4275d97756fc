#include "export/ExcelServer.h"

#include <ostream>
#include <vector>

#include "conversion/PcPageWideText.h"
#include "export/AutomationArguments.h"
#include "export/AutomationFailure.h"
#include "export/Biff8WorkbookWriter.h"
#include "export/CompoundFileWriter.h"
#include "export/ExcelServerSheet.h"
#include "savefile/AtomicFile.h"
#include "savefile/AtomicFileStreamBuffer.h"

namespace quelvane {

namespace {

using Arguments = std::span<const AutomationServerValue>;
using Name = std::string_view;

// The colours of Excel's palette are ColorIndex 1 to 56.
constexpr std::int64_t kFirstColorIndex = 1;
constexpr std::int64_t kLastColorIndex = 56;
constexpr double kMaximumFontSize = 409;
constexpr std::size_t kMaximumFontNameLength = 31;

bool is(Name name, Name known) {
    return AutomationArguments::sameName(name, known);
}

struct Workbook {
    ExcelServerSheet sheet;
};

// What a Range object stands for on the sheet of its workbook.
struct Place {
    enum class Kind { Sheet, Cell, Column, Row } kind = Kind::Sheet;
    std::uint32_t row = 0;  // 0-based
    std::uint32_t column = 0;
};

struct Excel {
    bool quit = false;
    bool visible = true;
    std::vector<std::shared_ptr<Workbook>> workbooks;
    std::shared_ptr<Workbook> active;
    Place selection;

    void checkRunning() const {
        if (quit) {
            throw AutomationFailure("The object invoked has disconnected from its clients.");
        }
    }
    Workbook& activeWorkbook() const {
        if (!active) {
            throw AutomationFailure("No workbook is open");
        }
        return *active;
    }
};

// Excel's row and column numbers are 1-based; the sheet checks the upper bound.
std::uint32_t sheetIndex(std::int64_t number, const char* what) {
    if (number < 1) {
        throw AutomationFailure(std::string(what) + " " + std::to_string(number) + " is not on the sheet");
    }
    return static_cast<std::uint32_t>(std::min<std::int64_t>(number - 1, 0xFFFFFFFF));
}

class ExcelObject : public AutomationServerObject {
  public:
    explicit ExcelObject(std::shared_ptr<Excel> excel) : excel_(std::move(excel)) {}

    AutomationServerValue invoke(Name name, Arguments arguments) final {
        excel_->checkRunning();
        return member(name, arguments);
    }
    void put(Name name, const AutomationServerValue& value) final {
        excel_->checkRunning();
        assign(name, AutomationArguments(name, value));
    }

  protected:
    virtual AutomationServerValue member(Name name, Arguments arguments) = 0;
    virtual void assign(Name name, const AutomationArguments&) { AutomationArguments::unknownName(name); }

    std::shared_ptr<Excel> excel_;
};

class Font final : public ExcelObject {
  public:
    Font(std::shared_ptr<Excel> excel, std::shared_ptr<Workbook> workbook, Place place)
        : ExcelObject(std::move(excel)), workbook_(std::move(workbook)), place_(place) {}

  protected:
    AutomationServerValue member(Name name, Arguments) override { AutomationArguments::unknownName(name); }

    void assign(Name name, const AutomationArguments& value) override {
        // The writer formats the whole sheet at once; that is the workbook's font.
        if (place_.kind != Place::Kind::Sheet) {
            throw AutomationFailure("Only the font of the whole sheet can be set");
        }
        ExcelServerSheet::Font& font = workbook_->sheet.font;
        if (is(name, "Size")) {
            const double size = value.number(0);
            if (!(size >= 1 && size <= kMaximumFontSize)) {
                throw AutomationFailure("Unable to set the Size property of the Font class");
            }
            font.size = size;
        } else if (is(name, "Name")) {
            const std::u16string& fontName = value.text(0);
            if (fontName.empty() || fontName.size() > kMaximumFontNameLength) {
                throw AutomationFailure("Unable to set the Name property of the Font class");
            }
            font.name = fontName;
        } else if (is(name, "FontStyle")) {
            const std::u16string& style = value.text(0);
            if (style == u"Normal" || style == u"Regular") {
                font.bold = font.italic = false;
            } else if (style == u"Bold" || style == u"Italic" || style == u"Bold Italic") {
                font.bold = style != u"Italic";
                font.italic = style != u"Bold";
            } else {
                throw AutomationFailure("Unable to set the FontStyle property of the Font class");
            }
        } else {
            AutomationArguments::unknownName(name);
        }
    }

  private:
    std::shared_ptr<Workbook> workbook_;
    Place place_;
};

class Interior final : public ExcelObject {
  public:
    Interior(std::shared_ptr<Excel> excel, std::shared_ptr<Workbook> workbook, Place place)
        : ExcelObject(std::move(excel)), workbook_(std::move(workbook)), place_(place) {}

  protected:
    AutomationServerValue member(Name name, Arguments) override { AutomationArguments::unknownName(name); }

    void assign(Name name, const AutomationArguments& value) override {
        ExcelServerSheet& sheet = workbook_->sheet;
        ExcelServerSheet::Fill fill = sheet.fill(place_.row, place_.column);
        if (!is(name, "ColorIndex") && !is(name, "Pattern") && !is(name, "PatternColorIndex")) {
            AutomationArguments::unknownName(name);
        }
        const std::int64_t number = value.integer(0);
        const bool colour = (number >= kFirstColorIndex && number <= kLastColorIndex) ||
                            number == ExcelServerSheet::kAutomatic || number == ExcelServerSheet::kNone;
        if (is(name, "ColorIndex")) {
            if (!colour) {
                throw AutomationFailure("Unable to set the ColorIndex property of the Interior class");
            }
            fill.colorIndex = static_cast<std::int32_t>(number);
            // A colour given to an unfilled cell fills it solid; no colour removes the fill.
            if (number == ExcelServerSheet::kNone) {
                fill = ExcelServerSheet::Fill{};
            } else if (fill.pattern == ExcelServerSheet::kNone) {
                fill.pattern = ExcelServerSheet::kSolid;
            }
        } else if (is(name, "Pattern")) {
            if (number != ExcelServerSheet::kSolid && number != ExcelServerSheet::kNone) {
                throw AutomationFailure("Unable to set the Pattern property of the Interior class");
            }
            fill.pattern = static_cast<std::int32_t>(number);
            if (number == ExcelServerSheet::kNone) {
                fill = ExcelServerSheet::Fill{};
            } else if (fill.colorIndex == ExcelServerSheet::kNone) {
                fill.colorIndex = ExcelServerSheet::kAutomatic;
            }
        } else {
            if (!colour || number == ExcelServerSheet::kNone) {
                throw AutomationFailure("Unable to set the PatternColorIndex property of the Interior class");
            }
            fill.patternColorIndex = static_cast<std::int32_t>(number);
        }
        sheet.setFill(place_.row, place_.column, fill);
    }

  private:
    std::shared_ptr<Workbook> workbook_;
    Place place_;
};

class Range final : public ExcelObject {
  public:
    Range(std::shared_ptr<Excel> excel, std::shared_ptr<Workbook> workbook, Place place)
        : ExcelObject(std::move(excel)), workbook_(std::move(workbook)), place_(place) {}

  protected:
    AutomationServerValue member(Name name, Arguments arguments) override {
        AutomationArguments checked(name, arguments);
        checked.expectCount(0);
        if (is(name, "Select")) {
            if (workbook_ != excel_->active) {
                throw AutomationFailure("Select method of Range class failed");
            }
            excel_->selection = place_;
            return true;
        }
        if (is(name, "Font")) {
            return std::make_shared<Font>(excel_, workbook_, place_);
        }
        if (is(name, "Interior")) {
            requireKind(Place::Kind::Cell, name);
            return std::make_shared<Interior>(excel_, workbook_, place_);
        }
        AutomationArguments::unknownName(name);
    }

    void assign(Name name, const AutomationArguments& value) override {
        if (is(name, "Value")) {
            requireKind(Place::Kind::Cell, name);
            workbook_->sheet.setValue(place_.row, place_.column, value.text(0));
        } else if (is(name, "ColumnWidth")) {
            requireKind(Place::Kind::Column, name);
            workbook_->sheet.setColumnWidth(place_.column, value.number(0));
        } else if (is(name, "RowHeight")) {
            requireKind(Place::Kind::Row, name);
            workbook_->sheet.setRowHeight(place_.row, value.number(0));
        } else {
            AutomationArguments::unknownName(name);
        }
    }

  private:
    void requireKind(Place::Kind kind, Name name) const {
        if (place_.kind != kind) {
            throw AutomationFailure("The " + std::string(name) + " of this range is not supported");
        }
    }

    std::shared_ptr<Workbook> workbook_;
    Place place_;
};

class Worksheet final : public ExcelObject {
  public:
    Worksheet(std::shared_ptr<Excel> excel, std::shared_ptr<Workbook> workbook)
        : ExcelObject(std::move(excel)), workbook_(std::move(workbook)) {}

  protected:
    AutomationServerValue member(Name name, Arguments arguments) override {
        AutomationArguments checked(name, arguments);
        if (is(name, "Select")) {
            checked.expectCount(0);
            if (workbook_ != excel_->active) {
                throw AutomationFailure("Select method of Worksheet class failed");
            }
            return true;
        }
        if (is(name, "Cells")) {
            if (checked.count() == 0) {
                return std::make_shared<Range>(excel_, workbook_, Place{});
            }
            checked.expectCount(2);
            Place cell{Place::Kind::Cell, sheetIndex(checked.integer(0), "Row"),
                       sheetIndex(checked.integer(1), "Column")};
            ExcelServerSheet::requireOnSheet(cell.row, cell.column);
            return std::make_shared<Range>(excel_, workbook_, cell);
        }
        AutomationArguments::unknownName(name);
    }

  private:
    std::shared_ptr<Workbook> workbook_;
};

class WorkbookObject final : public ExcelObject {
  public:
    WorkbookObject(std::shared_ptr<Excel> excel, std::shared_ptr<Workbook> workbook)
        : ExcelObject(std::move(excel)), workbook_(std::move(workbook)) {}

  protected:
    AutomationServerValue member(Name name, Arguments arguments) override {
        AutomationArguments checked(name, arguments);
        checked.expectCount(1);
        if (is(name, "Sheets")) {
            if (checked.integer(0) != 1) {
                throw AutomationFailure("Subscript out of range");
            }
            return std::make_shared<Worksheet>(excel_, workbook_);
        }
        if (is(name, "SaveAs")) {
            const std::string path = PcPageWideText::toUtf8(checked.text(0));
            const std::vector<std::uint8_t> stream = Biff8WorkbookWriter::write(workbook_->sheet, u"Sheet1");
            // Replaces a file of that name whole, never what a link there points to; the compound
            // file goes to the temporary file beside it as it is made.
            AtomicFile out;
            if (out.open(path, AtomicFile::Existing::ReplaceNamed, false)) {
                AtomicFileStreamBuffer buffer(out);
                std::ostream workbook(&buffer);
                CompoundFileWriter::write(workbook, u"Workbook", stream);
            }
            if (!out.commit()) {
                throw AutomationFailure("Cannot access '" + path + "'.");
            }
            return true;
        }
        AutomationArguments::unknownName(name);
    }

  private:
    std::shared_ptr<Workbook> workbook_;
};

class Workbooks final : public ExcelObject {
  public:
    using ExcelObject::ExcelObject;

  protected:
    AutomationServerValue member(Name name, Arguments arguments) override {
        if (!is(name, "Add")) {
            AutomationArguments::unknownName(name);
        }
        AutomationArguments checked(name, arguments);
        checked.expectCount(1);
        checked.integer(0);
        auto workbook = std::make_shared<Workbook>();
        excel_->workbooks.push_back(workbook);
        excel_->active = workbook;
        excel_->selection = Place{Place::Kind::Cell, 0, 0};
        return std::make_shared<WorkbookObject>(excel_, workbook);
    }
};

class Application final : public ExcelObject {
  public:
    using ExcelObject::ExcelObject;

  protected:
    AutomationServerValue member(Name name, Arguments arguments) override {
        AutomationArguments checked(name, arguments);
        if (is(name, "Columns") || is(name, "Rows")) {
            checked.expectCount(1);
            excel_->activeWorkbook();
            const bool columns = is(name, "Columns");
            const std::uint32_t index = sheetIndex(checked.integer(0), columns ? "Column" : "Row");
            const Place place =
                columns ? Place{Place::Kind::Column, 0, index} : Place{Place::Kind::Row, index, 0};
            ExcelServerSheet::requireOnSheet(place.row, place.column);
            return std::make_shared<Range>(excel_, excel_->active, place);
        }
        checked.expectCount(0);
        if (is(name, "Workbooks")) {
            return std::make_shared<Workbooks>(excel_);
        }
        if (is(name, "ActiveWorkbook")) {
            excel_->activeWorkbook();
            return std::make_shared<WorkbookObject>(excel_, excel_->active);
        }
        if (is(name, "Selection")) {
            excel_->activeWorkbook();
            return std::make_shared<Range>(excel_, excel_->active, excel_->selection);
        }
        if (is(name, "Visible")) {
            return excel_->visible;
        }
        if (is(name, "Quit")) {
            excel_->quit = true;
            excel_->workbooks.clear();
            excel_->active.reset();
            return std::monostate{};
        }
        AutomationArguments::unknownName(name);
    }

    void assign(Name name, const AutomationArguments& value) override {
        if (!is(name, "Visible")) {
            AutomationArguments::unknownName(name);
        }
        excel_->visible = value.boolean(0);
    }
};

}  // namespace

std::shared_ptr<AutomationServerObject> ExcelServer::createApplication() {
    return std::make_shared<Application>(std::make_shared<Excel>());
}

}  // namespace quelvane
