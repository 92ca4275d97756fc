#include <stdexcept>

#include "extract/SqliteWriter.h"

// A build without SQLite (the WebAssembly one) keeps the extraction's interface: a database is
// refused when asked for, and nothing else can then be reached.

namespace quelvane {

namespace {

[[noreturn]] void refuse() {
    throw std::runtime_error("this build writes no SQLite database");
}

}  // namespace

// No pipeline is made in this build.
void SqliteWriter::EndPipeline::operator()(SqliteRowPipeline*) const {}

SqliteWriter::~SqliteWriter() = default;

void SqliteWriter::open(const std::filesystem::path&) {
    refuse();
}

std::string SqliteWriter::tableName(const std::string&) {
    refuse();
}

void SqliteWriter::beginDataMember(const std::string&, const RecordTexts&) {
    refuse();
}

void SqliteWriter::insertRecord(const RecordTexts&) {
    refuse();
}

void SqliteWriter::insertValues(std::span<const LoadedValue>) {
    refuse();
}

void SqliteWriter::beginTransaction() {
    refuse();
}

void SqliteWriter::insertSourceLine(const SourceLineRow&) {
    refuse();
}

void SqliteWriter::commitTransaction() {
    refuse();
}

void SqliteWriter::rollbackTransaction() {
    refuse();
}

void SqliteWriter::addCatalogRow(const CatalogRow&) {
    refuse();
}

void SqliteWriter::addColumnRow(const ColumnRow&) {
    refuse();
}

void SqliteWriter::commit() {
    refuse();
}

void SqliteWriter::discard() {}

}  // namespace quelvane
