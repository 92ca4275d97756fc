#pragma once

#include <QString>
#include <QStringDecoder>

#include <array>
#include <optional>
#include <string_view>

namespace quelvane {

// The display character sets of the "Character Set" menus and how 8-bit text is drawn under
// them. Qt fonts carry no GDI character set, so a control that draws converted text decodes its
// bytes with the code page that belongs to its character-set value.
class DisplayCharset {
  public:
    // Which check marks the entry's command sets.
    enum class Checks { PopupOnly, BothMenus };

    struct Entry {
        const char* caption;
        int value;  // the GDI character-set identifier
        bool changesDescription;
        bool togglesOwnCheck;
        Checks checks;
    };

    static constexpr int kAnsi = 0;
    static constexpr int kDefault = 1;
    static constexpr int kEntryCount = 19;

    static const std::array<Entry, kEntryCount>& entries();

    // Menu position of a character-set value, or nothing for a value no entry has.
    static std::optional<int> indexOf(int value);

    // The automatic choice for a PC code page, or nothing when the code page leaves the
    // character set alone.
    static std::optional<int> forPcCodePage(int pcCodePage);

    // The code page whose bytes a control of character set `value` shows; DEFAULT follows the
    // current PC code page, 0 (the system's code page) standing for 1252.
    static int codePageOf(int value, int pcCodePage);

    // A decoder for a Windows code page number; Latin-1 when the system has no table for it.
    static QStringDecoder decoderFor(int codePage);

    static QString decode(QStringDecoder& decoder, std::string_view bytes);
};

}  // namespace quelvane
