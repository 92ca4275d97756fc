#include "views/ObjectDescriptionView.h"

#include "describe/CommandSource.h"
#include "describe/LogicalFileReader.h"
#include "describe/MessageFileReader.h"
#include "describe/ObjectDescriber.h"
#include "describe/ProgramReader.h"

namespace quelvane {

std::vector<std::string> descriptionLines(const ObjectDescription& description,
                                          const std::string& objectName) {
    if (description.command) {
        return CommandSource::lines(*description.command, objectName);
    }
    if (description.messages) {
        return MessageFileReader::addMessageStatements(*description.messages, objectName);
    }
    if (description.program) {
        return ProgramReader::lines(*description.program);
    }
    if (description.logicalFile) {
        return LogicalFileReader::lines(*description.logicalFile);
    }
    return {};
}

void showObjectDescription(ViewSession& session, const SavedObject& object) {
    std::unique_ptr<BlockSource> source = session.openSaveFile();
    ObjectDescription description =
        ObjectDescriber::describe(*source, session.catalog, object, session.converter);
    // An object saved without its data shows nothing, as before its data was read.
    if (description.dataMissing) {
        return;
    }
    ContentList& list = session.list;
    list.addColumn("Description", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Header);
    // The lines are source text laid out in columns, as a source member is.
    list.setColumnPitch(0, ContentList::Pitch::Fixed);
    if (!description.described()) {
        list.addRow(description.failure);
        return;
    }
    for (const std::string& line : descriptionLines(description, object.name)) {
        list.addRow(line);
    }
}

}  // namespace quelvane
