#include "views/StoredCcsidHint.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "savefile/FileBlockSource.h"
#include "savefile/ObjectKinds.h"
#include "savefile/TypeCodes.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/RealFiles.h"
#include "tests/support/RecordingNotifier.h"
#include "views/OpenedSave.h"

namespace quelvane::test {
namespace {

struct TaggedField {
    std::uint16_t typeCode;
    std::uint16_t ccsid;
};

Catalog catalogOf(const std::vector<TaggedField>& fields, const char* attribute = "PF") {
    SavedObject file;
    file.name = "F";
    file.typeCode = kFileObjectType;
    file.attribute = attribute;
    for (const TaggedField& tagged : fields) {
        SavedField field;
        field.name = "X";
        field.typeCode = tagged.typeCode;
        field.length = 1;
        field.description.read = true;
        field.description.ccsid = tagged.ccsid;
        file.fields.push_back(field);
    }
    file.fieldCount = static_cast<std::int32_t>(file.fields.size());
    Catalog catalog;
    catalog.parts.emplace_back();
    catalog.parts[0].library.objects.push_back(file);
    catalog.parts[0].library.objectCount = 1;
    return catalog;
}

constexpr std::uint16_t A = kCharacterFieldType;
constexpr std::uint16_t O = kOpenCharacterFieldType;
constexpr std::uint16_t G = kGraphicFieldType;
constexpr std::uint16_t P = kPackedFieldType;

TEST(StoredCcsidHint, NamesTheCcsidMostFieldsCarryWhereThePairReadsItOtherwise) {
    const std::string japanese = "Fields are tagged CCSID 5026 (Japanese); Options can decode by CCSID";
    struct Case {
        const char* what;
        std::vector<TaggedField> fields;
        std::int32_t hostPage;
        std::optional<std::string> note;
        const char* attribute = "PF";
    };
    const Case cases[] = {
        {"single-byte part counts with its mixed CCSID",
         {{A, 290}, {A, 290}, {O, 5026}, {P, 0}},
         37,
         japanese},
        {"the mixed page reads them", {{A, 290}, {O, 5026}}, 930, std::nullopt},
        {"a page of the same language", {{A, 290}, {O, 5026}}, 939, std::nullopt},
        {"German under 37",
         {{A, 273}, {A, 273}, {A, 37}},
         37,
         "Fields are tagged CCSID 273 (German); Options can decode by CCSID"},
        {"German under its own page", {{A, 273}, {A, 273}}, 20273, std::nullopt},
        {"English under the Euro page", {{A, 37}}, 1140, std::nullopt},
        {"half or fewer tagged", {{A, 273}, {A, 0}}, 37, std::nullopt},
        {"65535 is no text CCSID", {{A, 65535}, {A, 65535}, {A, 273}}, 37, std::nullopt},
        {"graphic fields count",
         {{G, 835}, {A, 37}, {O, 937}},
         37,
         "Fields are tagged CCSID 937 (Traditional Chinese); Options can decode by CCSID"},
        {"a CCSID the map lacks", {{A, 62251}}, 37, std::nullopt},
        {"numbers only", {{P, 37}}, 37, std::nullopt},
        {"logical files are not counted", {{A, 273}}, 37, std::nullopt, "LF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(StoredCcsidHint::note(catalogOf(c.fields, c.attribute), c.hostPage), c.note);
    }
}

TEST(StoredCcsidHint, RealSaves) {
    const std::filesystem::path dir(QUELVANE_SAVF_DIR);
    QUELVANE_REQUIRE_REAL_FILE(dir / "GURI_demodb.savf");
    struct Case {
        const char* file;
        std::int32_t hostPage;
        std::optional<std::string> note;
    };
    const Case cases[] = {
        {"GURI_demodb.savf", 37, "Fields are tagged CCSID 5026 (Japanese); Options can decode by CCSID"},
        {"GURI_demodb.savf", 930, std::nullopt},
        {"CSCH@009.SAVF", 37, "Fields are tagged CCSID 5026 (Japanese); Options can decode by CCSID"},
        {"JTT_ddmtestsav.savf", 37, std::nullopt},
    };
    Cp037Converter converter;
    RecordingNotifier notifier;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        OpenedSave save;
        const std::string path = (dir / c.file).string();
        ASSERT_EQ(
            save.open([path] { return std::make_unique<FileBlockSource>(path); }, path, converter, notifier),
            OpenedSave::Outcome::Opened);
        EXPECT_EQ(StoredCcsidHint::note(save.catalog(), c.hostPage), c.note);
    }
}

}  // namespace
}  // namespace quelvane::test
