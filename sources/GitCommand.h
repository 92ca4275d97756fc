#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quelvane {

// Runs Debian's `git` in a repository as a child process, from an argument vector (no shell
// reads the names of members or files), with a configuration of its own: no system or user
// configuration file is read (a user's hooks, signing or default branch cannot change what is
// written), the identity is Quelvane's, and the dates are set per commit through the environment.
class GitCommand {
  public:
    struct Result {
        int status = -1;
        std::string out;
        std::string err;
        bool ok() const { return status == 0; }
    };

    // The name committer and author carry.
    static constexpr const char* kIdentity = "Quelvane";
    static constexpr const char* kEmail = "quelvane@localhost";

    explicit GitCommand(std::filesystem::path repository, std::string program = "git");

    // Runs `git ARGUMENTS` in the repository with `environment` added to the isolated one.
    Result run(const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment = {}) const;

    // The same, raising std::runtime_error with git's message when it fails.
    std::string require(const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& environment = {}) const;

    const std::filesystem::path& repository() const { return repository_; }

  private:
    std::vector<std::string> environment(const std::map<std::string, std::string>& extra) const;

    std::filesystem::path repository_;
    std::string program_;
};

}  // namespace quelvane
