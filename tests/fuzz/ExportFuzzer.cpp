#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "export/ExportCommands.h"
#include "export/InProcessAutomationClient.h"
#include "tests/fuzz/FuzzOpen.h"
#include "views/MemoryContentList.h"
#include "views/ViewSession.h"

namespace {

constexpr std::int32_t kPcCodePage = 1252;
// Members exported per input: enough to meet every kind of member, few enough to stay quick.
constexpr int kMembersPerInput = 4;
constexpr std::array<quelvane::ExportFormat, 3> kFormats = {
    quelvane::ExportFormat::Text, quelvane::ExportFormat::Word, quelvane::ExportFormat::Excel};
constexpr int kMemberLevel = 3;
// The chosen host page of the members read by their fields' stored CCSIDs.
constexpr std::int32_t kHostPage = 37;

}  // namespace

// The exports of a member to text, Word and Excel, over arbitrary bytes opened as a save file:
// the first few physical-file members the catalog lists, each in one of the formats, by the pair
// or by stored CCSID, into a scratch folder, as the export command picks and writes them. A
// failure is an outcome the command reports; only a crash, a hang or a sanitizer report is a fault.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quelvane;
    static test::FuzzedFile file;
    test::openFuzzedFile(file, std::span<const std::uint8_t>(data, size), true);
    if (!file.accepted) {
        return 0;
    }
    const std::filesystem::path folder = test::fuzzScratchFolder();
    MemoryContentList list;
    ViewSession views(file.catalog, file.converter, file.notifier, list);
    InProcessAutomationClient automation(kPcCodePage);
    ExportSession session(views, automation, kPcCodePage);
    int exported = 0;
    for (std::size_t i = 0; i < file.catalog.parts.size(); ++i) {
        const SavedLibrary& library = file.catalog.parts[i].library;
        for (std::size_t j = 0; j < library.objects.size() && exported < kMembersPerInput; ++j) {
            for (std::size_t k = 0; k < library.objects[j].members.size() && exported < kMembersPerInput;
                 ++k) {
                NodePosition node;
                node.level = kMemberLevel;
                node.grandparentIndex = static_cast<std::int32_t>(i);
                node.parentIndex = static_cast<std::int32_t>(j);
                node.index = static_cast<std::int32_t>(k);
                const std::optional<MemberRef> ref = exportableMember(session, node);
                if (!ref) {
                    continue;
                }
                // One format per member, taken in turn across members and inputs: a member of a
                // real file written three times over costs more than the time an input is given.
                const ExportFormat format =
                    kFormats[(static_cast<std::size_t>(exported) + size) % kFormats.size()];
                // Every other member is read by its fields' stored CCSIDs, as with the window's
                // choice on, the others by the pair.
                views.storedCcsidHostPage =
                    (static_cast<std::size_t>(exported) + size / kFormats.size()) % 2 == 0
                        ? std::optional<std::int32_t>(kHostPage)
                        : std::nullopt;
                ++exported;
                exportMember(session, *ref, format, (folder / "member").string());
            }
        }
    }
    return 0;
}
