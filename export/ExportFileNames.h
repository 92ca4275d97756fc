#pragma once

#include <string>

#include "export/ExportFormat.h"

namespace quelvane {

// The output file names of the export commands.
class ExportFileNames {
  public:
    static constexpr char kSeparator = '/';

    // `path` with the extension of its file-name part replaced by `extension` (".txt"): from the
    // part's last period on, or appended when the part has none. A period in a directory name
    // does not count.
    static std::string replaceExtension(const std::string& path, const std::string& extension);

    // The extension of a format's files: ".txt", ".doc", ".xls".
    static std::string extensionOf(ExportFormat format);

    // "%s_%s" of an object and a member name, as one file-name part. Names come from the save
    // file: a separator or any character a file system cannot take in a name becomes "_", so the
    // name never leaves the directory it is joined to.
    static std::string memberFileName(const std::string& objectName, const std::string& memberName);

    // `name` with those characters replaced.
    static std::string safeNamePart(const std::string& name);
};

}  // namespace quelvane
