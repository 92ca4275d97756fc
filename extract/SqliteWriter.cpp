#include "extract/SqliteWriter.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>
#include <system_error>

#include <sqlite3.h>

#include "extract/SqliteRowPipeline.h"

namespace quelvane {

namespace {

constexpr const char* kCatalogTable = "catalog";
constexpr const char* kSourceTable = "source";
constexpr const char* kColumnsTable = "columns";
constexpr const char* kInternalPrefix = "sqlite_";
// Records go in this many rows to an INSERT (fewer where the columns would pass SQLite's limit
// of variables): the statement's own work is done once for them all.
constexpr std::size_t kBatchRows = 64;
// The rows are handed to the thread that inserts them this many INSERTs at a time: handing over
// costs a wake-up of the other thread, too dear for each INSERT.
constexpr std::size_t kInsertsPerBatch = 16;

constexpr const char* kSchema =
    "CREATE TABLE catalog (save_file TEXT, library TEXT, object TEXT, object_type TEXT, type_text TEXT, "
    "attribute TEXT, object_text TEXT, member TEXT, member_type TEXT, member_text TEXT, "
    "record_count INTEGER, written_to TEXT, error TEXT);"
    "CREATE TABLE source (save_file TEXT, library TEXT, object TEXT, member TEXT, type TEXT, "
    "line INTEGER, sequence TEXT, date TEXT, text TEXT);"
    "CREATE TABLE columns (save_file TEXT, library TEXT, file TEXT, position INTEGER, field TEXT, "
    "long_name TEXT, column_name TEXT, type TEXT, length INTEGER, digits INTEGER, decimals INTEGER, "
    "sql_type TEXT, null_capable INTEGER, default_value TEXT, text TEXT, headings TEXT, ccsid INTEGER);";
constexpr const char* kInsertCatalog = "INSERT INTO catalog VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)";
constexpr const char* kInsertSource = "INSERT INTO source VALUES (?,?,?,?,?,?,?,?,?)";
constexpr const char* kInsertColumn = "INSERT INTO columns VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

// The database is renamed into place only when complete, so it needs no journal on disk and no
// waiting for the disk: a journal in memory still lets a member's transaction be undone. The
// file is new and nobody else opens it before the rename: its pages can be large (set before
// the first table) and the lock is taken once. The cache stays at its bounded default: a larger
// one was no faster for a table that only grows at its end.
constexpr const char* kFastWriting =
    "PRAGMA page_size=65536; PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF; "
    "PRAGMA locking_mode=EXCLUSIVE; PRAGMA temp_store=MEMORY;";

std::string quotedName(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted.push_back(c);
        if (c == '"') {
            quoted.push_back('"');
        }
    }
    return quoted + "\"";
}

void bindText(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

// Binds `rows` rows of `batch` from `first` on to `statement`, a statement of as many rows.
void bindRows(sqlite3_stmt* statement, const SqliteRowPipeline::Batch& batch, std::size_t columns,
              std::size_t first, std::size_t rows) {
    const SqliteRowPipeline::Value* const values = batch.values.data() + first * columns;
    for (std::size_t i = 0; i < rows * columns; ++i) {
        const SqliteRowPipeline::Value& value = values[i];
        const int index = static_cast<int>(i) + 1;
        switch (value.form) {
            case SqliteRowPipeline::Value::Form::null:
                sqlite3_bind_null(statement, index);
                break;
            case SqliteRowPipeline::Value::Form::integer:
                sqlite3_bind_int64(statement, index, value.integer);
                break;
            case SqliteRowPipeline::Value::Form::text:
                sqlite3_bind_text(statement, index, batch.text.data() + value.integer,
                                  static_cast<int>(value.length), SQLITE_STATIC);
                break;
        }
    }
}

void bindOptionalText(sqlite3_stmt* statement, int index, const std::string& text) {
    if (text.empty()) {
        sqlite3_bind_null(statement, index);
    } else {
        bindText(statement, index, text);
    }
}

}  // namespace

void SqliteWriter::EndPipeline::operator()(SqliteRowPipeline* pipeline) const {
    delete pipeline;
}

SqliteWriter::~SqliteWriter() {
    discard();
}

[[noreturn]] void SqliteWriter::fail(const std::string& what) {
    throw std::runtime_error("database " + final_.string() + ": " + what + ": " +
                             (db_ != nullptr ? sqlite3_errmsg(db_) : "not open"));
}

void SqliteWriter::open(const std::filesystem::path& path) {
    discard();
    final_ = path;
    if (!file_.open(path, AtomicFile::Existing::ReplaceRegular, true)) {
        throw std::runtime_error("database " + file_.error());
    }
    if (sqlite3_open_v2(file_.temporaryPath().c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        fail("cannot create");
    }
    execute(kFastWriting);
    execute(kSchema);
    tables_.reserve(kCatalogTable);
    tables_.reserve(kSourceTable);
    tables_.reserve(kColumnsTable);
    insertCatalog_ = prepare(kInsertCatalog);
    insertSource_ = prepare(kInsertSource);
    insertColumn_ = prepare(kInsertColumn);
    // The rows of a full batch, inserted by the pipeline's thread while the caller waits for it
    // or fills other batches.
    pipeline_.reset(new SqliteRowPipeline(
        [this](const SqliteRowPipeline::Batch& batch) { insertBatch(batch); }, threaded_));
}

void SqliteWriter::execute(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message != nullptr ? message : "";
        sqlite3_free(message);
        fail(text);
    }
}

sqlite3_stmt* SqliteWriter::prepare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
        fail("cannot prepare");
    }
    return statement;
}

void SqliteWriter::step(sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) {
        sqlite3_reset(statement);
        fail("cannot insert");
    }
    sqlite3_reset(statement);
}

std::string SqliteWriter::tableName(const std::string& preferred) {
    std::string name = preferred.empty() ? "_" : preferred;
    std::string head = name.substr(0, std::char_traits<char>::length(kInternalPrefix));
    for (char& c : head) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (head == kInternalPrefix) {
        name.insert(0, "_");
    }
    return tables_.unique(name);
}

void SqliteWriter::beginDataMember(const std::string& table, const RecordTexts& columns) {
    execute("BEGIN");
    inMember_ = true;
    std::string create = "CREATE TABLE " + quotedName(table) + " (";
    insertPrefix_ = "INSERT INTO " + quotedName(table) + " VALUES ";
    rowValues_ = "(";
    ExtractNames columnNames;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const char* type = columns.columnKind(i) == LoadedKind::Integer ? " INTEGER" : " TEXT";
        create += (i == 0 ? "" : ", ") + quotedName(columnNames.unique(columns.name(i))) + type;
        rowValues_ += i == 0 ? "?" : ",?";
    }
    if (columns.size() == 0) {
        create += "\"_\" TEXT";
        rowValues_ += "NULL";
    }
    rowValues_ += ")";
    execute((create + ")").c_str());
    columns_ = columns.size();
    const auto variables =
        static_cast<std::size_t>(std::max(sqlite3_limit(db_, SQLITE_LIMIT_VARIABLE_NUMBER, -1), 1));
    batchRows_ = std::clamp<std::size_t>(columns_ == 0 ? kBatchRows : variables / columns_, 1, kBatchRows);
    pipelineRows_ = batchRows_ * kInsertsPerBatch;
    pipeline_->sizeBatches(pipelineRows_ * columns_);
    if (insertRecords_ != nullptr) {
        sqlite3_finalize(insertRecords_);
    }
    insertRecords_ = prepareRows(batchRows_);
}

sqlite3_stmt* SqliteWriter::prepareRows(std::size_t rows) {
    std::string insert = insertPrefix_;
    for (std::size_t row = 0; row < rows; ++row) {
        insert += (row == 0 ? "" : ",") + rowValues_;
    }
    return prepare(insert);
}

void SqliteWriter::insertRecord(const RecordTexts& record) {
    recordValues_.resize(record.size());
    for (std::size_t i = 0; i < record.size(); ++i) {
        recordValues_[i] = {record.text(i), record.kind(i)};
    }
    insertValues(recordValues_);
}

void SqliteWriter::insertValues(std::span<const LoadedValue> values) {
    using Form = SqliteRowPipeline::Value::Form;
    SqliteRowPipeline::Batch& batch = pipeline_->filling();
    SqliteRowPipeline::Value* const row = batch.values.data() + batch.rows * columns_;
    for (std::size_t i = 0; i < columns_; ++i) {
        SqliteRowPipeline::Value& value = row[i];
        const std::string_view text = values[i].text;
        const LoadedKind kind = values[i].kind;
        value.form = Form::text;
        if (text.empty() && kind != LoadedKind::Text) {
            value.form = Form::null;
            continue;
        }
        if (kind == LoadedKind::Integer) {
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value.integer);
            if (error == std::errc() && end == text.data() + text.size()) {
                value.form = Form::integer;
                continue;
            }
        }
        value.integer = static_cast<std::int64_t>(batch.text.size());
        value.length = text.size();
        batch.text.append(text);
    }
    if (++batch.rows == pipelineRows_) {
        pipeline_->send();
    }
}

// The rows of `batch`, an INSERT of batchRows_ rows at a time, the rest (in a member's last
// batch only) through an INSERT of as many.
void SqliteWriter::insertBatch(const SqliteRowPipeline::Batch& batch) {
    std::size_t first = 0;
    for (; first + batchRows_ <= batch.rows; first += batchRows_) {
        bindRows(insertRecords_, batch, columns_, first, batchRows_);
        step(insertRecords_);
    }
    if (first == batch.rows) {
        return;
    }
    sqlite3_stmt* const rest = prepareRows(batch.rows - first);
    try {
        bindRows(rest, batch, columns_, first, batch.rows - first);
        step(rest);
    } catch (...) {
        sqlite3_finalize(rest);
        throw;
    }
    sqlite3_finalize(rest);
}

// The rows of the batch not yet full handed over too, and every batch inserted.
void SqliteWriter::insertPending() {
    if (pipeline_->filling().rows != 0) {
        pipeline_->send();
    }
    pipeline_->finish();
}

void SqliteWriter::beginTransaction() {
    execute("BEGIN");
    inMember_ = true;
}

void SqliteWriter::insertSourceLine(const SourceLineRow& row) {
    bindText(insertSource_, 1, row.saveFile);
    bindText(insertSource_, 2, row.library);
    bindText(insertSource_, 3, row.object);
    bindText(insertSource_, 4, row.member);
    bindText(insertSource_, 5, row.type);
    sqlite3_bind_int64(insertSource_, 6, row.line);
    bindText(insertSource_, 7, row.sequence);
    bindText(insertSource_, 8, row.date);
    bindText(insertSource_, 9, row.text);
    step(insertSource_);
}

void SqliteWriter::commitTransaction() {
    if (pipeline_ != nullptr) {
        insertPending();
    }
    inMember_ = false;
    execute("COMMIT");
}

void SqliteWriter::rollbackTransaction() {
    if (pipeline_ != nullptr) {
        pipeline_->abandon();
    }
    if (inMember_) {
        inMember_ = false;
        execute("ROLLBACK");
    }
}

void SqliteWriter::addCatalogRow(const CatalogRow& row) {
    bindText(insertCatalog_, 1, row.saveFile);
    bindText(insertCatalog_, 2, row.library);
    bindText(insertCatalog_, 3, row.object);
    bindText(insertCatalog_, 4, row.objectType);
    bindText(insertCatalog_, 5, row.typeText);
    bindText(insertCatalog_, 6, row.attribute);
    bindText(insertCatalog_, 7, row.objectText);
    if (row.isMember) {
        bindText(insertCatalog_, 8, row.member);
        bindText(insertCatalog_, 9, row.memberType);
        bindText(insertCatalog_, 10, row.memberText);
        sqlite3_bind_int64(insertCatalog_, 11, row.recordCount);
    } else {
        for (int i = 8; i <= 11; ++i) {
            sqlite3_bind_null(insertCatalog_, i);
        }
    }
    bindOptionalText(insertCatalog_, 12, row.writtenTo);
    bindOptionalText(insertCatalog_, 13, row.error);
    step(insertCatalog_);
}

void SqliteWriter::addColumnRow(const ColumnRow& row) {
    int index = 0;
    for (const std::string* text : {&row.saveFile, &row.library, &row.file}) {
        bindText(insertColumn_, ++index, *text);
    }
    sqlite3_bind_int64(insertColumn_, ++index, row.position);
    bindText(insertColumn_, ++index, row.field);
    bindOptionalText(insertColumn_, ++index, row.longName);
    bindText(insertColumn_, ++index, row.column);
    bindText(insertColumn_, ++index, row.type);
    for (const std::int64_t number : {row.length, row.digits, row.decimals}) {
        sqlite3_bind_int64(insertColumn_, ++index, number);
    }
    bindText(insertColumn_, ++index, row.sqlType);
    sqlite3_bind_int64(insertColumn_, ++index, row.nullCapable ? 1 : 0);
    bindOptionalText(insertColumn_, ++index, row.defaultValue);
    bindText(insertColumn_, ++index, row.text);
    bindText(insertColumn_, ++index, row.headings);
    sqlite3_bind_int64(insertColumn_, ++index, row.ccsid);
    step(insertColumn_);
}

void SqliteWriter::finalizeStatements() {
    for (sqlite3_stmt** statement : {&insertRecords_, &insertSource_, &insertCatalog_, &insertColumn_}) {
        if (*statement != nullptr) {
            sqlite3_finalize(*statement);
            *statement = nullptr;
        }
    }
}

void SqliteWriter::close() {
    pipeline_.reset();
    finalizeStatements();
    if (db_ != nullptr) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
    inMember_ = false;
}

void SqliteWriter::commit() {
    if (db_ == nullptr) {
        return;
    }
    rollbackTransaction();
    pipeline_.reset();
    finalizeStatements();
    if (sqlite3_close(db_) != SQLITE_OK) {
        fail("cannot close");
    }
    db_ = nullptr;
    if (!file_.commit()) {
        throw std::runtime_error("database " + file_.error());
    }
}

void SqliteWriter::discard() {
    if (db_ != nullptr) {
        close();
    }
    file_.discard();
}

}  // namespace quelvane
