#include "extract/IntegrityJson.h"

#include "extract/JsonWriter.h"

namespace quelvane {

namespace {

const char* verdictName(IntegrityReport::Verdict verdict) {
    switch (verdict) {
        case IntegrityReport::Verdict::Intact:
            return "intact";
        case IntegrityReport::Verdict::CatalogUnread:
            return "catalog unread";
        case IntegrityReport::Verdict::Damaged:
            return "damaged";
        case IntegrityReport::Verdict::NotSaveFile:
            break;
    }
    return "not a save file";
}

const char* faultName(RecordFault fault) {
    switch (fault) {
        case RecordFault::Changed:
            return "changed";
        case RecordFault::OutOfSequence:
            return "out of sequence";
        case RecordFault::Shifted:
            break;
    }
    return "grid shifted";
}

void faults(JsonWriter& json, const SaveFileCheckReport& grid) {
    json.key("faults");
    json.beginArray();
    for (const RecordFaultRun& run : grid.faultRuns) {
        json.beginObject();
        json.member("first", run.first);
        json.member("last", run.last);
        json.member("offset", run.offset);
        json.member("fault", faultName(run.fault));
        json.endObject();
    }
    json.endArray();
    json.member("faultsUnlisted", grid.faultsUnlisted);
}

void shifts(JsonWriter& json, const SaveFileCheckReport& grid) {
    json.key("shifts");
    json.beginArray();
    for (const GridShift& shift : grid.shifts) {
        json.beginObject();
        json.member("breakRecord", shift.breakBlock);
        json.member("resumeRecord", shift.resumeBlock);
        json.member("resumeOffset", shift.resumeOffset);
        json.member("bytes", shift.bytes);
        json.member("from", shift.from);
        json.member("to", shift.to);
        json.endObject();
    }
    json.endArray();
}

void strings(JsonWriter& json, const char* name, const std::vector<std::string>& texts) {
    json.key(name);
    json.beginArray();
    for (const std::string& text : texts) {
        json.value(text);
    }
    json.endArray();
}

}  // namespace

std::string IntegrityJson::of(const std::string& path, const IntegrityReport& report) {
    const SaveFileCheckReport& grid = report.grid;
    JsonWriter json;
    json.beginObject();
    json.member("path", path);
    json.member("verdict", verdictName(report.verdict()));
    json.member("size", grid.size);
    json.member("records", grid.recordsChecked);
    json.member("intact", grid.recordsIntact);
    json.member("lastWholeRecord", grid.lastWholeRecord);
    faults(json, grid);
    shifts(json, grid);
    strings(json, "codedData", report.codedData);
    json.key("catalog");
    if (report.catalog) {
        json.value(report.catalog->text());
    } else {
        json.null();
    }
    strings(json, "lines", report.lines());
    json.endObject();
    return json.text();
}

}  // namespace quelvane
