#pragma once

#include <string>

namespace quelvane {

// One shared library loaded by file name; unloaded when released or destroyed.
class ModuleLibrary {
  public:
    ModuleLibrary() = default;
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // Tries `directory`/`fileName` first, then (when `searchSystemPath`) the bare file name on
    // the system's library search path. False when neither loads; `failure` then says why.
    bool load(const std::string& directory, const std::string& fileName, bool searchSystemPath);
    void release();
    bool loaded() const { return handle_ != nullptr; }

    // Null when the library is not loaded or lacks the entry point.
    void* entryPoint(const char* name) const;

    // The system's reason the last `load` failed, one line per path tried; empty after a load
    // that succeeded.
    const std::string& failure() const { return failure_; }

  private:
    void* handle_ = nullptr;
    std::string failure_;
};

}  // namespace quelvane
