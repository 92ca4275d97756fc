#include "cli/CliSession.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>

#include "cli/CliCommand.h"
#include "cli/NodePath.h"
#include "cli/StderrNotifier.h"
#include "conversion/CodePageLists.h"
#include "conversion/ConversionBackend.h"
#include "conversion/PcTextToUtf8.h"
#include "conversion/Utf8Text.h"
#include "savefile/CatalogTree.h"
#include "savefile/FileBlockSource.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsFile.h"

namespace quelvane::cli {

namespace {

std::filesystem::path programPath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

std::optional<std::int32_t> codePage(const std::string& text) {
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

// Whether `page` is one of the code pages the Options lists offer: EBCDIC ones for --ebcdic, PC
// ones for --pc. Another number names no conversion the modules can make.
bool listed(std::int32_t page, bool ebcdic) {
    if (ebcdic) {
        return std::any_of(kCcsidRows.begin(), kCcsidRows.end(),
                           [page](const CcsidRow& row) { return ebcdicCodePageOfRow(row.text) == page; });
    }
    return std::any_of(kPcCodePageRows.begin(), kPcCodePageRows.end(),
                       [page](std::string_view row) { return pcCodePageOfRow(row) == page; });
}

}  // namespace

CliSession::CliSession() : notifier_(std::make_unique<StderrNotifier>()) {}

CliSession::~CliSession() = default;

bool CliSession::takeOptions(std::vector<std::string>& arguments) {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--raw") {
            raw_ = true;
        } else if (argument == "--ccsid") {
            const std::string choice = i + 1 < arguments.size() ? arguments[i + 1] : std::string();
            if (choice != "stored" && choice != "pair") {
                std::fprintf(stderr, "quelvane-cli: --ccsid needs stored or pair\n");
                return false;
            }
            storedCcsidOption_ = choice == "stored";
            ++i;
        } else if (argument == "--inner") {
            if (i + 1 == arguments.size()) {
                std::fprintf(stderr, "quelvane-cli: --inner needs a node\n");
                return false;
            }
            innerNodes_.push_back(arguments[++i]);
        } else if (argument == "--ebcdic" || argument == "--pc") {
            std::optional<std::int32_t> page =
                i + 1 < arguments.size() ? codePage(arguments[i + 1]) : std::nullopt;
            if (!page) {
                std::fprintf(stderr, "quelvane-cli: %s needs a code page number\n", argument.c_str());
                return false;
            }
            if (!listed(*page, argument == "--ebcdic")) {
                std::fprintf(stderr, "quelvane-cli: unknown code page %d\n", static_cast<int>(*page));
                return false;
            }
            (argument == "--ebcdic" ? ebcdicOption_ : pcOption_) = page;
            ++i;
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "quelvane-cli: unknown option %s\n", argument.c_str());
            return false;
        } else {
            rest.push_back(argument);
        }
    }
    arguments = std::move(rest);
    return true;
}

bool CliSession::startConversion() {
    std::filesystem::path program = programPath();
    conversion_ = std::make_unique<ConversionLayer>(*notifier_, program.parent_path().string());
    if (!conversion_->BindNlsLibrary()) {
        const std::string why = conversion_->bindingFailure();
        std::fprintf(stderr, "quelvane-cli: the conversion modules could not be loaded%s%s\n",
                     why.empty() ? "" : ": ", why.c_str());
        return false;
    }
    ProgramSettings::CodePages confirmed;
    if (!program.empty()) {
        // The desktop program's settings: the pair a user confirmed in its Options dialog is the
        // pair the companion converts with, wherever that program keeps its file.
        SettingsFile settings =
            SettingsFile::locate(program.parent_path() / "quelvane", SettingsFile::userConfigDirectory());
        confirmed = ProgramSettings(settings).codePages();
    }
    const bool configured = confirmed.configured();
    conversion_->EbcdicCodePage =
        ebcdicOption_.value_or(configured ? confirmed.ebcdic : ProgramSettings::kFallbackEbcdic);
    conversion_->PcCodePage = pcOption_.value_or(configured ? confirmed.pc : ProgramSettings::kFallbackPc);
    return true;
}

int CliSession::start(std::vector<std::string>& arguments, std::size_t fewest, std::size_t most,
                      const char* usage) {
    if (!takeOptions(arguments)) {
        return kExitUsage;
    }
    if (arguments.size() < fewest || arguments.size() > most) {
        std::fprintf(stderr, "Usage: quelvane-cli %s\n", usage);
        return kExitUsage;
    }
    if (!startConversion()) {
        return kExitUsage;
    }
    return openSaveFile(arguments.front());
}

int CliSession::openSaveFile(const std::string& path) {
    FileBlockSource source(path);
    if (!openedOrSaid(path, source)) {
        return kExitUsage;
    }
    const OpenedSave::Outcome outcome = opened_.open(
        [path] { return std::make_unique<FileBlockSource>(path); }, path, *conversion_, *notifier_);
    if (outcome == OpenedSave::Outcome::CannotOpen) {
        openedOrSaid(path, FileBlockSource(path));
        return kExitUsage;
    }
    if (outcome != OpenedSave::Outcome::Opened) {
        return kExitNotSaveFile;
    }
    for (const std::string& node : innerNodes_) {
        int status = openInner(node);
        if (status != kExitSuccess) {
            return status;
        }
    }
    return kExitSuccess;
}

int CliSession::openInner(const std::string& node) {
    std::optional<NodePosition> position = resolveNode(buildCatalogTree(opened_.catalog()), node);
    if (!position || position->level != 2) {
        std::fprintf(stderr, "quelvane-cli: no object \"%s\" for --inner\n", node.c_str());
        return kExitUsage;
    }
    const NestedSave inner = opened_.locateHeld({position->parentIndex, position->index});
    if (inner.state != NestedSave::State::Found) {
        std::fprintf(stderr, "quelvane-cli: %s\n", inner.message.c_str());
        return kExitNotSaveFile;
    }
    const std::string shown = opened_.catalog().path + " (" + node + ")";
    return opened_.descend(inner, shown, *conversion_, *notifier_) == OpenedSave::Outcome::Opened
               ? kExitSuccess
               : kExitNotSaveFile;
}

void CliSession::writeLine(const std::string& text) {
    if (raw_) {
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        if (!utf8_) {
            utf8_ = std::make_unique<PcTextToUtf8>(conversion_ ? conversion_->PcCodePage
                                                               : ProgramSettings::kFallbackPc);
        }
        std::string line = utf8_->toUtf8(text);
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    std::fputc('\n', stdout);
}

}  // namespace quelvane::cli

namespace quelvane::cli {

void CliSession::writeUtf8Line(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

void CliSession::writeUnicodeLine(const std::string& text) {
    if (!raw_) {
        writeUtf8Line(text);
        return;
    }
    if (!pcPage_) {
        pcPage_ = ConversionBackend::standard().openPcPage(conversion_ ? conversion_->PcCodePage
                                                                       : ProgramSettings::kFallbackPc);
    }
    if (!pcPage_) {
        writeUtf8Line(text);
        return;
    }
    std::string line;
    pcPage_->encode(utf8ToUtf16(text), PcPageCodec::Substitution::pageCharacter, line, nullptr);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

bool openedOrSaid(const std::string& path, const FileBlockSource& source) {
    if (source.isOpen()) {
        return true;
    }
    std::fprintf(stderr, "quelvane-cli: cannot open %s: %s\n", path.c_str(), source.openError().c_str());
    return false;
}

}  // namespace quelvane::cli
