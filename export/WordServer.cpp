#include "export/WordServer.h"

#include <vector>

#include "conversion/PcPageWideText.h"
#include "export/AutomationArguments.h"
#include "export/AutomationFailure.h"
#include "export/RtfDocumentWriter.h"
#include "export/WordServerTable.h"
#include "savefile/AtomicFile.h"

namespace quelvane {

namespace {

using Arguments = std::span<const AutomationServerValue>;
using Name = std::string_view;

// Word's limits: font sizes in points, preferred widths in points (22 inches), colours as
// 0x00BBGGRR, the table behaviours of Tables.Add.
constexpr double kMinimumFontSize = 1;
constexpr double kMaximumFontSize = 1638;
constexpr double kMaximumPreferredWidth = 1584;
constexpr std::int64_t kMaximumColour = 0xFFFFFF;
constexpr std::int64_t kWord9TableBehavior = 1;
constexpr std::int64_t kAutoFitWindow = 2;
constexpr std::size_t kMaximumFontNameLength = 31;

bool is(Name name, Name known) {
    return AutomationArguments::sameName(name, known);
}

struct Document {
    RtfDocumentWriter::Font font;
    std::vector<WordServerTable> tables;
    bool closed = false;
};

struct Word {
    bool quit = false;
    bool visible = true;
    std::shared_ptr<Document> active;

    void checkRunning() const {
        if (quit) {
            throw AutomationFailure("The object invoked has disconnected from its clients.");
        }
    }
    const std::shared_ptr<Document>& activeDocument() const {
        if (!active) {
            throw AutomationFailure("This command is not available because no document is open.");
        }
        return active;
    }
};

class WordObject : public AutomationServerObject {
  public:
    WordObject(std::shared_ptr<Word> word, std::shared_ptr<Document> document)
        : word_(std::move(word)), document_(std::move(document)) {}

    AutomationServerValue invoke(Name name, Arguments arguments) final {
        checkAlive();
        return member(name, AutomationArguments(name, arguments));
    }
    void put(Name name, const AutomationServerValue& value) final {
        checkAlive();
        assign(name, AutomationArguments(name, value));
    }

  protected:
    virtual AutomationServerValue member(Name name, const AutomationArguments&) {
        AutomationArguments::unknownName(name);
    }
    virtual void assign(Name name, const AutomationArguments&) { AutomationArguments::unknownName(name); }

    WordServerTable& table(std::size_t index) const { return document_->tables[index]; }

    std::shared_ptr<Word> word_;
    std::shared_ptr<Document> document_;

  private:
    void checkAlive() const {
        word_->checkRunning();
        if (document_ && document_->closed) {
            throw AutomationFailure("The object has been deleted.");
        }
    }
};

class Shading final : public WordObject {
  public:
    Shading(std::shared_ptr<Word> word, std::shared_ptr<Document> document, std::size_t table,
            std::uint32_t row, std::uint32_t column)
        : WordObject(std::move(word), std::move(document)), table_(table), row_(row), column_(column) {}

  protected:
    void assign(Name name, const AutomationArguments& value) override {
        if (!is(name, "BackgroundPatternColor")) {
            AutomationArguments::unknownName(name);
        }
        const std::int64_t colour = value.integer(0);
        if ((colour < 0 || colour > kMaximumColour) && colour != WordServerTable::kAutomaticColour) {
            throw AutomationFailure("The value is out of range.");
        }
        table(table_).setShading(row_, column_, static_cast<std::int32_t>(colour));
    }

  private:
    std::size_t table_;
    std::uint32_t row_;
    std::uint32_t column_;
};

class Cell final : public WordObject {
  public:
    Cell(std::shared_ptr<Word> word, std::shared_ptr<Document> document, std::size_t table, std::uint32_t row,
         std::uint32_t column)
        : WordObject(std::move(word), std::move(document)), table_(table), row_(row), column_(column) {}

  protected:
    AutomationServerValue member(Name name, const AutomationArguments& arguments) override {
        arguments.expectCount(0);
        if (is(name, "Shading")) {
            return std::make_shared<Shading>(word_, document_, table_, row_, column_);
        }
        AutomationArguments::unknownName(name);
    }

    // A Range set to a text takes the text (Text is the default property of Range).
    void assign(Name name, const AutomationArguments& value) override {
        if (!is(name, "Range")) {
            AutomationArguments::unknownName(name);
        }
        table(table_).setText(row_, column_, value.text(0));
    }

  private:
    std::size_t table_;
    std::uint32_t row_;
    std::uint32_t column_;
};

class Column final : public WordObject {
  public:
    Column(std::shared_ptr<Word> word, std::shared_ptr<Document> document, std::size_t table,
           std::uint32_t column)
        : WordObject(std::move(word), std::move(document)), table_(table), column_(column) {}

  protected:
    void assign(Name name, const AutomationArguments& value) override {
        WordServerTable::Column& column = table(table_).column(column_);
        if (is(name, "PreferredWidthType")) {
            const std::int64_t type = value.integer(0);
            if (type < WordServerTable::kWidthAuto || type > WordServerTable::kWidthPoints) {
                throw AutomationFailure("The value is out of range.");
            }
            column.preferredWidthType = static_cast<std::int32_t>(type);
        } else if (is(name, "PreferredWidth")) {
            const double width = value.number(0);
            if (!(width >= 0 && width <= kMaximumPreferredWidth)) {
                throw AutomationFailure("The value is out of range.");
            }
            column.preferredWidth = width;
        } else {
            AutomationArguments::unknownName(name);
        }
    }

  private:
    std::size_t table_;
    std::uint32_t column_;
};

class Columns final : public WordObject {
  public:
    Columns(std::shared_ptr<Word> word, std::shared_ptr<Document> document, std::size_t table)
        : WordObject(std::move(word), std::move(document)), table_(table) {}

  protected:
    AutomationServerValue member(Name name, const AutomationArguments& arguments) override {
        if (!is(name, "Item")) {
            AutomationArguments::unknownName(name);
        }
        arguments.expectCount(1);
        const std::uint32_t column = table(table_).columnIndex(arguments.integer(0));
        return std::make_shared<Column>(word_, document_, table_, column);
    }

  private:
    std::size_t table_;
};

class Table final : public WordObject {
  public:
    Table(std::shared_ptr<Word> word, std::shared_ptr<Document> document, std::size_t table)
        : WordObject(std::move(word), std::move(document)), table_(table) {}

  protected:
    AutomationServerValue member(Name name, const AutomationArguments& arguments) override {
        if (is(name, "Columns")) {
            arguments.expectCount(0);
            return std::make_shared<Columns>(word_, document_, table_);
        }
        if (is(name, "Cell")) {
            arguments.expectCount(2);
            const WordServerTable& cells = table(table_);
            const std::uint32_t row = cells.rowIndex(arguments.integer(0));
            const std::uint32_t column = cells.columnIndex(arguments.integer(1));
            return std::make_shared<Cell>(word_, document_, table_, row, column);
        }
        AutomationArguments::unknownName(name);
    }

  private:
    std::size_t table_;
};

// A range of a document: the whole document or the selection's place in it.
class Range final : public WordObject {
  public:
    using WordObject::WordObject;

    const Document* owner() const { return document_.get(); }

  protected:
    AutomationServerValue member(Name name, const AutomationArguments& arguments) override;
};

class Tables final : public WordObject {
  public:
    using WordObject::WordObject;

  protected:
    AutomationServerValue member(Name name, const AutomationArguments& arguments) override {
        if (is(name, "Item")) {
            arguments.expectCount(1);
            const std::int64_t index = arguments.integer(0);
            if (index < 1 || index > static_cast<std::int64_t>(document_->tables.size())) {
                throw AutomationFailure("The requested member of the collection does not exist.");
            }
            return std::make_shared<Table>(word_, document_, static_cast<std::size_t>(index - 1));
        }
        if (is(name, "Add")) {
            arguments.expectCount(5);
            if (arguments.object<Range>(0)->owner() != document_.get()) {
                throw AutomationFailure("The range does not belong to this document.");
            }
            const std::int64_t rows = arguments.integer(1);
            const std::int64_t columns = arguments.integer(2);
            const std::int64_t behavior = arguments.integer(3);
            const std::int64_t autoFit = arguments.integer(4);
            if (behavior < 0 || behavior > kWord9TableBehavior || autoFit < 0 || autoFit > kAutoFitWindow) {
                throw AutomationFailure("The value is out of range.");
            }
            document_->tables.emplace_back(rows, columns, static_cast<std::int32_t>(autoFit));
            return std::make_shared<Table>(word_, document_, document_->tables.size() - 1);
        }
        AutomationArguments::unknownName(name);
    }
};

AutomationServerValue Range::member(Name name, const AutomationArguments& arguments) {
    arguments.expectCount(0);
    if (is(name, "Tables")) {
        return std::make_shared<Tables>(word_, document_);
    }
    AutomationArguments::unknownName(name);
}

// The selection's font becomes the font of what is inserted at the selection: the table.
class Font final : public WordObject {
  public:
    using WordObject::WordObject;

  protected:
    void assign(Name name, const AutomationArguments& value) override {
        if (is(name, "Size")) {
            const double size = value.number(0);
            if (!(size >= kMinimumFontSize && size <= kMaximumFontSize)) {
                throw AutomationFailure("The value is out of range.");
            }
            document_->font.size = size;
        } else if (is(name, "Name")) {
            const std::u16string& fontName = value.text(0);
            if (fontName.empty() || fontName.size() > kMaximumFontNameLength) {
                throw AutomationFailure("The value is out of range.");
            }
            document_->font.name = fontName;
        } else {
            AutomationArguments::unknownName(name);
        }
    }
};

class Selection final : public WordObject {
  public:
    using WordObject::WordObject;

  protected:
    AutomationServerValue member(Name name, const AutomationArguments& arguments) override {
        arguments.expectCount(0);
        if (is(name, "Font")) {
            return std::make_shared<Font>(word_, document_);
        }
        if (is(name, "Range")) {
            return std::make_shared<Range>(word_, document_);
        }
        AutomationArguments::unknownName(name);
    }
};

class DocumentObject final : public WordObject {
  public:
    using WordObject::WordObject;

  protected:
    AutomationServerValue member(Name name, const AutomationArguments& arguments) override {
        if (is(name, "SaveAs")) {
            arguments.expectCount(1);
            const std::string path = PcPageWideText::toUtf8(arguments.text(0));
            // Replaces a file of that name whole, never what a link there points to; the
            // document goes to the temporary file beside it as it is made.
            AtomicFile out;
            if (out.open(path, AtomicFile::Existing::ReplaceNamed, false)) {
                RtfDocumentWriter::write([&out](std::string_view piece) { out.write(piece); },
                                         document_->font, document_->tables);
            }
            if (!out.commit()) {
                throw AutomationFailure("Word cannot save or create this file. (" + path + ")");
            }
            return std::monostate{};
        }
        arguments.expectCount(0);
        if (is(name, "Tables")) {
            return std::make_shared<Tables>(word_, document_);
        }
        if (is(name, "Range")) {
            return std::make_shared<Range>(word_, document_);
        }
        if (is(name, "Close")) {
            document_->closed = true;
            if (word_->active == document_) {
                word_->active.reset();
            }
            return std::monostate{};
        }
        AutomationArguments::unknownName(name);
    }
};

class Documents final : public WordObject {
  public:
    using WordObject::WordObject;

  protected:
    AutomationServerValue member(Name name, const AutomationArguments& arguments) override {
        if (!is(name, "Add")) {
            AutomationArguments::unknownName(name);
        }
        arguments.expectCount(0);
        word_->active = std::make_shared<Document>();
        return std::make_shared<DocumentObject>(word_, word_->active);
    }
};

class Application final : public WordObject {
  public:
    explicit Application(std::shared_ptr<Word> word) : WordObject(std::move(word), nullptr) {}

  protected:
    AutomationServerValue member(Name name, const AutomationArguments& arguments) override {
        arguments.expectCount(0);
        if (is(name, "Documents")) {
            return std::make_shared<Documents>(word_, nullptr);
        }
        if (is(name, "ActiveDocument")) {
            return std::make_shared<DocumentObject>(word_, word_->activeDocument());
        }
        if (is(name, "Selection")) {
            return std::make_shared<Selection>(word_, word_->activeDocument());
        }
        if (is(name, "Visible")) {
            return word_->visible;
        }
        if (is(name, "Quit")) {
            word_->quit = true;
            word_->active.reset();
            return std::monostate{};
        }
        AutomationArguments::unknownName(name);
    }

    void assign(Name name, const AutomationArguments& value) override {
        if (!is(name, "Visible")) {
            AutomationArguments::unknownName(name);
        }
        word_->visible = value.boolean(0);
    }
};

}  // namespace

std::shared_ptr<AutomationServerObject> WordServer::createApplication() {
    return std::make_shared<Application>(std::make_shared<Word>());
}

}  // namespace quelvane
