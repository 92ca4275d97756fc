#include "export/ExportSession.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "export/AutomationTextCodec.h"
#include "export/ExportFileNames.h"

namespace quelvane {

ExportSession::ExportSession(ViewSession& viewsIn, AutomationClient& automationIn, std::int32_t pcCodePageIn)
    : views(viewsIn), automation(automationIn), pcCodePage(pcCodePageIn) {}

std::string ExportSession::memberFileName(const std::string& objectName,
                                          const std::string& memberName) const {
    // Decoding comes first: in the double-byte pages a trail byte may be 0x5C or 0x7C, which only
    // as a whole character is not a separator.
    AutomationTextCodec codec(pcCodePage);
    return ExportFileNames::memberFileName(AutomationTextCodec::toUtf8(codec.decode(objectName)),
                                           AutomationTextCodec::toUtf8(codec.decode(memberName)));
}

std::string ExportSession::pcText(const std::string& fileSystemText) const {
    AutomationTextCodec codec(pcCodePage);
    return codec.encode(AutomationTextCodec::fromUtf8(fileSystemText));
}

std::optional<AutomationReference> ExportSession::startServer(const char* programId, const char* failureText,
                                                              const char* caption) const {
    try {
        return AutomationReference::create(automation, programId);
    } catch (const std::exception&) {
        views.notifier.error(failureText, caption);
        return std::nullopt;
    }
}

void ExportSession::restoreWorkingDirectory() const {
    if (!programDirectory.empty()) {
        std::error_code ignored;
        std::filesystem::current_path(programDirectory, ignored);
    }
}

}  // namespace quelvane
