#pragma once

#include <cstdint>
#include <string>

#include "conversion/CodePageRegistry.h"
#include "settings/SettingsFile.h"

namespace quelvane {

// The program's settings by what they mean, with their defaults, over the settings file: the
// code-page pair confirmed in Options ([EBCDIC To ASCII]), the rows of the two Options lists
// that named it ([E2AIndex]), the host login ([Host]) and the working directories ([Working Dir]).
// The window, Options and the command line read and write them only through here.
class ProgramSettings {
  public:
    // What a code page reads as while Options were never confirmed.
    static constexpr std::int32_t kNotConfigured = 100000;
    // The pair the command line converts with when none was confirmed.
    static constexpr std::int32_t kFallbackEbcdic = 37;
    static constexpr std::int32_t kFallbackPc = 1252;
    // The pages the Options lists select while no rows are stored, the same pair, and the rows
    // that show them.
    static constexpr std::int32_t kDefaultListEbcdic = kFallbackEbcdic;
    static constexpr std::int32_t kDefaultListPc = kFallbackPc;
    static constexpr int kDefaultCcsidRow = hostPageRow(kDefaultListEbcdic).value();
    static constexpr int kDefaultPcRow = pcPageRow(kDefaultListPc).value();
    static constexpr int kDefaultPort = 21;

    struct CodePages {
        std::int32_t ebcdic = kNotConfigured;
        std::int32_t pc = kNotConfigured;
        bool configured() const { return ebcdic != kNotConfigured && pc != kNotConfigured; }
    };

    struct ListRows {
        int ccsid = kDefaultCcsidRow;
        int pc = kDefaultPcRow;
    };

    struct HostLogin {
        std::string host;
        std::string user;
        std::string password;
    };

    struct WorkingDirectories {
        std::string local;
        std::string remote;
    };

    explicit ProgramSettings(SettingsFile& file) : file_(file) {}

    // Writes raise SettingsWriteFailure when the file cannot be written.
    CodePages codePages() const;
    void writeCodePages(const CodePages& pages);

    // Options' choice to decode text by the CCSIDs stored in the save file: on until a choice
    // is recorded, since most saves tag their fields and texts with the CCSID they were written in.
    bool decodesByStoredCcsid() const;
    void writeDecodesByStoredCcsid(bool on);

    ListRows listRows() const;
    void writeListRows(const ListRows& rows);

    HostLogin hostLogin() const;
    void writeHostLogin(const HostLogin& login);
    int port() const;
    void writePort(int port);

    WorkingDirectories workingDirectories() const;
    void writeWorkingDirectories(const WorkingDirectories& directories);

  private:
    SettingsFile& file_;
};

}  // namespace quelvane
