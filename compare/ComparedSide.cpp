#include "compare/ComparedSide.h"

#include <stdexcept>

#include "views/OpenedSave.h"

namespace quelvane {

ComparedSide::ComparedSide(const ComparedSave& save)
    : save_(save),
      texts_(*save.catalog, save.hostPage, save.pcPage),
      utf8_(save.pcPage),
      fields_(save.hostPage, *save.converter),
      stored_(save.hostPage) {}

std::unique_ptr<BlockSource> ComparedSide::open() const {
    std::unique_ptr<BlockSource> stored = openStored();
    if (stored == nullptr || !stored->isOpen()) {
        throw std::runtime_error("the save file cannot be opened again");
    }
    std::unique_ptr<BlockSource> source = OpenedSave::readable(std::move(stored), *save_.catalog);
    if (source == nullptr || !source->isOpen()) {
        throw std::runtime_error("the save file cannot be opened again");
    }
    return source;
}

}  // namespace quelvane
