#include "cli/CliExport.h"

#include <cstdio>

#include "cli/CliCommand.h"
#include "cli/NodePath.h"
#include "savefile/CatalogTree.h"

namespace quelvane::cli {

CliExport::CliExport(const char* targetOption, const char* usage)
    : targetOption_(targetOption), usage_(usage) {}

CliExport::~CliExport() = default;

void CliExport::reportFallbacks() const {
    if (exportSession_ == nullptr) {
        return;
    }
    for (const std::string& note : exportSession_->ccsidFallbackNotes) {
        std::fprintf(stderr, "quelvane-cli: field %s\n", note.c_str());
    }
    for (const std::string& note : exportSession_->conversionNotes) {
        std::fprintf(stderr, "quelvane-cli: note: %s\n", note.c_str());
    }
}

int CliExport::usageError(const std::string& why) const {
    if (!why.empty()) {
        std::fprintf(stderr, "quelvane-cli: %s\n", why.c_str());
    }
    std::fprintf(stderr, "Usage: quelvane-cli %s\n", usage_);
    return kExitUsage;
}

int CliExport::prepare(const std::vector<std::string>& arguments) {
    std::vector<std::string> rest;
    std::optional<ExportFormat> chosen;
    std::optional<std::string> target;
    bool splitter = false;
    std::optional<ExportTextEncoding> encoding;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--splitter") {
            splitter = true;
        } else if (argument == "--format" || argument == "--encoding" || argument == targetOption_) {
            if (i + 1 == arguments.size()) {
                return usageError(argument + " needs a value");
            }
            const std::string& value = arguments[++i];
            if (argument == targetOption_) {
                target = value;
                continue;
            }
            if (argument == "--encoding") {
                encoding = exportTextEncodingNamed(value);
                if (!encoding) {
                    return usageError("unknown encoding " + value);
                }
                continue;
            }
            chosen = exportFormatNamed(value);
            if (!chosen) {
                return usageError("unknown format " + value);
            }
        } else {
            rest.push_back(argument);
        }
    }
    if (!cli_.takeOptions(rest)) {
        return kExitUsage;
    }
    if (rest.size() != 2 || !chosen || !target || target->empty()) {
        return usageError("");
    }
    format_ = *chosen;
    target_ = *target;
    if (!cli_.startConversion()) {
        return kExitUsage;
    }
    const int status = cli_.openSaveFile(rest[0]);
    if (status != kExitSuccess) {
        return status;
    }
    node_ = resolveNode(buildCatalogTree(cli_.catalog()), rest[1]);
    if (!node_) {
        std::fprintf(stderr, "quelvane-cli: no node \"%s\" in %s\n", rest[1].c_str(), rest[0].c_str());
        return kExitUsage;
    }
    views_ = std::make_unique<ViewSession>(cli_.catalog(), cli_.conversion(), cli_.notifier(), list_);
    views_->openSource = cli_.sourceOpener();
    if (cli_.byStoredCcsid(false)) {
        views_->storedCcsidHostPage = cli_.conversion().EbcdicCodePage;
    }
    automation_ = std::make_unique<InProcessAutomationClient>(cli_.conversion().PcCodePage);
    exportSession_ = std::make_unique<ExportSession>(*views_, *automation_, cli_.conversion().PcCodePage);
    exportSession_->splitterOption = splitter;
    exportSession_->textEncoding = encoding.value_or(ExportTextEncoding::PcPage);
    return kExitSuccess;
}

}  // namespace quelvane::cli
