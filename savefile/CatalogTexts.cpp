#include "savefile/CatalogTexts.h"

#include <algorithm>
#include <vector>

namespace quelvane {

namespace {

constexpr std::uint16_t kNoCcsid = 0;
constexpr std::uint16_t kBinaryCcsid = 65535;

bool tagged(std::uint16_t ccsid) {
    return ccsid != kNoCcsid && ccsid != kBinaryCcsid;
}

std::string withoutSurroundingBlanks(std::string text) {
    const std::size_t last = text.find_last_not_of(' ');
    if (last == std::string::npos) {
        return {};
    }
    text.erase(last + 1);
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

// Counts in the order first met, so that equal counts keep the first.
class CcsidTally {
  public:
    void add(std::uint16_t ccsid) {
        if (!tagged(ccsid)) {
            return;
        }
        auto found =
            std::find_if(counts_.begin(), counts_.end(), [ccsid](const auto& c) { return c.first == ccsid; });
        if (found == counts_.end()) {
            counts_.emplace_back(ccsid, 1);
        } else {
            ++found->second;
        }
    }
    std::uint16_t most() const {
        std::uint16_t best = kNoCcsid;
        std::int64_t bestCount = 0;
        for (const auto& [ccsid, count] : counts_) {
            if (count > bestCount) {
                best = ccsid;
                bestCount = count;
            }
        }
        return best;
    }

  private:
    std::vector<std::pair<std::uint16_t, std::int64_t>> counts_;
};

}  // namespace

CatalogTexts::CatalogTexts() = default;

CatalogTexts::CatalogTexts(const Catalog& catalog, std::int32_t hostPage, std::int32_t pcCodePage,
                           ConversionBackend& backend)
    : stored_(std::make_unique<StoredCcsidText>(hostPage, backend)),
      utf8_(std::make_unique<PcTextToUtf8>(pcCodePage, backend)),
      saveCcsid_(mostTaggedTextCcsid(catalog)) {}

CatalogTexts::~CatalogTexts() = default;

std::uint16_t CatalogTexts::mostTaggedTextCcsid(const Catalog& catalog) {
    CcsidTally tally;
    for (const SavedPart& part : catalog.parts) {
        for (const SavedObject& object : part.library.objects) {
            const FileDescription& d = object.description;
            if (d.read) {
                tally.add(d.text.ccsid);
                tally.add(d.formatText.ccsid);
            }
            for (const SavedMember& member : object.members) {
                tally.add(member.storedText.ccsid);
            }
        }
    }
    return tally.most();
}

std::uint16_t CatalogTexts::objectTextCcsid(const SavedObject& object) const {
    const FileDescription& d = object.description;
    return d.read && tagged(d.text.ccsid) ? d.text.ccsid : saveCcsid_;
}

std::uint16_t CatalogTexts::memberTextCcsid(const SavedObject& file, const SavedMember& member) const {
    return tagged(member.storedText.ccsid) ? member.storedText.ccsid : objectTextCcsid(file);
}

std::string CatalogTexts::decoded(const StoredText& text, std::uint16_t ccsid) {
    stored_->decode(text.bytes, ccsid, false, work_);
    const std::size_t zero = work_.find('\0');
    if (zero != std::string::npos) {
        work_.erase(zero);
    }
    return withoutSurroundingBlanks(work_);
}

std::string CatalogTexts::objectText(const SavedObject& object) {
    if (!utf8()) {
        return object.text;
    }
    if (object.storedText.bytes.empty()) {
        return plain(object.text);
    }
    return decoded(object.storedText, objectTextCcsid(object));
}

std::string CatalogTexts::memberText(const SavedObject& file, const SavedMember& member) {
    if (!utf8()) {
        return member.text;
    }
    if (member.storedText.bytes.empty()) {
        return plain(member.text);
    }
    return decoded(member.storedText, memberTextCcsid(file, member));
}

std::string CatalogTexts::plain(const std::string& pcText) {
    return utf8() ? utf8_->toUtf8(pcText) : pcText;
}

}  // namespace quelvane
