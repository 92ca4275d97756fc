#include "conversion/modules/CodePageMapper.h"

#include <algorithm>
#include <cstring>

namespace quelvane::modules {

std::unique_ptr<CodePageMapper> CodePageMapper::open(std::int32_t ebcdicCodePage, std::int32_t pcCodePage,
                                                     Lookup lookup, ConversionBackend& backend) {
    std::unique_ptr<CodePageMapper> mapper(new CodePageMapper);
    mapper->host_ = backend.openHostPage(ebcdicCodePage);
    mapper->pc_ = backend.openPcPage(pcCodePage);
    if (mapper->host_ == nullptr || mapper->pc_ == nullptr) {
        return nullptr;
    }
    if (lookup == Lookup::byteTable) {
        mapper->fillByteTable();
    }
    return mapper;
}

// A single-byte host page turns each byte into the same characters whatever stands around it,
// and a PC page without shift states writes each character the same way wherever it stands: a
// run's conversion is then the concatenation of its bytes' conversions.
void CodePageMapper::fillByteTable() {
    const bool singleByteHost = host_->shape() == CodePageDecoder::Shape::singleByte;
    const bool statelessPc = pc_->shape() != CodePageDecoder::Shape::shiftStates;
    if (!singleByteHost || !statelessPc) {
        return;
    }
    for (std::size_t byte = 1; byte < byteTable_.size(); ++byte) {
        result_.clear();
        characterStart_.clear();
        const auto hostByte = static_cast<std::uint8_t>(byte);
        appendRun(&hostByte, 1);
        if (result_.size() > kMaxByteText) {
            return;
        }
        ByteText& text = byteTable_[byte];
        text.length = static_cast<std::uint8_t>(result_.size());
        std::copy(result_.begin(), result_.end(), text.bytes.begin());
        std::copy(characterStart_.begin(), characterStart_.end(), text.starts.begin());
    }
    byteTable_[0] = ByteText{{0}, {true}, 1};
    byteTableReady_ = true;
    oneBytePerByte_ = std::all_of(byteTable_.begin(), byteTable_.end(),
                                  [](const ByteText& text) { return text.length == 1; });
}

CodePageMapper::~CodePageMapper() = default;

std::size_t CodePageMapper::map(const std::uint8_t* source, std::size_t sourceLength, std::uint8_t* target,
                                std::size_t targetLength) {
    if (oneBytePerByte_) {
        return mapByteForByte(source, sourceLength, target, targetLength);
    }
    result_.clear();
    characterStart_.clear();
    if (byteTableReady_) {
        collectThroughTable(source, sourceLength);
    } else {
        collectThroughConverters(source, sourceLength);
    }

    std::size_t kept = result_.size();
    if (kept > targetLength) {
        const bool endsInNul = sourceLength > 0 && source[sourceLength - 1] == 0;
        kept = endsInNul && targetLength > 0 ? targetLength - 1 : targetLength;
        while (kept > 0 && !characterStart_[kept]) {
            --kept;
        }
    }
    std::copy_n(result_.begin(), kept, target);
    std::fill(target + kept, target + targetLength, std::uint8_t{0});
    return kept;
}

void CodePageMapper::collectThroughTable(const std::uint8_t* source, std::size_t sourceLength) {
    for (std::size_t i = 0; i < sourceLength; ++i) {
        const ByteText& text = byteTable_[source[i]];
        result_.insert(result_.end(), text.bytes.begin(), text.bytes.begin() + text.length);
        characterStart_.insert(characterStart_.end(), text.starts.begin(), text.starts.begin() + text.length);
    }
}

// Runs between NULs go through the converters whole: a mixed host page's shift state lasts to
// the end of its run.
void CodePageMapper::collectThroughConverters(const std::uint8_t* source, std::size_t sourceLength) {
    std::size_t position = 0;
    while (position < sourceLength) {
        if (source[position] == 0) {
            result_.push_back(0);
            characterStart_.push_back(true);
            ++position;
            continue;
        }
        const auto* runEnd =
            static_cast<const std::uint8_t*>(std::memchr(source + position, 0, sourceLength - position));
        const std::size_t runLength = runEnd == nullptr
                                          ? sourceLength - position
                                          : static_cast<std::size_t>(runEnd - (source + position));
        appendRun(source + position, runLength);
        position += runLength;
    }
}

// Every byte a character: the text is cut exactly at the target's size, one byte short of it
// when the source ends in NUL, as the general path cuts it.
std::size_t CodePageMapper::mapByteForByte(const std::uint8_t* source, std::size_t sourceLength,
                                           std::uint8_t* target, std::size_t targetLength) const {
    std::size_t kept = sourceLength;
    if (kept > targetLength) {
        const bool endsInNul = source[sourceLength - 1] == 0;
        kept = endsInNul && targetLength > 0 ? targetLength - 1 : targetLength;
    }
    for (std::size_t i = 0; i < kept; ++i) {
        target[i] = byteTable_[source[i]].bytes[0];
    }
    std::fill(target + kept, target + targetLength, std::uint8_t{0});
    return kept;
}

void CodePageMapper::appendRun(const std::uint8_t* run, std::size_t length) {
    host_->decode({run, length}, unicode_, nullptr);
    if (unicode_.empty()) {
        return;
    }
    pc_->encode(unicode_, PcPageCodec::Substitution::pageCharacter, encoded_, &offsets_);
    for (std::size_t i = 0; i < encoded_.size(); ++i) {
        result_.push_back(static_cast<std::uint8_t>(encoded_[i]));
        characterStart_.push_back(i == 0 || offsets_[i] != offsets_[i - 1]);
    }
}

}  // namespace quelvane::modules
