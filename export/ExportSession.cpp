#include "export/ExportSession.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "conversion/PcPageWideText.h"
#include "conversion/UnknownPcPage.h"
#include "export/ExportFileNames.h"

namespace quelvane {

namespace {

void noteMissingConverter(std::vector<std::string>& notes, const UnknownPcPage& failure) {
    const std::string note = std::string(failure.what()) +
                             ": names from the save file read as Latin-1, file names in messages as UTF-8";
    if (std::find(notes.begin(), notes.end(), note) == notes.end()) {
        notes.push_back(note);
    }
}

}  // namespace

ExportSession::ExportSession(ViewSession& viewsIn, AutomationClient& automationIn, std::int32_t pcCodePageIn)
    : views(viewsIn), automation(automationIn), pcCodePage(pcCodePageIn) {}

std::string ExportSession::memberFileName(const std::string& objectName,
                                          const std::string& memberName) const {
    // Decoding comes first: in the double-byte pages a trail byte may be 0x5C or 0x7C, which only
    // as a whole character is not a separator.
    return ExportFileNames::memberFileName(decodedText(objectName), decodedText(memberName));
}

std::string ExportSession::decodedText(const std::string& pcText) const {
    try {
        PcPageWideText codec(pcCodePage);
        return PcPageWideText::toUtf8(codec.decode(pcText));
    } catch (const UnknownPcPage& failure) {
        // No code page configured: the bytes are taken as Latin-1, one character each.
        noteMissingConverter(conversionNotes, failure);
        std::u16string wide(pcText.begin(), pcText.end());
        for (char16_t& c : wide) {
            c = static_cast<char16_t>(c & 0xFF);
        }
        return PcPageWideText::toUtf8(wide);
    }
}

std::string ExportSession::pcText(const std::string& fileSystemText) const {
    try {
        PcPageWideText codec(pcCodePage);
        return codec.encode(PcPageWideText::fromUtf8(fileSystemText));
    } catch (const UnknownPcPage& failure) {
        noteMissingConverter(conversionNotes, failure);
        return fileSystemText;
    }
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

}  // namespace quelvane
