#pragma once

#include <filesystem>
#include <string>

#include "savefile/AtomicFile.h"
#include "savefile/BlockSource.h"

namespace quelvane {

// Writes a save file whole: every byte of a source (a save held by a save-file object, read as
// a standalone save) goes through AtomicFile, taking the target's name only once it is complete.
// A failure leaves no file behind and an existing target unchanged; an existing regular file the
// user named is replaced, a link at that name never written through.
class SaveFileWriter {
  public:
    // Empty when `target` was written, else why not.
    static std::string write(BlockSource& source, const std::filesystem::path& target);

  private:
    static bool copyAll(BlockSource& source, AtomicFile& out, std::string& why);
};

}  // namespace quelvane
