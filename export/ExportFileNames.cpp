#include "export/ExportFileNames.h"

#include <cstring>

namespace quelvane {

namespace {

// Besides both separators, what Windows file systems refuse in a name.
constexpr const char* kRefused = "/\\:*?\"<>|";
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

}  // namespace

std::string ExportFileNames::replaceExtension(const std::string& path, const std::string& extension) {
    const std::size_t separator = path.rfind(kSeparator);
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t period = path.rfind('.');
    if (period == std::string::npos || period < nameStart) {
        return path + extension;
    }
    return path.substr(0, period) + extension;
}

std::string ExportFileNames::extensionOf(ExportFormat format) {
    return std::string(exportFormatEntry(format).extension);
}

std::string ExportFileNames::memberFileName(const std::string& objectName, const std::string& memberName) {
    return safeNamePart(objectName) + "_" + safeNamePart(memberName);
}

std::string ExportFileNames::safeNamePart(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirstPrintable || byte == kDelete || std::strchr(kRefused, c) != nullptr) {
            c = '_';
        }
    }
    return safe;
}

}  // namespace quelvane
