#include "settings/ProgramSettings.h"

namespace quelvane {

namespace {

constexpr const char* kConversion = "EBCDIC To ASCII";
constexpr const char* kRows = "E2AIndex";
constexpr const char* kHost = "Host";
constexpr const char* kWorkingDir = "Working Dir";

}  // namespace

ProgramSettings::CodePages ProgramSettings::codePages() const {
    return {file_.readInteger(kConversion, "EBCDIC", kNotConfigured),
            file_.readInteger(kConversion, "ASCII", kNotConfigured)};
}

void ProgramSettings::writeCodePages(const CodePages& pages) {
    file_.writeInteger(kConversion, "EBCDIC", pages.ebcdic);
    file_.writeInteger(kConversion, "ASCII", pages.pc);
}

bool ProgramSettings::decodesByStoredCcsid() const {
    return file_.readInteger(kConversion, "ByStoredCcsid", 1) != 0;
}

void ProgramSettings::writeDecodesByStoredCcsid(bool on) {
    file_.writeInteger(kConversion, "ByStoredCcsid", on ? 1 : 0);
}

ProgramSettings::ListRows ProgramSettings::listRows() const {
    return {file_.readInteger(kRows, "EBCDIC", kDefaultCcsidRow),
            file_.readInteger(kRows, "ASCII", kDefaultPcRow)};
}

void ProgramSettings::writeListRows(const ListRows& rows) {
    file_.writeInteger(kRows, "EBCDIC", rows.ccsid);
    file_.writeInteger(kRows, "ASCII", rows.pc);
}

ProgramSettings::HostLogin ProgramSettings::hostLogin() const {
    return {file_.readString(kHost, "Host", ""), file_.readString(kHost, "User", ""),
            file_.readString(kHost, "Password", "")};
}

void ProgramSettings::writeHostLogin(const HostLogin& login) {
    file_.writeString(kHost, "Host", login.host);
    file_.writeString(kHost, "User", login.user);
    file_.writeString(kHost, "Password", login.password);
}

int ProgramSettings::port() const {
    return file_.readInteger(kHost, "Port", kDefaultPort);
}

void ProgramSettings::writePort(int port) {
    file_.writeInteger(kHost, "Port", port);
}

ProgramSettings::WorkingDirectories ProgramSettings::workingDirectories() const {
    return {file_.readString(kWorkingDir, "Local", ""), file_.readString(kWorkingDir, "Remote", "")};
}

void ProgramSettings::writeWorkingDirectories(const WorkingDirectories& directories) {
    file_.writeString(kWorkingDir, "Local", directories.local);
    file_.writeString(kWorkingDir, "Remote", directories.remote);
}

}  // namespace quelvane
