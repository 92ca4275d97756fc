#include "views/ViewSession.h"

#include "savefile/FailureReason.h"
#include "savefile/FileBlockSource.h"
#include "savefile/SegmentExpansionFailure.h"
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

void ViewSession::keepFailureCause(const std::exception& failure) {
    const bool saidAlready = dynamic_cast<const SegmentExpansionFailure*>(&failure) != nullptr;
    failureCause = saidAlready ? std::string() : failureReason(failure);
}

}  // namespace quelvane
