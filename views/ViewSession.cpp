#include "views/ViewSession.h"

#include "savefile/FileBlockSource.h"
#include "views/OpenedSave.h"

namespace quelvane {

ViewSession::ViewSession(const Catalog& catalogIn, EbcdicTextConverter& converterIn, Notifier& notifierIn,
                         ContentList& listIn)
    : catalog(catalogIn),
      converter(converterIn),
      notifier(notifierIn),
      list(listIn),
      openSource([](const std::string& path) { return std::make_unique<FileBlockSource>(path); }) {}

std::unique_ptr<BlockSource> ViewSession::openSaveFile() const {
    return OpenedSave::readable(openSource(catalog.path), catalog);
}

}  // namespace quelvane
