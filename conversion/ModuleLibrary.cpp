#include "conversion/ModuleLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace quelvane {

namespace {

void* openLibrary(const std::string& path) {
#if defined(_WIN32)
    return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
#else
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
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
    if (!directory.empty()) {
        handle_ = openLibrary(directory + "/" + fileName);
    }
    if (handle_ == nullptr && searchSystemPath) {
        handle_ = openLibrary(fileName);
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
