#include "savefile/VersionText.h"

#include "savefile/VersionInfo.h"

namespace quelvane {

std::string VersionText() {
    return std::string("Quelvane V") + QUELVANE_FILE_VERSION;
}

}  // namespace quelvane
