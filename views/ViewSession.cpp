#include "views/ViewSession.h"

#include "savefile/ExpandedBlockSource.h"
#include "savefile/FileBlockSource.h"
#include "savefile/RepairedBlockSource.h"

namespace quelvane {

ViewSession::ViewSession(const Catalog& catalogIn, EbcdicTextConverter& converterIn, Notifier& notifierIn,
                         ContentList& listIn)
    : catalog(catalogIn),
      converter(converterIn),
      notifier(notifierIn),
      list(listIn),
      openSource([](const std::string& path) { return std::make_unique<FileBlockSource>(path); }) {}

std::unique_ptr<BlockSource> ViewSession::openSaveFile() const {
    std::unique_ptr<BlockSource> stored =
        RepairedBlockSource::over(openSource(catalog.path), catalog.header.repairs);
    if (stored != nullptr && catalog.layout != nullptr && catalog.layout->compressed()) {
        return std::make_unique<ExpandedBlockSource>(std::move(stored), catalog.layout);
    }
    return stored;
}

}  // namespace quelvane
