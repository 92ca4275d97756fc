#include "extract/DescriptionJson.h"

#include <string>

#include "describe/CommandSource.h"
#include "extract/FileDescriptionJson.h"
#include "savefile/CatalogTree.h"

namespace quelvane {

namespace {

class Writer {
  public:
    Writer(JsonWriter& json, PcTextToUtf8& utf8) : json_(json), utf8_(utf8) {}

    void text(const char* key, const std::string& value) {
        if (!value.empty()) {
            json_.member(key, utf8_.toUtf8(value));
        }
    }

    void name(const char* key, const QualifiedObjectName& value) {
        if (value.empty() && value.library.empty()) {
            return;
        }
        json_.key(key);
        json_.beginObject();
        text("name", value.name);
        text("library", value.library);
        json_.endObject();
    }

    void texts(const char* key, const std::vector<std::string>& values) {
        if (values.empty()) {
            return;
        }
        json_.key(key);
        json_.beginArray();
        for (const std::string& value : values) {
            json_.value(utf8_.toUtf8(value));
        }
        json_.endArray();
    }

    void mappings(const char* key, const std::vector<CommandValueMapping>& values) {
        if (values.empty()) {
            return;
        }
        json_.key(key);
        json_.beginArray();
        for (const CommandValueMapping& mapping : values) {
            json_.beginObject();
            text("from", mapping.from);
            text("to", mapping.to);
            json_.endObject();
        }
        json_.endArray();
    }

    void element(const CommandElement& entry) {
        json_.beginObject();
        text("keyword", entry.keyword);
        if (entry.group == CommandElement::Group::None) {
            json_.member("type", entry.type ? *entry.type : std::string("not decoded"));
            json_.member("length", entry.length);
        }
        if (entry.defaultValue) {
            json_.member("default", utf8_.toUtf8(*entry.defaultValue));
        }
        text("prompt", entry.prompt);
        json_.member("min", entry.minimum);
        json_.member("max", entry.maximum);
        json_.member("restricted", entry.restricted);
        texts("values", entry.values);
        mappings("specialValues", entry.specialValues);
        mappings("singleValues", entry.singleValues);
        if (!entry.parts.empty()) {
            json_.key(entry.group == CommandElement::Group::Qualifiers ? "qualifiers" : "elements");
            json_.beginArray();
            for (const CommandElement& part : entry.parts) {
                element(part);
            }
            json_.endArray();
        }
        json_.endObject();
    }

    void command(const CommandDefinition& command, const std::string& objectName) {
        json_.key("command");
        json_.beginObject();
        name("program", command.program);
        text("prompt", command.prompt);
        name("validityChecker", command.validityChecker);
        name("messageFile", command.messageFile);
        name("helpPanelGroup", command.helpPanelGroup);
        json_.key("parameters");
        json_.beginArray();
        for (const CommandElement& parameter : command.parameters) {
            element(parameter);
        }
        json_.endArray();
        texts("source", CommandSource::lines(command, objectName));
        json_.endObject();
    }

    void messages(const MessageFileContents& contents) {
        json_.key("messages");
        json_.beginArray();
        for (const MessageDescription& message : contents.messages) {
            json_.beginObject();
            text("id", message.id);
            if (message.text) {
                json_.member("text", utf8_.toUtf8(*message.text));
            }
            json_.endObject();
        }
        json_.endArray();
    }

    void program(const ProgramDescription& program) {
        static const char* const kKinds[] = {"", "OPM", "ILE", "MODULE"};
        json_.key("program");
        json_.beginObject();
        text("kind", kKinds[static_cast<int>(program.kind)]);
        if (program.kind == ProgramDescription::Kind::Ile) {
            json_.key("modules");
            json_.beginArray();
            for (const BoundModule& m : program.modules) {
                json_.beginObject();
                text("name", m.name);
                text("library", m.library);
                text("attribute", m.attribute);
                text("compiler", m.compiler);
                text("release", m.releaseFor);
                if (m.created) {
                    json_.member("created", m.created->text());
                }
                text("sourceFile", m.sourceFile);
                text("sourceLibrary", m.sourceLibrary);
                text("sourceMember", m.sourceMember);
                if (m.sourceChanged) {
                    json_.member("sourceChanged", m.sourceChanged->text());
                }
                json_.endObject();
            }
            json_.endArray();
            json_.key("serviceProgramsBound");
            json_.beginArray();
            for (const QualifiedObjectName& s : program.serviceProgramsBound) {
                json_.beginObject();
                text("name", s.name);
                text("library", s.library);
                json_.endObject();
            }
            json_.endArray();
        }
        json_.endObject();
    }

    void logicalFile(const LogicalFileDescription& file, const DescriptionJson::FileFormats* read) {
        json_.key("file");
        json_.beginObject();
        if (read != nullptr) {
            FileDescriptionJson::writeFileMembers(json_, read->formats.front());
        } else {
            json_.member("unique", file.unique);
        }
        json_.key("formats");
        json_.beginArray();
        for (std::size_t i = 0; i < file.formats.size(); ++i) {
            const LogicalFileFormat& format = file.formats[i];
            json_.beginObject();
            if (read != nullptr && i < read->formats.size()) {
                FileDescriptionJson::writeFormatMembers(json_, read->formats[i], read->texts);
            } else {
                text("name", format.name);
            }
            json_.key("keys");
            json_.beginArray();
            for (const LogicalFileKey& key : format.keys) {
                json_.beginObject();
                json_.member("field", key.field.empty() ? std::string("*NONE") : utf8_.toUtf8(key.field));
                json_.member("descending", key.descending);
                json_.member("absval", key.absoluteValue);
                json_.member("digit", key.digit);
                json_.endObject();
            }
            json_.endArray();
            json_.key("basedOn");
            json_.beginArray();
            for (const LogicalFileBasedOn& on : format.basedOn) {
                json_.beginObject();
                text("file", on.file);
                text("library", on.library);
                text("format", on.format);
                json_.endObject();
            }
            json_.endArray();
            if (!format.selectOmit.empty()) {
                json_.key("selectOmit");
                json_.beginArray();
                for (const SelectOmitRule& rule : format.selectOmit) {
                    json_.beginObject();
                    json_.member("rule", std::string(1, rule.rule));
                    text("field", rule.field);
                    json_.member("test", utf8_.toUtf8(rule.test));
                    texts("values", rule.values);
                    json_.endObject();
                }
                json_.endArray();
            }
            json_.endObject();
        }
        json_.endArray();
        text("sqlText", file.sqlText);
        text("indexName", file.indexName);
        json_.endObject();
    }

  private:
    JsonWriter& json_;
    PcTextToUtf8& utf8_;
};

}  // namespace

void DescriptionJson::writeObject(JsonWriter& json, const SavedObject& object, PcTextToUtf8& utf8) {
    Writer writer(json, utf8);
    json.key("object");
    json.beginObject();
    writer.text("name", object.name);
    std::string type = objectTypeText(object);
    json.member("type", type == " " ? typeCodeText(object.typeCode) : utf8.toUtf8(type));
    writer.text("attribute", object.attribute);
    writer.text("text", object.text);
    json.endObject();
}

void DescriptionJson::writeDescription(JsonWriter& json, const SavedObject& object,
                                       const ObjectDescription& description, PcTextToUtf8& utf8,
                                       const FileFormats* formats) {
    Writer writer(json, utf8);
    if (description.command) {
        writer.command(*description.command, object.name);
    }
    if (description.messages) {
        writer.messages(*description.messages);
    }
    if (description.program) {
        writer.program(*description.program);
    }
    if (description.logicalFile) {
        writer.logicalFile(*description.logicalFile,
                           formats != nullptr && !formats->formats.empty() ? formats : nullptr);
    }
    writer.text("error", description.failure);
}

}  // namespace quelvane
