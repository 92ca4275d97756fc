#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "extract/ExtractNames.h"
#include "extract/LoadedValue.h"
#include "extract/RecordTexts.h"
#include "extract/SqliteRowBatch.h"
#include "savefile/AtomicFile.h"

struct sqlite3;
struct sqlite3_stmt;

namespace quelvane {

class SqliteRowPipeline;

// One row of the `catalog` table: an object (member empty) or a member of a physical file.
struct CatalogRow {
    std::string saveFile;
    std::string library;
    std::string object;
    std::string objectType;
    std::string typeText;
    std::string attribute;
    std::string objectText;
    bool isMember = false;
    std::string member;
    std::string memberType;
    std::string memberText;
    std::int64_t recordCount = 0;
    std::string writtenTo;  // the file or table written, empty when nothing was
    std::string error;      // why nothing was written, empty when something was
};

// One row of the `columns` table: a field of a file's record format, the column its values went
// into and what the file says of it.
struct ColumnRow {
    std::string saveFile;
    std::string library;
    std::string file;
    std::int64_t position = 0;  // 1 for the first field
    std::string field;
    std::string longName;  // empty when the field has none
    std::string column;    // the column's name in the file's tables
    std::string type;      // the DDS type letter
    std::int64_t length = 0;
    std::int64_t digits = 0;
    std::int64_t decimals = 0;
    std::string sqlType;
    bool nullCapable = false;
    std::string defaultValue;  // the DFT as DDS wrote it, empty when none
    std::string text;
    std::string headings;  // the column headings, one a line
    std::int64_t ccsid = 0;
};

// One row of the `source` table: a line of a source member.
struct SourceLineRow {
    std::string saveFile;
    std::string library;
    std::string object;
    std::string member;
    std::string type;
    std::int64_t line = 0;
    std::string sequence;
    std::string date;
    std::string text;
};

// The SQLite database of an extraction: a `catalog` table of the objects and members, a `source`
// table of the source members' lines, a `columns` table of the files' fields, and one table per data member
// with a column per field (INTEGER, or TEXT for exact decimals, dates, times and character data: SQLite's
// TEXT affinity keeps a decimal text as it is, where a numeric affinity would round it through a double).
// Rows go in through prepared statements, each member in a transaction of its own; a data
// member's rows in batches inserted on a thread of their own (SqliteRowPipeline) while the
// caller decodes the next records. The database is written under a temporary name and renamed
// into place by commit(). Every failure raises std::runtime_error with SQLite's message; a
// failure to insert a batch is raised by a later insert or by commitTransaction().
class SqliteWriter {
  public:
    SqliteWriter() = default;
    ~SqliteWriter();

    SqliteWriter(const SqliteWriter&) = delete;
    SqliteWriter& operator=(const SqliteWriter&) = delete;

    // Whether a data member's rows are inserted on a thread of their own (the default) or by
    // the caller; the database is the same either way. Set before open().
    void insertOnOwnThread(bool threaded) { threaded_ = threaded; }

    // Creates the database (under its temporary name) with the catalog and source tables.
    void open(const std::filesystem::path& path);
    bool isOpen() const { return db_ != nullptr; }

    // A table name for `preferred` (UTF-8) not yet given out, never one of the fixed tables nor
    // one SQLite keeps for itself.
    std::string tableName(const std::string& preferred);

    // Starts a data member's transaction and creates its table with the columns of `columns`.
    void beginDataMember(const std::string& table, const RecordTexts& columns);
    // Inserts the record's values; held and inserted with others, at the latest when the
    // member's transaction commits.
    void insertRecord(const RecordTexts& record);
    // The same for values (one per column) given otherwise.
    void insertValues(std::span<const LoadedValue> values);
    // Starts a transaction: a source member's lines, or the catalog rows.
    void beginTransaction();
    void insertSourceLine(const SourceLineRow& row);
    void commitTransaction();
    // Undoes everything since the transaction's start, a member's table included.
    void rollbackTransaction();

    void addCatalogRow(const CatalogRow& row);
    void addColumnRow(const ColumnRow& row);

    // Closes the database and gives it its final name.
    void commit();
    // Closes and removes the database.
    void discard();

  private:
    // Ends the pipeline; defined where the pipeline is (none is made without SQLite).
    struct EndPipeline {
        void operator()(SqliteRowPipeline* pipeline) const;
    };

    sqlite3_stmt* prepareRows(std::size_t rows);
    void insertBatch(const SqliteRowBatch& batch);
    void insertPending();
    void execute(const char* sql);
    sqlite3_stmt* prepare(const std::string& sql);
    void step(sqlite3_stmt* statement);
    [[noreturn]] void fail(const std::string& what);
    void finalizeStatements();
    void close();

    sqlite3* db_ = nullptr;
    sqlite3_stmt* insertRecords_ = nullptr;
    sqlite3_stmt* insertSource_ = nullptr;
    sqlite3_stmt* insertCatalog_ = nullptr;
    sqlite3_stmt* insertColumn_ = nullptr;
    bool inMember_ = false;
    std::string insertPrefix_;
    std::string rowValues_;
    std::size_t columns_ = 0;
    std::size_t batchRows_ = 1;
    std::size_t pipelineRows_ = 1;
    bool threaded_ = true;
    std::unique_ptr<SqliteRowPipeline, EndPipeline> pipeline_;
    std::vector<LoadedValue> recordValues_;
    std::filesystem::path final_;
    AtomicFile file_;
    ExtractNames tables_;
};

}  // namespace quelvane
