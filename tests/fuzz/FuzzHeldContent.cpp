#include "tests/fuzz/FuzzHeldContent.h"

#include <functional>
#include <memory>
#include <string>

#include "savefile/DecodingFailure.h"
#include "savefile/DetailText.h"
#include "savefile/ExpandedBlockSource.h"
#include "savefile/FileBlockSource.h"
#include "savefile/IfsStreamReader.h"
#include "savefile/NestedSave.h"
#include "savefile/SaveFileReader.h"
#include "savefile/VersionSummary.h"

namespace quelvane::test {

namespace {

using Opener = std::function<std::unique_ptr<BlockSource>()>;

// `reopen` gives the outer save as stored, afresh; the held save is read over another copy.
void readHeldSave(BlockSource& outer, const Catalog& catalog, ObjectRef ref, const Opener& reopen,
                  const std::string& path, int depth) {
    NestedSave held = NestedSave::locate(outer, catalog, ref);
    if (held.state != NestedSave::State::Found) {
        return;
    }
    Opener inner = [held, reopen] { return held.open(reopen()); };
    std::unique_ptr<BlockSource> source = inner();
    Catalog innerCatalog;
    Cp037Converter converter;
    SilentNotifier notifier;
    SaveFileReader(innerCatalog, converter, notifier).parseSaveFile(path, *source);
    saveSummaryLines(innerCatalog.header);
    for (std::size_t i = 0; depth > 1 && i < innerCatalog.parts.size(); ++i) {
        for (std::int32_t j = 0; j < innerCatalog.parts[i].library.objectCount; ++j) {
            readHeldSave(*source, innerCatalog, {static_cast<std::int32_t>(i), j}, inner, path, depth - 1);
        }
    }
}

}  // namespace

void exploreHeldContent(FuzzedFile& file, int depth) {
    FileBlockSource source(file.path);
    const Catalog& catalog = file.catalog;
    for (std::size_t i = 0; i < catalog.parts.size(); ++i) {
        const SavedLibrary& library = catalog.parts[i].library;
        for (std::int32_t j = 0;
             j < library.objectCount && j < static_cast<std::int32_t>(library.objects.size()); ++j) {
            const SavedObject& object = library.objects[static_cast<std::size_t>(j)];
            objectDetailText(object.details);
            for (const SavedMember& member : object.members) {
                memberDetailText(member);
            }
            readHeldSave(
                source, catalog, {static_cast<std::int32_t>(i), j},
                [&file] { return std::unique_ptr<BlockSource>(new FileBlockSource(file.path)); }, file.path,
                depth);
        }
    }
    if (catalog.ifs) {
        std::unique_ptr<BlockSource> expanded;
        if (catalog.layout != nullptr && catalog.layout->compressed()) {
            expanded = std::make_unique<ExpandedBlockSource>(source, catalog.layout);
        }
        IfsStreamReader reader(expanded ? static_cast<BlockSource&>(*expanded) : source);
        for (const IfsEntry& entry : catalog.ifs->entries) {
            ifsEntryText(entry);
            std::string error;
            try {
                reader.read(entry, error);
            } catch (const DecodingFailure&) {
                // A segment that cannot be expanded: the export names it; nothing more to see here.
            }
        }
    }
}

}  // namespace quelvane::test
