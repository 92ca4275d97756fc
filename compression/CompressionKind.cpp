#include "compression/CompressionKind.h"

namespace quelvane {

std::string_view compressionKindText(CompressionKind kind) {
    switch (kind) {
        case CompressionKind::Stored:
            return "stored";
        case CompressionKind::RunLength:
            return "run-length";
        case CompressionKind::Terse:
            return "TERSE";
        case CompressionKind::Lz1:
            return "LZ1";
    }
    return "unknown";
}

}  // namespace quelvane
