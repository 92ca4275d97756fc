#include "conversion/ModuleLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <string>

namespace quelvane {

namespace {

// Loads `path`; on failure adds the system's reason to `failure`.
void* openLibrary(const std::string& path, std::string& failure) {
#if defined(_WIN32)
    void* handle = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    if (handle == nullptr) {
        failure += (failure.empty() ? "" : "\n") + path + ": error " + std::to_string(GetLastError());
    }
#else
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        // dlerror names the path itself.
        const char* why = dlerror();
        failure +=
            (failure.empty() ? "" : "\n") + (why != nullptr ? std::string(why) : path + ": not loaded");
    }
#endif
    return handle;
}

void closeLibrary(void* handle) {
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

}  // namespace

ModuleLibrary::~ModuleLibrary() {
    release();
}

bool ModuleLibrary::load(const std::string& directory, const std::string& fileName, bool searchSystemPath) {
    release();
    failure_.clear();
    if (!directory.empty()) {
        handle_ = openLibrary(directory + "/" + fileName, failure_);
    }
    if (handle_ == nullptr && searchSystemPath) {
        handle_ = openLibrary(fileName, failure_);
    }
    if (handle_ != nullptr) {
        failure_.clear();
    } else if (failure_.empty()) {
        failure_ = fileName + ": no folder to load it from";
    }
    return handle_ != nullptr;
}

void ModuleLibrary::release() {
    if (handle_ != nullptr) {
        closeLibrary(handle_);
        handle_ = nullptr;
    }
}

void* ModuleLibrary::entryPoint(const char* name) const {
    if (handle_ == nullptr) {
        return nullptr;
    }
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

}  // namespace quelvane
