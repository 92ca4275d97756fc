#include "export/ExportSession.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include <unicode/ustring.h>

#include "export/AutomationTextCodec.h"

namespace quelvane {

namespace {

std::u16string fromUtf8(const std::string& text) {
    std::u16string wide(text.size(), u'\0');
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(wide.data()), static_cast<std::int32_t>(wide.size()),
                         &length, text.data(), static_cast<std::int32_t>(text.size()), 0xFFFD, nullptr,
                         &status);
    wide.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return wide;
}

}  // namespace

ExportSession::ExportSession(ViewSession& viewsIn, AutomationClient& automationIn, std::int32_t pcCodePageIn)
    : views(viewsIn), automation(automationIn), pcCodePage(pcCodePageIn) {}

std::string ExportSession::fileSystemPath(const std::string& pcPath) const {
    AutomationTextCodec codec(pcCodePage);
    return AutomationTextCodec::toUtf8(codec.decode(pcPath));
}

std::string ExportSession::pcPath(const std::string& fileSystemPath) const {
    AutomationTextCodec codec(pcCodePage);
    return codec.encode(fromUtf8(fileSystemPath));
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
