#include "views/OpenedSave.h"

#include "savefile/ExpandedBlockSource.h"
#include "savefile/IfsTree.h"
#include "savefile/RelocatedTailSource.h"
#include "savefile/ReportingBlockSource.h"
#include "savefile/SaveFileReader.h"

namespace quelvane {

OpenedSave::Outcome OpenedSave::open(StoredOpener stored, const std::string& path,
                                     EbcdicTextConverter& converter, Notifier& notifier,
                                     ProgressReporter* progress) {
    return read(std::move(stored), path, path, converter, notifier, progress);
}

OpenedSave::Outcome OpenedSave::read(StoredOpener stored, const std::string& path, const std::string& shown,
                                     EbcdicTextConverter& converter, Notifier& notifier,
                                     ProgressReporter* progress) {
    stored_ = std::move(stored);
    catalog_ = Catalog{};
    catalog_.path = path;
    report_ = ParseReport{};
    const std::unique_ptr<BlockSource> source = stored_ ? stored_() : nullptr;
    if (source == nullptr) {
        return Outcome::CannotOpen;
    }
    // Bytes that cannot be had are still given to the parse, which says the file is not a save.
    SaveFileReader reader(catalog_, converter, notifier);
    if (progress != nullptr) {
        ReportingBlockSource watched(*source, *progress);
        try {
            report_ = reader.parseSaveFile(shown, watched);
        } catch (const ReadCancelled&) {
            // The first block is read outside the guard of every reader step.
        }
        if (progress->cancelled()) {
            stored_ = nullptr;
            catalog_ = Catalog{};
            catalog_.path = path;
            report_ = ParseReport{};
            return Outcome::Cancelled;
        }
    } else {
        report_ = reader.parseSaveFile(shown, *source);
    }
    catalog_.path = path;
    if (!report_.accepted) {
        return source->isOpen() ? Outcome::NotSaveFile : Outcome::CannotOpen;
    }
    if (catalog_.ifs) {
        catalog_.ifs->tree = IfsTree::of(*catalog_.ifs);
    }
    return Outcome::Opened;
}

NestedSave OpenedSave::locateHeld(ObjectRef ref) const {
    std::unique_ptr<BlockSource> stored = openStored();
    if (stored == nullptr) {
        return NestedSave{};
    }
    std::unique_ptr<BlockSource> outer =
        RelocatedTailSource::meant(std::move(stored), catalog_.header.repairs);
    return NestedSave::locate(*outer, catalog_, ref);
}

OpenedSave::StoredOpener OpenedSave::heldOpener(const NestedSave& where) const {
    return [outer = stored_, repairs = catalog_.header.repairs, where]() -> std::unique_ptr<BlockSource> {
        std::unique_ptr<BlockSource> stored = outer ? outer() : nullptr;
        if (stored == nullptr) {
            return nullptr;
        }
        return where.open(RelocatedTailSource::meant(std::move(stored), repairs));
    };
}

OpenedSave::Outcome OpenedSave::descend(const NestedSave& where, const std::string& shown,
                                        EbcdicTextConverter& converter, Notifier& notifier) {
    const std::string path = catalog_.path;
    return read(heldOpener(where), path, shown, converter, notifier);
}

std::unique_ptr<BlockSource> OpenedSave::openStored() const {
    return stored_ ? stored_() : nullptr;
}

std::unique_ptr<BlockSource> OpenedSave::openReadable() const {
    return readable(openStored(), catalog_);
}

ViewSession::SourceOpener OpenedSave::sourceOpener() const {
    return [stored = stored_](const std::string&) { return stored ? stored() : nullptr; };
}

std::unique_ptr<BlockSource> OpenedSave::readable(std::unique_ptr<BlockSource> stored,
                                                  const Catalog& catalog) {
    if (stored == nullptr) {
        return nullptr;
    }
    std::unique_ptr<BlockSource> meant =
        RelocatedTailSource::meant(std::move(stored), catalog.header.repairs);
    if (catalog.layout != nullptr && catalog.layout->compressed()) {
        return std::make_unique<ExpandedBlockSource>(std::move(meant), catalog.layout);
    }
    return meant;
}

}  // namespace quelvane
