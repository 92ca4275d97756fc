#include "tests/fuzz/FuzzHeldContent.h"

#include <memory>
#include <string>

#include "savefile/DetailText.h"
#include "savefile/FileBlockSource.h"
#include "savefile/IfsStreamReader.h"
#include "savefile/NestedSave.h"
#include "savefile/SaveFileReader.h"
#include "savefile/VersionSummary.h"

namespace quelvane::test {

namespace {

void readHeldSave(BlockSource& outer, const Catalog& catalog, std::int32_t part, std::int32_t object,
                  std::unique_ptr<BlockSource> (*reopen)(const std::string&), const std::string& path,
                  int depth) {
    NestedSave held = NestedSave::locate(outer, catalog, part, object);
    if (held.state != NestedSave::State::Found) {
        return;
    }
    std::unique_ptr<BlockSource> source = held.open(reopen(path));
    Catalog inner;
    Cp037Converter converter;
    SilentNotifier notifier;
    SaveFileReader(inner, converter, notifier).parseSaveFile(path, *source);
    saveSummaryLines(inner.header);
    for (std::size_t i = 0; depth > 1 && i < inner.parts.size(); ++i) {
        for (std::int32_t j = 0; j < inner.parts[i].library.objectCount; ++j) {
            readHeldSave(*source, inner, static_cast<std::int32_t>(i), j, reopen, path, depth - 1);
        }
    }
}

std::unique_ptr<BlockSource> openFile(const std::string& path) {
    return std::make_unique<FileBlockSource>(path);
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
            readHeldSave(source, catalog, static_cast<std::int32_t>(i), j, openFile, file.path, depth);
        }
    }
    if (catalog.ifs) {
        IfsStreamReader reader(source);
        for (const IfsEntry& entry : catalog.ifs->entries) {
            ifsEntryText(entry);
            std::string error;
            reader.read(entry, error);
        }
    }
}

}  // namespace quelvane::test
