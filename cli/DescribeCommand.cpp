#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "cli/NodePath.h"
#include "describe/CommandSource.h"
#include "describe/HexDump.h"
#include "describe/LogicalFileFields.h"
#include "describe/LogicalFileReader.h"
#include "describe/MessageFileReader.h"
#include "describe/ObjectData.h"
#include "describe/ObjectDescriber.h"
#include "describe/ProgramReader.h"
#include "extract/DescriptionJson.h"
#include "extract/FileDescriptionJson.h"
#include "extract/JsonWriter.h"
#include "savefile/CatalogTree.h"
#include "savefile/FailureReason.h"
#include "views/MemoryContentList.h"

namespace quelvane::cli {

namespace {

constexpr int kExitNotDescribed = 3;
constexpr int kObjectLevel = 2;
constexpr std::int64_t kDumpedByDefault = 4096;

void printCommand(CliSession& session, const SavedObject& object, const CommandDefinition& command) {
    auto line = [&](const char* caption, const std::string& value) {
        if (!value.empty()) {
            session.writeLine(std::string(caption) + value);
        }
    };
    line("Processing program: ", CommandSource::qualifiedText(command.program));
    line("Validity checker: ", CommandSource::qualifiedText(command.validityChecker));
    line("Message file: ", CommandSource::qualifiedText(command.messageFile));
    line("Help panel group: ", CommandSource::qualifiedText(command.helpPanelGroup));
    line("Help identifier: ", command.helpIdentifier);
    session.writeLine("");
    for (const std::string& text : CommandSource::lines(command, object.name)) {
        session.writeLine(text);
    }
}

// Takes "NAME VALUE" out of `arguments`: the value as a number, `fallback` when absent,
// nothing when the value is no number.
std::optional<std::int64_t> takeNumber(std::vector<std::string>& arguments, const char* name,
                                       std::int64_t fallback) {
    auto found = std::find(arguments.begin(), arguments.end(), name);
    if (found == arguments.end()) {
        return fallback;
    }
    if (found + 1 == arguments.end()) {
        return std::nullopt;
    }
    std::string value = *(found + 1);
    arguments.erase(found, found + 2);
    if (value.empty() || value.size() > 15 || value.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoll(value);
}

int printBytes(CliSession& session, BlockSource& source, const SavedObject& object, std::int64_t from,
               std::int64_t count) {
    std::string why;
    std::optional<ObjectData> data = ObjectData::locate(source, session.catalog(), object, why);
    if (!data) {
        std::fprintf(stderr, "quelvane-cli: %s: %s\n", object.name.c_str(), why.c_str());
        return kExitNotDescribed;
    }
    session.writeLine(object.name + ": " + std::to_string(data->size()) + " bytes of stored data" +
                      (data->truncated() ? " (the file ends before the rest)" : ""));
    for (const std::string& line : HexDump::page(*data, from, count, session.conversion())) {
        session.writeLine(line);
    }
    return kExitSuccess;
}

// A physical file's field and file description, texts read in their stored CCSIDs.
int printFileJson(CliSession& session, const SavedObject& object) {
    PcTextToUtf8 utf8(session.conversion().PcCodePage);
    StoredCcsidText texts(session.conversion().EbcdicCodePage);
    JsonWriter writer;
    writer.beginObject();
    DescriptionJson::writeObject(writer, object, utf8);
    if (object.description.read) {
        FileDescriptionJson::write(writer, object, texts);
    } else {
        writer.member("error", object.description.failure.empty()
                                   ? std::string("the file's description was not read")
                                   : object.description.failure);
    }
    writer.endObject();
    std::printf("%s\n", writer.text().c_str());
    return object.description.read ? kExitSuccess : kExitNotDescribed;
}

// A logical file's record formats; nothing, with `why`, when they cannot be read.
std::optional<std::vector<SavedObject>> logicalFileFormats(CliSession& session, BlockSource& source,
                                                           const SavedPart& part, const SavedObject& object,
                                                           std::string& why) {
    try {
        return LogicalFileFields::readFormats(source, part, object, session.conversion());
    } catch (const std::exception& failure) {
        why = failureReason(failure);
        return std::nullopt;
    }
}

}  // namespace

// What an object's stored data says: a command's definition as source, a message file's
// messages, a program's modules; with --json, as one JSON object.
int runDescribeCommand(const std::vector<std::string>& arguments) {
    CliSession session;
    std::vector<std::string> rest = arguments;
    const bool json = std::erase(rest, "--json") > 0;
    const bool bytes = std::erase(rest, "--bytes") > 0;
    std::optional<std::int64_t> from = takeNumber(rest, "--from", 0);
    std::optional<std::int64_t> count = takeNumber(rest, "--count", kDumpedByDefault);
    if (!from || !count) {
        std::fprintf(stderr, "usage: quelvane-cli %s\n", kDescribeUsage);
        return kExitUsage;
    }
    int status = session.start(rest, 2, 2, kDescribeUsage);
    if (status != kExitSuccess) {
        return status;
    }
    std::optional<NodePosition> node = resolveNode(buildCatalogTree(session.catalog()), rest[1]);
    const SavedObject* object = nullptr;
    if (node && node->level == kObjectLevel) {
        object = session.catalog().findObject({node->parentIndex, node->index});
    }
    if (object == nullptr) {
        std::fprintf(stderr, "quelvane-cli: \"%s\" names no object in %s\n", rest[1].c_str(),
                     rest[0].c_str());
        return kExitUsage;
    }
    MemoryContentList unused;
    ViewSession views(session.catalog(), session.conversion(), session.notifier(), unused);
    views.openSource = session.sourceOpener();
    std::unique_ptr<BlockSource> source = views.openSaveFile();
    if (bytes) {
        return printBytes(session, *source, *object, *from, *count);
    }
    if (json && object->attribute == "PF") {
        return printFileJson(session, *object);
    }
    ObjectDescription description =
        ObjectDescriber::describe(*source, session.catalog(), *object, session.conversion());
    if (json) {
        PcTextToUtf8 utf8(session.conversion().PcCodePage);
        JsonWriter writer;
        writer.beginObject();
        DescriptionJson::writeObject(writer, *object, utf8);
        std::string why;
        std::optional<std::vector<SavedObject>> formats;
        if (description.logicalFile) {
            const SavedPart& part = session.catalog().parts[static_cast<std::size_t>(node->parentIndex)];
            formats = logicalFileFormats(session, *source, part, *object, why);
        }
        StoredCcsidText texts(session.conversion().EbcdicCodePage);
        const std::vector<SavedObject> none;
        const DescriptionJson::FileFormats read{formats ? *formats : none, texts};
        DescriptionJson::writeDescription(writer, *object, description, utf8, &read);
        if (!why.empty()) {
            writer.member("fieldsError", why);
        }
        writer.endObject();
        std::printf("%s\n", writer.text().c_str());
        return description.failure.empty() && why.empty() ? kExitSuccess : kExitNotDescribed;
    }
    std::string type = objectTypeText(*object);
    session.writeLine(object->name + " (" + (type == " " ? typeCodeText(object->typeCode) : type) + ")" +
                      (object->text.empty() ? "" : ": " + object->text));
    if (!description.failure.empty()) {
        std::fprintf(stderr, "quelvane-cli: %s\n", description.failure.c_str());
        return kExitNotDescribed;
    }
    if (description.command) {
        printCommand(session, *object, *description.command);
    }
    if (description.logicalFile) {
        for (const std::string& line : LogicalFileReader::lines(*description.logicalFile)) {
            session.writeLine(line);
        }
    }
    if (description.program) {
        for (const std::string& line : ProgramReader::lines(*description.program)) {
            session.writeLine(line);
        }
    }
    if (description.messages) {
        for (const std::string& line :
             MessageFileReader::addMessageStatements(*description.messages, object->name)) {
            session.writeLine(line);
        }
    }
    return kExitSuccess;
}

}  // namespace quelvane::cli
