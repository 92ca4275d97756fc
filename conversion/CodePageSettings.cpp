#include "conversion/CodePageSettings.h"

namespace quelvane {

namespace {

constexpr const char* kConversion = "EBCDIC To ASCII";
constexpr const char* kRows = "E2AIndex";
constexpr const char* kHost = "Host";
constexpr const char* kWorkingDir = "Working Dir";

}  // namespace

CodePageSettings::CodePages CodePageSettings::codePages() const {
    return {file_.readInteger(kConversion, "EBCDIC", kNotConfigured),
            file_.readInteger(kConversion, "ASCII", kNotConfigured)};
}

void CodePageSettings::writeCodePages(const CodePages& pages) {
    file_.writeInteger(kConversion, "EBCDIC", pages.ebcdic);
    file_.writeInteger(kConversion, "ASCII", pages.pc);
}

bool CodePageSettings::decodesByStoredCcsid() const {
    return file_.readInteger(kConversion, "ByStoredCcsid", 0) != 0;
}

void CodePageSettings::writeDecodesByStoredCcsid(bool on) {
    file_.writeInteger(kConversion, "ByStoredCcsid", on ? 1 : 0);
}

CodePageSettings::ListRows CodePageSettings::listRows() const {
    return {file_.readInteger(kRows, "EBCDIC", kDefaultCcsidRow),
            file_.readInteger(kRows, "ASCII", kDefaultPcRow)};
}

void CodePageSettings::writeListRows(const ListRows& rows) {
    file_.writeInteger(kRows, "EBCDIC", rows.ccsid);
    file_.writeInteger(kRows, "ASCII", rows.pc);
}

CodePageSettings::HostLogin CodePageSettings::hostLogin() const {
    return {file_.readString(kHost, "Host", ""), file_.readString(kHost, "User", ""),
            file_.readString(kHost, "Password", "")};
}

void CodePageSettings::writeHostLogin(const HostLogin& login) {
    file_.writeString(kHost, "Host", login.host);
    file_.writeString(kHost, "User", login.user);
    file_.writeString(kHost, "Password", login.password);
}

int CodePageSettings::port() const {
    return file_.readInteger(kHost, "Port", kDefaultPort);
}

void CodePageSettings::writePort(int port) {
    file_.writeInteger(kHost, "Port", port);
}

CodePageSettings::WorkingDirectories CodePageSettings::workingDirectories() const {
    return {file_.readString(kWorkingDir, "Local", ""), file_.readString(kWorkingDir, "Remote", "")};
}

void CodePageSettings::writeWorkingDirectories(const WorkingDirectories& directories) {
    file_.writeString(kWorkingDir, "Local", directories.local);
    file_.writeString(kWorkingDir, "Remote", directories.remote);
}

}  // namespace quelvane
