#include "extract/SaveFileExtractor.h"

#include <algorithm>
#include <exception>

#include "describe/CommandSource.h"
#include "describe/LogicalFileFields.h"
#include "describe/LogicalFileReader.h"
#include "describe/MessageFileReader.h"
#include "describe/ObjectDescriber.h"
#include "extract/CatalogJson.h"
#include "extract/CsvWriter.h"
#include "extract/MemberWriter.h"
#include "extract/OutputFile.h"
#include "extract/SourceMemberLayout.h"
#include "extract/SqlIdentifier.h"
#include "savefile/CatalogTree.h"
#include "savefile/FailureReason.h"
#include "savefile/IfsPath.h"
#include "savefile/ObjectKinds.h"
#include "views/ClSourceView.h"
#include "views/DataAreaView.h"
#include "views/FieldDecoder.h"
#include "views/FileFacts.h"

namespace quelvane {

namespace {

constexpr const char* kCatalogFile = "catalog.json";
constexpr const char* kDataAreaFile = "dataareas.csv";
constexpr const char* kSchemaFile = "schema.sql";
constexpr const char* kCharacterDataArea = "*CHAR";
constexpr const char* kDecimalDataArea = "*DEC";

template <typename T>
std::size_t countOf(const std::vector<T>& items, std::int32_t stated) {
    return std::min(items.size(), static_cast<std::size_t>(std::max(stated, 0)));
}

std::string trimmedRight(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

SaveFileExtractor::SaveFileExtractor(const Catalog& catalog, EbcdicTextConverter& converter,
                                     std::int32_t pcCodePage)
    : catalog_(catalog),
      session_(catalog, converter, notifier_, list_),
      utf8_(pcCodePage),
      pcCodePage_(pcCodePage),
      nodeTexts_(std::make_unique<CatalogTexts>()),
      storedTexts_(CatalogJson::kDefaultHostPage) {}

void SaveFileExtractor::decodeByStoredCcsid(std::int32_t hostPage) {
    hostPage_ = hostPage;
    byCcsid_ = std::make_unique<FieldTextByCcsid>(hostPage, session_.converter);
    nodeTexts_ = std::make_unique<CatalogTexts>(catalog_, hostPage, pcCodePage_);
}

std::int64_t SaveFileExtractor::memberTotal(const Catalog& catalog) {
    std::int64_t total = 0;
    for (const SavedPart& part : catalog.parts) {
        const SavedLibrary& library = part.library;
        for (std::size_t j = 0; j < countOf(library.objects, library.objectCount); ++j) {
            const SavedObject& object = library.objects[j];
            if (isPhysicalFile(object)) {
                total += static_cast<std::int64_t>(countOf(object.members, object.memberCount));
            }
        }
    }
    return total;
}

ExtractOutcome SaveFileExtractor::run(const std::filesystem::path& folder, SqliteWriter* database,
                                      const std::string& saveFileName, ProgressReporter& progress) {
    beginRun(folder, database, saveFileName, progress);
    std::string why;
    root_ = OutputFolder::open(folder, true, why);
    if (!root_.isOpen()) {
        outcome_.failures.push_back(why);
        return outcome_;
    }
    progress.progress(0, memberTotal_);
    startWorkers();
    extractObjects();
    if (workers_ != nullptr) {
        runs_->finish();
        workerFieldNotes_ = workers_->fieldNotes();
        runs_ = nullptr;
        workers_.reset();
    }
    finishRun();
    return outcome_;
}

// A database takes its rows in member order from one thread, so with one the members are written
// in turn whatever is asked.
void SaveFileExtractor::startWorkers() {
    runs_ = nullptr;
    workers_.reset();
    workerFieldNotes_.clear();
    membersQueued_ = 0;
    if (jobs_ > 1 && database_ == nullptr) {
        const std::optional<std::int32_t> byCcsid =
            byCcsid_ != nullptr ? std::optional<std::int32_t>(hostPage_) : std::nullopt;
        workers_ = std::make_unique<MemberWorkers>(jobs_, pcCodePage_, byCcsid, session_.converter,
                                                   [this] { return progress_->cancelled(); });
        runs_ = &workers_->runs();
    }
}

void SaveFileExtractor::beginRun(const std::filesystem::path& folder, SqliteWriter* database,
                                 const std::string& saveFileName, ProgressReporter& progress) {
    folder_ = folder;
    database_ = database;
    saveFileName_ = saveFileName;
    progress_ = &progress;
    outcome_ = ExtractOutcome();
    outcome_.incomplete = incomplete_;
    if (!incomplete_.empty()) {
        outcome_.failures.push_back("the catalog is incomplete: " + incomplete_);
    }
    libraryNames_ = ExtractNames();
    libraryNames_.reserve(kCatalogFile);
    libraryNames_.reserve(kSchemaFile);
    libraries_.clear();
    schemaTableNames_ = ExtractNames();
    schemaStatements_.clear();
    membersDone_ = 0;
    memberTotal_ = memberTotal(catalog_);
}

void SaveFileExtractor::extractObjects() {
    for (std::size_t i = 0; i < catalog_.parts.size() && !outcome_.cancelled; ++i) {
        const SavedPart& part = catalog_.parts[i];
        Library& library = libraryFor(part);
        for (std::size_t j = 0; j < countOf(part.library.objects, part.library.objectCount); ++j) {
            if (progress_->cancelled() || (runs_ != nullptr && runs_->stopping())) {
                outcome_.cancelled = true;
                if (runs_ != nullptr) {
                    runs_->stop();
                }
                break;
            }
            const Place place{static_cast<std::int32_t>(i), static_cast<std::int32_t>(j), &library};
            extractObject(place, part.library.objects[j]);
        }
    }
}

// The other objects are written on this thread as they come, their names taken in catalog order;
// only their failures wait for the members queued before them.
void SaveFileExtractor::extractObject(const Place& place, const SavedObject& object) {
    const std::uint16_t type = object.typeCode;
    const std::size_t failuresBefore = outcome_.failures.size();
    if (isPhysicalFile(object)) {
        extractFile(place, object);
        return;
    }
    if (isClProgram(object)) {
        extractClProgram(place, object);
    } else if (type == kDataAreaObjectType) {
        extractDataArea(place, object);
    } else if (ObjectDescriber::describes(type, object.attribute)) {
        extractDescription(place, object);
    } else {
        outcome_.objects[{place.part, place.object}].error = "no content is extracted from this type";
    }
    keepFailuresInOrder(failuresBefore);
}

void SaveFileExtractor::keepFailuresInOrder(std::size_t from) {
    if (runs_ == nullptr || outcome_.failures.size() <= from) {
        return;
    }
    std::vector<std::string> failures(std::make_move_iterator(outcome_.failures.begin() + from),
                                      std::make_move_iterator(outcome_.failures.end()));
    outcome_.failures.resize(from);
    runs_->addInOrder([this, failures = std::move(failures)] {
        outcome_.failures.insert(outcome_.failures.end(), failures.begin(), failures.end());
    });
}

// The files that gather what the objects gave (the schema, the data areas, the stream files, the
// database's catalog rows) are left out of a cancelled run; catalog.json is always written, and
// says what was extracted.
void SaveFileExtractor::finishRun() {
    if (!outcome_.cancelled) {
        writeSchema();
        writeDataAreas();
        writeStreamFiles();
    }
    if (database_ != nullptr && !outcome_.cancelled) {
        writeCatalogRows();
    }
    if (byCcsid_ != nullptr) {
        std::vector<std::string> fieldNotes = byCcsid_->fallbackNotes();
        for (const std::string& note : workerFieldNotes_) {
            if (std::find(fieldNotes.begin(), fieldNotes.end(), note) == fieldNotes.end()) {
                fieldNotes.push_back(note);
            }
        }
        for (const std::string& note : fieldNotes) {
            outcome_.notes.push_back("Field " + note);
        }
    }
    writeCatalog();
}

void SaveFileExtractor::writeCatalog() {
    OutputFile json;
    if (json.open(root_, kCatalogFile)) {
        json.write(CatalogJson::text(catalog_, utf8_, &outcome_, hostPage_, nodeTexts_.get()));
    }
    commitFile(json, kCatalogFile);
    if (outcome_.filesReplaced > 0) {
        outcome_.notes.push_back(std::to_string(outcome_.filesReplaced) +
                                 " files of an earlier extraction in " + folder_.string() + " replaced");
    }
}

bool SaveFileExtractor::commitFile(OutputFile& out, const std::string& where) {
    if (!out.commit()) {
        outcome_.failures.push_back(where + ": " + out.error());
        return false;
    }
    bytesWritten_ += out.bytesWritten();
    outcome_.filesReplaced += out.replaced() ? 1 : 0;
    return true;
}

// The catalog keeps its name at the top of the folder: an entry of that name there, or below a
// folder of that name, is not written rather than written over it or in its way. Without a
// writer, the entries are only listed.
void SaveFileExtractor::writeStreamFiles() {
    if (!catalog_.ifs) {
        return;
    }
    const std::vector<IfsEntry>& entries = catalog_.ifs->entries;
    outcome_.entryFiles.assign(entries.size(), std::string());
    for (const std::string& problem : catalog_.ifs->problems) {
        outcome_.failures.push_back("the directory of the integrated file system: " + problem);
    }
    if (!writeStreamFiles_) {
        for (const IfsEntry& entry : entries) {
            outcome_.entriesNotWritten.insert(entry.path);
        }
        return;
    }
    const std::string catalogPath = std::string("/") + kCatalogFile;
    std::vector<IfsEntry> writable;
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const IfsEntry& entry = entries[i];
        if (entry.path == catalogPath || entry.path.starts_with(catalogPath + "/")) {
            outcome_.entriesNotWritten.insert(entry.path);
            outcome_.failures.push_back(printableIfsPath(entry.path) + ": its name is the catalog's");
        } else {
            writable.push_back(entry);
            positions.push_back(i);
        }
    }
    const IfsEntryExport::Written written = writeStreamFiles_(writable, folder_);
    std::vector<std::string> notWritten;
    for (std::size_t j = 0; j < writable.size(); ++j) {
        if (j < written.files.size() && !written.files[j].empty()) {
            outcome_.entryFiles[positions[j]] = written.files[j];
        } else {
            outcome_.entriesNotWritten.insert(writable[j].path);
            notWritten.push_back(printableIfsPath(writable[j].path) + ": not written");
        }
    }
    outcome_.failures.insert(outcome_.failures.end(), written.failures.begin(), written.failures.end());
    // A writer that could not say why per entry (a folder it could not open) still names each.
    if (written.failures.size() < notWritten.size()) {
        outcome_.failures.insert(outcome_.failures.end(), notWritten.begin(), notWritten.end());
    }
    outcome_.notes.insert(outcome_.notes.end(), written.renamed.begin(), written.renamed.end());
    outcome_.filesReplaced += static_cast<std::int64_t>(written.replaced.size());
}

SaveFileExtractor::Library& SaveFileExtractor::libraryFor(const SavedPart& part) {
    const std::string name = utf8_.toUtf8(part.library.name);
    auto found = libraries_.find(name);
    if (found != libraries_.end()) {
        return found->second;
    }
    Library& library = libraries_[name];
    library.folder = libraryNames_.unique(ExtractNames::safePart(name));
    library.names.reserve(kDataAreaFile);
    return library;
}

void SaveFileExtractor::fail(ItemOutcome& outcome, const std::string& where, const std::string& reason,
                             std::vector<std::string>& list) {
    outcome.error = reason;
    outcome.fault = true;
    outcome.path.clear();
    outcome.table.clear();
    list.push_back(where + ": " + reason);
}

void SaveFileExtractor::extractFile(const Place& place, const SavedObject& file) {
    const std::string folder = place.library->names.unique(ExtractNames::safePart(utf8_.toUtf8(file.name)));
    ExtractNames fileNames;
    const auto columns = std::make_shared<const SqlTable>(file, utf8_, storedTexts_);
    const std::size_t members = countOf(file.members, file.memberCount);
    for (std::size_t k = 0; k < members && !outcome_.cancelled; ++k) {
        if (runs_ != nullptr && runs_->stopping()) {
            outcome_.cancelled = true;
            break;
        }
        extractMember(place, file, folder, fileNames, static_cast<std::int32_t>(k), columns);
    }
    if (file.fieldCount > 0 && !file.fields.empty() && !SourceMemberLayout::matches(file)) {
        if (runs_ != nullptr) {
            runs_->addInOrder([this, place, &file, columns] { addSchemaTable(place, file, *columns); });
        } else {
            addSchemaTable(place, file, *columns);
        }
    }
}

// One table per file: every member of a file has its record format, so each member's CSV file
// loads into the same table, and the comment above it names them.
void SaveFileExtractor::addSchemaTable(const Place& place, const SavedObject& file, const SqlTable& columns) {
    const std::string objectName = trimmedRight(utf8_.toUtf8(file.name));
    const std::string table = schemaTableNames_.unique(SqlIdentifier::printable(objectName));
    outcome_.schemaTables[{place.part, place.object}] = table;
    std::vector<std::string> comments;
    const std::string text = FileFacts::textOf(file.description.text, storedTexts_);
    comments.push_back(place.library->folder + "/" + objectName + (text.empty() ? "" : ": " + text));
    for (std::size_t k = 0; k < countOf(file.members, file.memberCount); ++k) {
        auto found = outcome_.members.find({place.part, place.object, static_cast<std::int32_t>(k)});
        if (found != outcome_.members.end() && !found->second.path.empty()) {
            comments.push_back("rows: " + found->second.path);
        }
    }
    schemaStatements_.push_back(columns.createStatement(table, comments));
}

void SaveFileExtractor::writeSchema() {
    if (schemaStatements_.empty()) {
        return;
    }
    OutputFile out;
    if (out.open(root_, kSchemaFile)) {
        out.write(
            "-- The tables of the physical data files of " +
            SqlTable::commentText(std::filesystem::path(catalog_.path).filename().string()) +
            ", one per file. Each CSV file named above a table loads into it by its header:\n"
            "-- COPY table FROM 'file.csv' (FORMAT csv, HEADER) or .import --csv --skip 1 file.csv table\n");
        for (const std::string& statement : schemaStatements_) {
            out.put('\n');
            out.write(statement);
        }
    }
    if (commitFile(out, kSchemaFile)) {
        outcome_.schemaFile = kSchemaFile;
    }
}

void SaveFileExtractor::extractMember(const Place& place, const SavedObject& file,
                                      const std::string& fileFolder, ExtractNames& fileNames,
                                      std::int32_t memberIndex,
                                      const std::shared_ptr<const SqlTable>& columns) {
    const SavedMember& member = file.members[static_cast<std::size_t>(memberIndex)];
    ItemOutcome& outcome = outcome_.members[{place.part, place.object, memberIndex}];
    const std::string objectName = utf8_.toUtf8(file.name);
    const std::string memberName = utf8_.toUtf8(member.name);
    if (file.fieldCount <= 0 || file.fields.empty()) {
        outcome.error = "the file has no record format";
        if (runs_ != nullptr) {
            ++membersQueued_;
            runs_->addInOrder([this] { finishMember(); });
        } else {
            finishMember();
        }
        return;
    }
    MemberJob job;
    job.key = {place.part, place.object, memberIndex};
    job.file = &file;
    job.member = &member;
    job.where = place.library->folder + "/" + objectName + "/" + memberName;
    job.columns = columns;
    job.source = outcome.source = SourceMemberLayout::matches(file);
    const std::string stem = ExtractNames::safePart(memberName);
    const std::string fileName =
        job.source ? fileNames.unique(stem, SourceMemberLayout::extension(utf8_.toUtf8(member.type)))
                   : fileNames.unique(stem, ".csv");
    outcome.path = place.library->folder + "/" + fileFolder + "/" + fileName;
    job.path = std::filesystem::path(place.library->folder) / fileFolder / fileName;
    if (job.source) {
        job.lineRow.saveFile = saveFileName_;
        job.lineRow.library = utf8_.toUtf8(catalog_.parts[static_cast<std::size_t>(place.part)].library.name);
        job.lineRow.object = objectName;
        job.lineRow.member = memberName;
        job.lineRow.type = trimmedRight(utf8_.toUtf8(member.type));
    } else if (database_ != nullptr) {
        const bool single = countOf(file.members, file.memberCount) == 1;
        outcome.table = database_->tableName(single ? objectName : objectName + "_" + memberName);
        job.table = outcome.table;
    }
    if (runs_ != nullptr) {
        job.membersBefore = membersQueued_++;
        writeOnWorker(std::move(job));
        return;
    }
    recordMember(job, job.write(session_, root_, utf8_, byCcsid_.get(), database_, *progress_, bytesWritten_,
                                membersDone_, memberTotal_));
    finishMember();
}

void SaveFileExtractor::writeOnWorker(MemberJob job) {
    workers_->write(std::move(job), session_, root_, *progress_, bytesWritten_, memberTotal_,
                    [this](const MemberJob& done, const MemberJob::Result& result, std::int64_t reports) {
                        if (!outcome_.cancelled) {
                            for (std::int64_t i = 0; i < reports; ++i) {
                                progress_->progress(membersDone_, memberTotal_);
                            }
                        }
                        recordMember(done, result);
                        finishMember();
                    });
}

void SaveFileExtractor::recordMember(const MemberJob& job, const MemberJob::Result& result) {
    ItemOutcome& outcome = outcome_.members[job.key];
    if (result.failure) {
        fail(outcome, job.where, *result.failure, outcome_.failures);
        return;
    }
    if (!result.rows) {
        outcome_.cancelled = true;
        outcome.path.clear();
        outcome.table.clear();
        outcome.error = "cancelled";
        return;
    }
    outcome.rowsWritten = *result.rows;
    ++outcome_.membersWritten;
    outcome_.filesReplaced += result.replaced ? 1 : 0;
}

void SaveFileExtractor::finishMember() {
    if (outcome_.cancelled) {
        return;
    }
    progress_->progress(++membersDone_, memberTotal_);
}

void SaveFileExtractor::extractClProgram(const Place& place, const SavedObject& program) {
    ItemOutcome& outcome = outcome_.objects[{place.part, place.object}];
    const std::string name = utf8_.toUtf8(program.name);
    std::optional<ClSource> source;
    try {
        source = readClSource(session_, program);
    } catch (const std::exception& failure) {
        fail(outcome, place.library->folder + "/" + name, failureReason(failure), outcome_.failures);
        return;
    }
    if (!source) {
        fail(outcome, place.library->folder + "/" + name, "the program's stored data cannot be found",
             outcome_.objectFailures);
        return;
    }
    if (!source->retrievable) {
        outcome.error = "compiled without source retrieval";
        return;
    }
    const std::string fileName = place.library->names.unique(ExtractNames::safePart(name), ".clp");
    OutputFile out;
    if (out.open(root_, std::filesystem::path(place.library->folder) / fileName)) {
        for (std::string& line : source->lines) {
            utf8_.toUtf8InPlace(line);
            out.write(trimmedRight(line));
            out.put('\n');
        }
    }
    if (!out.commit()) {
        fail(outcome, place.library->folder + "/" + name, out.error(), outcome_.failures);
        return;
    }
    bytesWritten_ += out.bytesWritten();
    outcome_.filesReplaced += out.replaced() ? 1 : 0;
    outcome.path = place.library->folder + "/" + fileName;
    outcome.rowsWritten = static_cast<std::int64_t>(source->lines.size());
}

// Commands go out as their rebuilt source (OBJECT.cmd), message files as ADDMSGD statements
// (OBJECT.msgf.txt); what every such object says, programs too, goes into catalog.json.
void SaveFileExtractor::extractDescription(const Place& place, const SavedObject& object) {
    ItemOutcome& outcome = outcome_.objects[{place.part, place.object}];
    const std::string name = utf8_.toUtf8(object.name);
    std::unique_ptr<BlockSource> source = session_.openSaveFile();
    ObjectDescription description = ObjectDescriber::describe(*source, catalog_, object, session_.converter);
    if (!description.described()) {
        fail(outcome, place.library->folder + "/" + name, description.failure, outcome_.objectFailures);
        return;
    }
    std::vector<std::string> lines;
    std::string extension;
    if (description.command) {
        lines = CommandSource::lines(*description.command, object.name);
        extension = ".cmd";
    } else if (description.messages) {
        lines = MessageFileReader::addMessageStatements(*description.messages, object.name);
        extension = ".msgf.txt";
    } else if (description.logicalFile) {
        lines = LogicalFileReader::lines(*description.logicalFile);
        extension = description.logicalFile->isSql() ? ".sql" : ".lf.txt";
        // Without its formats the file is still described by its keys and based-on files.
        try {
            outcome_.logicalFormats[{place.part, place.object}] = LogicalFileFields::readFormats(
                *source, catalog_.parts[static_cast<std::size_t>(place.part)], object, session_.converter);
        } catch (const std::exception& failure) {
            outcome_.logicalFormatFailures[{place.part, place.object}] = failureReason(failure);
        }
    }
    outcome_.descriptions[{place.part, place.object}] = std::move(description);
    if (lines.empty()) {
        outcome.error = "described in the catalog only";
        return;
    }
    const std::string fileName = place.library->names.unique(ExtractNames::safePart(name), extension);
    OutputFile out;
    if (out.open(folder_ / place.library->folder / fileName)) {
        for (std::string& line : lines) {
            utf8_.toUtf8InPlace(line);
            out.write(line);
            out.put('\n');
        }
    }
    if (!out.commit()) {
        fail(outcome, place.library->folder + "/" + name, out.error(), outcome_.failures);
        return;
    }
    bytesWritten_ += out.bytesWritten();
    outcome.path = place.library->folder + "/" + fileName;
    outcome.rowsWritten = static_cast<std::int64_t>(lines.size());
}

void SaveFileExtractor::extractDataArea(const Place& place, const SavedObject& area) {
    ItemOutcome& outcome = outcome_.objects[{place.part, place.object}];
    const std::string name = utf8_.toUtf8(area.name);
    std::optional<DataAreaValue> value;
    try {
        value = readDataAreaValue(session_, area);
    } catch (const std::exception& failure) {
        fail(outcome, place.library->folder + "/" + name, failureReason(failure), outcome_.failures);
        return;
    }
    if (!value) {
        fail(outcome, place.library->folder + "/" + name, "the data area's stored value cannot be read",
             outcome_.objectFailures);
        return;
    }
    std::string text = value->text;
    if (value->character) {
        utf8_.toUtf8InPlace(text);
        text = trimmedRight(text);
    } else {
        toPlainDecimal(text, value->decimals);
    }
    place.library->dataAreas.push_back({name, value->character ? kCharacterDataArea : kDecimalDataArea,
                                        std::to_string(value->length), std::to_string(value->decimals),
                                        text});
    outcome.path = place.library->folder + "/" + kDataAreaFile;
    outcome.rowsWritten = 1;
}

void SaveFileExtractor::writeDataAreas() {
    for (auto& [name, library] : libraries_) {
        if (library.dataAreas.empty()) {
            continue;
        }
        OutputFile out;
        if (out.open(root_, std::filesystem::path(library.folder) / kDataAreaFile)) {
            CsvWriter csv(out);
            for (const char* caption : {"name", "type", "length", "decimals", "value"}) {
                csv.field(caption);
            }
            csv.endRow();
            for (const std::vector<std::string>& row : library.dataAreas) {
                for (const std::string& cell : row) {
                    csv.field(cell);
                }
                csv.endRow();
            }
        }
        commitFile(out, library.folder + "/" + kDataAreaFile);
    }
}

void SaveFileExtractor::addColumnRows(const std::string& library, const SavedObject& file) {
    const FileFacts facts = FileFacts::of(file, utf8_, storedTexts_);
    const SqlTable table(file, utf8_, storedTexts_);
    ColumnRow row;
    row.saveFile = saveFileName_;
    row.library = library;
    row.file = trimmedRight(utf8_.toUtf8(file.name));
    for (std::size_t i = 0; i < facts.fields.size() && i < table.columns().size(); ++i) {
        const FileFacts::Field& field = facts.fields[i];
        row.position = static_cast<std::int64_t>(i) + 1;
        row.field = field.name;
        row.longName = field.longName;
        row.column = table.columns()[i].name;
        row.type = std::string(1, field.type);
        row.length = field.length;
        row.digits = field.digits;
        row.decimals = field.decimals;
        row.sqlType = table.columns()[i].type;
        row.nullCapable = field.nullCapable;
        row.defaultValue = field.defaultValue.value_or("");
        row.text = field.text;
        row.headings.clear();
        for (const std::string& heading : field.headings) {
            row.headings += (row.headings.empty() ? "" : "\n") + heading;
        }
        row.ccsid = field.ccsid;
        database_->addColumnRow(row);
    }
}

void SaveFileExtractor::writeCatalogRows() {
    try {
        database_->beginTransaction();
        for (std::size_t i = 0; i < catalog_.parts.size(); ++i) {
            const SavedLibrary& library = catalog_.parts[i].library;
            for (std::size_t j = 0; j < countOf(library.objects, library.objectCount); ++j) {
                const SavedObject& object = library.objects[j];
                CatalogRow row;
                row.saveFile = saveFileName_;
                row.library = utf8_.toUtf8(library.name);
                row.object = utf8_.toUtf8(object.name);
                row.objectType = typeCodeText(object.typeCode);
                row.typeText = utf8_.toUtf8(objectTypeText(object));
                row.attribute = utf8_.toUtf8(object.attribute);
                row.objectText =
                    nodeTexts_->utf8() ? nodeTexts_->objectText(object) : utf8_.toUtf8(object.text);
                auto found =
                    outcome_.objects.find({static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)});
                if (found != outcome_.objects.end()) {
                    row.writtenTo = found->second.path;
                    row.error = found->second.error;
                }
                database_->addCatalogRow(row);
                row.isMember = true;
                for (std::size_t k = 0; k < countOf(object.members, object.memberCount); ++k) {
                    const SavedMember& member = object.members[k];
                    row.member = utf8_.toUtf8(member.name);
                    row.memberType = utf8_.toUtf8(member.type);
                    row.memberText = nodeTexts_->utf8() ? nodeTexts_->memberText(object, member)
                                                        : utf8_.toUtf8(member.text);
                    row.recordCount = member.recordCount;
                    auto outcome =
                        outcome_.members.find({static_cast<std::int32_t>(i), static_cast<std::int32_t>(j),
                                               static_cast<std::int32_t>(k)});
                    const bool known = outcome != outcome_.members.end();
                    row.writtenTo =
                        known ? (outcome->second.table.empty() ? outcome->second.path : outcome->second.table)
                              : "";
                    row.error = known ? outcome->second.error : "";
                    database_->addCatalogRow(row);
                }
                if (object.fieldCount > 0 && !object.fields.empty()) {
                    addColumnRows(row.library, object);
                }
            }
        }
        database_->commitTransaction();
    } catch (const std::exception& failure) {
        try {
            database_->rollbackTransaction();
        } catch (const std::exception&) {
            // The failure above is the one reported.
        }
        outcome_.failures.push_back(std::string("catalog table: ") + failure.what());
    }
}

}  // namespace quelvane
