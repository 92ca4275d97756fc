#include "extract/CatalogJson.h"

#include <algorithm>
#include <filesystem>

#include "conversion/StoredCcsidText.h"
#include "extract/DescriptionJson.h"
#include "extract/FileDescriptionJson.h"
#include "extract/JsonWriter.h"
#include "savefile/CatalogTree.h"

namespace quelvane {

namespace {

constexpr std::int32_t kRiscHeaderSize = 4096;
constexpr std::uint8_t kSavobj = 1;

template <typename T>
std::size_t countOf(const std::vector<T>& items, std::int32_t stated) {
    return std::min(items.size(), static_cast<std::size_t>(std::max(stated, 0)));
}

// "2020-08-17T22:31:41", ISO 8601.
std::string isoTimestamp(const SavedTimestamp& timestamp) {
    std::string text = timestamp.text();
    std::replace(text.begin(), text.end(), ' ', 'T');
    return text;
}

class Writer {
  public:
    Writer(const Catalog& catalog, PcTextToUtf8& utf8, const ExtractOutcome* outcome, std::int32_t hostPage,
           CatalogTexts* nodeTexts)
        : catalog_(catalog), utf8_(utf8), outcome_(outcome), texts_(hostPage), nodeTexts_(nodeTexts) {}

    std::string run() {
        json_.beginObject();
        // The file's name is this machine's (UTF-8), not a text of the save's code pages.
        json_.member("saveFile", std::filesystem::path(catalog_.path).filename().string());
        writeSummary();
        json_.key("parts");
        json_.beginArray();
        for (std::size_t i = 0; i < catalog_.parts.size(); ++i) {
            writePart(static_cast<std::int32_t>(i));
        }
        json_.endArray();
        if (catalog_.ifs) {
            writeIfs(*catalog_.ifs);
        }
        if (outcome_ != nullptr) {
            writeNotExtracted();
            if (!outcome_->schemaFile.empty()) {
                json_.member("schema", outcome_->schemaFile);
            }
            json_.member("membersWritten", outcome_->membersWritten);
            json_.member("cancelled", outcome_->cancelled);
            if (!outcome_->incomplete.empty()) {
                json_.member("incomplete", outcome_->incomplete);
            }
        }
        json_.endObject();
        return json_.text();
    }

  private:
    std::string objectText(const SavedObject& object) {
        if (nodeTexts_ == nullptr || !nodeTexts_->utf8()) {
            return utf8_.toUtf8(object.text);
        }
        return nodeTexts_->objectText(object);
    }
    std::string memberText(const SavedObject& file, const SavedMember& member) {
        if (nodeTexts_ == nullptr || !nodeTexts_->utf8()) {
            return utf8_.toUtf8(member.text);
        }
        return nodeTexts_->memberText(file, member);
    }

    void optionalText(std::string_view name, const std::optional<std::string>& text) {
        if (text) {
            json_.member(name, utf8_.toUtf8(*text));
        }
    }
    void optionalTime(std::string_view name, const std::optional<SavedTimestamp>& timestamp) {
        if (timestamp) {
            json_.member(name, isoTimestamp(*timestamp));
        }
    }

    void writeSaveDetails(const SaveDetails& details) {
        optionalTime("savedAt", details.savedAt);
        optionalTime("writtenAt", details.writtenAt);
        optionalText("serialNumber", details.serialNumber);
        optionalText("systemName", details.systemName);
        optionalText("savingRelease", details.savingRelease);
        optionalText("targetRelease", details.targetRelease);
    }

    void writeObjectDetails(const ObjectDetails& details) {
        optionalText("owner", details.owner);
        if (details.size) {
            json_.member("size", *details.size);
        }
        optionalText("licensedProgram", details.licensedProgram);
        optionalText("release", details.release);
        optionalTime("created", details.created);
        optionalTime("sourceChanged", details.sourceChanged);
        optionalText("sourceFile", details.sourceFile);
        optionalText("sourceLibrary", details.sourceLibrary);
        optionalText("sourceMember", details.sourceMember);
        optionalText("creator", details.creator);
        optionalText("createdOnSystem", details.createdOnSystem);
    }

    void writeSummary() {
        const SaveFileHeader& header = catalog_.header;
        json_.key("save");
        json_.beginObject();
        json_.member("systemText", utf8_.toUtf8(header.systemText));
        json_.member("saveCommand", catalog_.ifs                    ? "SAV"
                                    : header.saveCommand == kSavobj ? "SAVOBJ"
                                                                    : "SAVLIB");
        json_.member("machine", header.headerSize == kRiscHeaderSize ? "RISC" : "CISC");
        json_.member("headerSize", header.headerSize);
        json_.member("blockCount", header.blockCount);
        json_.member("dataStorage", utf8_.toUtf8(header.dataStorage));
        writeSaveDetails(header.details);
        if (!header.damageNotes.empty()) {
            json_.key("damageNotes");
            json_.beginArray();
            for (const std::string& note : header.damageNotes) {
                json_.value(utf8_.toUtf8(note));
            }
            json_.endArray();
        }
        json_.endObject();
    }

    void writeOutcome(const ItemOutcome& outcome) {
        if (!outcome.path.empty()) {
            json_.member("path", outcome.path);
        }
        if (!outcome.table.empty()) {
            json_.member("table", outcome.table);
        }
        if (!outcome.error.empty()) {
            json_.member("error", outcome.error);
        } else {
            json_.member(outcome.source ? "linesWritten" : "rowsWritten", outcome.rowsWritten);
        }
    }

    void writeFields(const SavedObject& object) {
        json_.member("recordLength", object.recordLength);
        json_.key("fields");
        json_.beginArray();
        for (std::size_t f = 0; f < countOf(object.fields, object.fieldCount); ++f) {
            const SavedField& field = object.fields[f];
            json_.beginObject();
            json_.member("name", utf8_.toUtf8(field.name));
            json_.member("type", typeCodeText(field.typeCode));
            json_.member("length", field.length);
            json_.member("digits", field.digits);
            json_.member("decimals", field.decimals);
            json_.endObject();
        }
        json_.endArray();
        if (object.description.read) {
            FileDescriptionJson::write(json_, object, texts_);
        }
    }

    void writeMembers(std::int32_t part, std::int32_t index, const SavedObject& object) {
        json_.key("members");
        json_.beginArray();
        for (std::size_t k = 0; k < countOf(object.members, object.memberCount); ++k) {
            const SavedMember& member = object.members[k];
            json_.beginObject();
            json_.member("name", utf8_.toUtf8(member.name));
            json_.member("type", utf8_.toUtf8(member.type));
            json_.member("text", memberText(object, member));
            json_.member("recordCount", member.recordCount);
            optionalTime("created", member.created);
            optionalTime("changed", member.changed);
            if (outcome_ != nullptr) {
                auto found = outcome_->members.find({part, index, static_cast<std::int32_t>(k)});
                if (found != outcome_->members.end()) {
                    json_.member("kind", found->second.source ? "source" : "data");
                    writeOutcome(found->second);
                }
            }
            json_.endObject();
        }
        json_.endArray();
    }

    void writePart(std::int32_t part) {
        const SavedPart& saved = catalog_.parts[static_cast<std::size_t>(part)];
        json_.beginObject();
        json_.member("index", part);
        json_.member("library", utf8_.toUtf8(saved.library.name));
        json_.key("objects");
        json_.beginArray();
        const std::vector<SavedObject>& objects = saved.library.objects;
        for (std::size_t j = 0; j < countOf(objects, saved.library.objectCount); ++j) {
            const SavedObject& object = objects[j];
            const auto index = static_cast<std::int32_t>(j);
            json_.beginObject();
            json_.member("name", utf8_.toUtf8(object.name));
            json_.member("type", typeCodeText(object.typeCode));
            json_.member("typeText", utf8_.toUtf8(objectTypeText(object)));
            json_.member("attribute", utf8_.toUtf8(object.attribute));
            json_.member("text", objectText(object));
            writeObjectDetails(object.details);
            if (outcome_ != nullptr) {
                auto found = outcome_->objects.find({part, index});
                if (found != outcome_->objects.end()) {
                    writeOutcome(found->second);
                }
                auto table = outcome_->schemaTables.find({part, index});
                if (table != outcome_->schemaTables.end()) {
                    json_.member("schemaTable", table->second);
                }
                auto described = outcome_->descriptions.find({part, index});
                if (described != outcome_->descriptions.end() && described->second.described()) {
                    auto formats = outcome_->logicalFormats.find({part, index});
                    const std::vector<SavedObject> none;
                    const DescriptionJson::FileFormats read{
                        formats != outcome_->logicalFormats.end() ? formats->second : none, texts_};
                    DescriptionJson::writeDescription(json_, object, described->second, utf8_, &read);
                    auto failed = outcome_->logicalFormatFailures.find({part, index});
                    if (failed != outcome_->logicalFormatFailures.end()) {
                        json_.member("fieldsError", failed->second);
                    }
                }
            }
            if (object.fieldCount > 0) {
                writeFields(object);
            }
            if (!object.members.empty() && object.memberCount > 0) {
                writeMembers(part, index, object);
            }
            json_.endObject();
        }
        json_.endArray();
        json_.endObject();
    }

    // Paths are UTF-8 already; owners and type texts are in the PC code page.
    void writeIfsEntry(const IfsEntry& entry, std::size_t index) {
        json_.beginObject();
        json_.member("path", entry.path);
        json_.member("type", utf8_.toUtf8(entry.typeText));
        if (entry.kind == IfsEntry::Kind::StreamFile) {
            json_.member("size", static_cast<std::int64_t>(entry.size));
        }
        optionalText("owner", entry.owner);
        if (entry.ccsid) {
            json_.member("ccsid", static_cast<std::int64_t>(*entry.ccsid));
        }
        optionalTime("modified", entry.modified);
        optionalTime("accessed", entry.accessed);
        optionalTime("changed", entry.changed);
        optionalTime("saved", entry.saved);
        if (!entry.problem.empty()) {
            json_.member("problem", entry.problem);
        }
        if (outcome_ != nullptr) {
            const std::string* file =
                index < outcome_->entryFiles.size() ? &outcome_->entryFiles[index] : nullptr;
            if (file != nullptr && !file->empty()) {
                json_.member("file", *file);
            } else {
                json_.member("error", "not written");
            }
        }
        json_.endObject();
    }

    void writeIfs(const IfsCatalog& ifs) {
        json_.key("integratedFileSystem");
        json_.beginObject();
        optionalText("release", ifs.release);
        optionalText("targetRelease", ifs.targetRelease);
        json_.key("entries");
        json_.beginArray();
        for (std::size_t i = 0; i < ifs.entries.size(); ++i) {
            writeIfsEntry(ifs.entries[i], i);
        }
        json_.endArray();
        json_.key("problems");
        json_.beginArray();
        for (const std::string& problem : ifs.problems) {
            json_.value(problem);
        }
        json_.endArray();
        json_.endObject();
    }

    void writeNotExtracted() {
        json_.key("notExtracted");
        json_.beginArray();
        for (const auto& [key, outcome] : outcome_->members) {
            if (!outcome.error.empty()) {
                writeItem(key[0], key[1], &key[2], outcome);
            }
        }
        for (const auto& [key, outcome] : outcome_->objects) {
            if (!outcome.error.empty()) {
                writeItem(key[0], key[1], nullptr, outcome);
            }
        }
        json_.endArray();
    }

    void writeItem(std::int32_t part, std::int32_t object, const std::int32_t* member,
                   const ItemOutcome& outcome) {
        const SavedObject& saved = catalog_.objectAt(ObjectRef{part, object});
        json_.beginObject();
        json_.member("part", part);
        json_.member("object", utf8_.toUtf8(saved.name));
        json_.member("typeText", utf8_.toUtf8(objectTypeText(saved)));
        if (member != nullptr) {
            json_.member("member", utf8_.toUtf8(saved.members.at(static_cast<std::size_t>(*member)).name));
        }
        json_.member("reason", outcome.error);
        json_.member("fault", outcome.fault);
        json_.endObject();
    }

    const Catalog& catalog_;
    PcTextToUtf8& utf8_;
    const ExtractOutcome* outcome_;
    StoredCcsidText texts_;
    CatalogTexts* nodeTexts_;
    JsonWriter json_;
};

}  // namespace

std::string CatalogJson::text(const Catalog& catalog, PcTextToUtf8& utf8, const ExtractOutcome* outcome,
                              std::int32_t hostPage, CatalogTexts* texts) {
    return Writer(catalog, utf8, outcome, hostPage, texts).run();
}

}  // namespace quelvane
