#include "shell/DisplayCharset.h"

#include <QByteArray>

namespace quelvane {

namespace {

constexpr int kAnsiCodePage = 1252;
constexpr int kMacCodePage = 10000;

struct CodePageOfCharset {
    int value;
    int codePage;
};

// SYMBOL has no code page of its own; it is drawn as ANSI.
constexpr CodePageOfCharset kCodePages[] = {
    {0, 1252},   {2, 1252},   {77, kMacCodePage}, {128, 932},  {129, 949},  {130, 1361},
    {134, 936},  {136, 950},  {161, 1253},        {162, 1254}, {163, 1258}, {177, 1255},
    {178, 1256}, {186, 1257}, {204, 1251},        {222, 874},  {238, 1250}, {255, 437},
};

struct Automatic {
    int pcCodePage;
    int value;
};

constexpr Automatic kAutomatic[] = {
    {0, 1},     {737, 161}, {857, 162}, {864, 178}, {866, 204},  {874, 222},
    {932, 128}, {936, 134}, {949, 129}, {950, 136}, {1258, 163},
};

}  // namespace

const std::array<DisplayCharset::Entry, DisplayCharset::kEntryCount>& DisplayCharset::entries() {
    using C = Checks;
    static const std::array<Entry, kEntryCount> table{{
        {"ANSI", 0, true, true, C::PopupOnly},
        {"DEFAULT", 1, true, true, C::BothMenus},
        {"MAC", 77, true, true, C::BothMenus},
        {"Symbol", 2, true, true, C::PopupOnly},
        {"Japanese", 128, true, false, C::BothMenus},
        {"Hangul(Korean) ", 129, true, false, C::BothMenus},
        {"Johab(Korean) ", 130, true, false, C::BothMenus},
        {"Simple Chinese", 134, false, false, C::BothMenus},
        {"Chinese BIG5", 136, true, false, C::BothMenus},
        {"Turkish", 162, true, false, C::BothMenus},
        {"Greek", 161, true, false, C::BothMenus},
        {"Vietnamese", 163, true, false, C::BothMenus},
        {"Hebrew", 177, true, false, C::BothMenus},
        {"Arabic", 178, true, false, C::BothMenus},
        {"Baltic", 186, true, false, C::BothMenus},
        {"Thai", 222, true, false, C::BothMenus},
        {"Easteurope", 238, true, false, C::BothMenus},
        {"Russian", 204, true, false, C::BothMenus},
        {"OEM", 255, true, false, C::BothMenus},
    }};
    return table;
}

std::optional<int> DisplayCharset::indexOf(int value) {
    const auto& table = entries();
    for (int i = 0; i < kEntryCount; ++i) {
        if (table[static_cast<std::size_t>(i)].value == value) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<int> DisplayCharset::forPcCodePage(int pcCodePage) {
    for (const auto& a : kAutomatic) {
        if (a.pcCodePage == pcCodePage) {
            return a.value;
        }
    }
    return std::nullopt;
}

int DisplayCharset::codePageOf(int value, int pcCodePage) {
    if (value == kDefault) {
        return pcCodePage == 0 ? kAnsiCodePage : pcCodePage;
    }
    for (const auto& c : kCodePages) {
        if (c.value == value) {
            return c.codePage;
        }
    }
    return kAnsiCodePage;
}

QStringDecoder DisplayCharset::decoderFor(int codePage) {
    const auto flags = QStringConverter::Flag::Stateless;
    QByteArray name;
    if (codePage == kMacCodePage) {
        name = "macintosh";
    } else if (codePage == 874 || (codePage >= 932 && codePage <= 950) ||
               (codePage >= 1250 && codePage <= 1258)) {
        name = "windows-" + QByteArray::number(codePage);
    } else if (codePage == 1361) {
        name = "johab";
    } else {
        name = "ibm-" + QByteArray::number(codePage);
    }
    QStringDecoder decoder(name.constData(), flags);
    if (decoder.isValid()) {
        return decoder;
    }
    return QStringDecoder(QStringConverter::Latin1, flags);
}

QString DisplayCharset::decode(QStringDecoder& decoder, std::string_view bytes) {
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace quelvane
