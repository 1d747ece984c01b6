// PluginModule.cpp - loading a plug-in library and resolving its exports, on Linux and Windows.
#include "session/PluginModule.h"

#if defined(_WIN32)
#include "platform/WinTypes.h"
#else
#include <dlfcn.h>
#endif

#include <utility>

namespace host {
namespace {

#if defined(_WIN32)
void* OpenLibrary(const std::filesystem::path& path) {
    return reinterpret_cast<void*>(::LoadLibraryW(path.c_str()));
}

void* FindSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

std::string LastLoadError() {
    return "error " + std::to_string(::GetLastError());
}
#else
void* OpenLibrary(const std::filesystem::path& path) {
    // RTLD_LOCAL: the plug-in's own symbols must not satisfy anything of the host's.
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindSymbol(void* library, const char* name) {
    return ::dlsym(library, name);
}

std::string LastLoadError() {
    const char* reason = ::dlerror();
    return reason != nullptr ? reason : "unknown reason";
}
#endif

template <typename Entry>
Entry Resolve(void* library, const char* name, const std::string& fileName) {
    void* symbol = FindSymbol(library, name);
    if (symbol == nullptr) {
        throw PluginLoadError("cannot resolve '" + std::string(name) + "' in '" + fileName + "'");
    }
    // Object pointer to function pointer: what dlsym and GetProcAddress hand out is code.
    return reinterpret_cast<Entry>(symbol);
}

} // namespace

void PluginModule::LibraryCloser::operator()(void* library) const noexcept {
#if defined(_WIN32)
    ::FreeLibrary(static_cast<HMODULE>(library));
#else
    ::dlclose(library);
#endif
}

PluginModule::PluginModule(LibraryHandle library, std::string fileName, PluginExports exports)
    : library_(std::move(library)), fileName_(std::move(fileName)), exports_(exports) {}

PluginModule PluginModule::Load(const std::filesystem::path& path) {
    std::string fileName = path.filename().string();
    LibraryHandle library(OpenLibrary(path));
    if (!library) {
        throw PluginLoadError("cannot load '" + path.string() + "': " + LastLoadError());
    }
    PluginExports exports;
    exports.onLoad = Resolve<PluginExports::VoidEntry>(library.get(), "OnLoad", fileName);
    exports.onInitialize = Resolve<PluginExports::MapEntry>(library.get(), "OnInitialize", fileName);
    exports.onUserCommand = Resolve<PluginExports::MapEntry>(library.get(), "OnUserCommand", fileName);
    exports.onPlanetChanged =
        Resolve<PluginExports::MapEntry>(library.get(), "OnPlanetChanged", fileName);
    exports.onAbout = Resolve<PluginExports::MapEntry>(library.get(), "OnAbout", fileName);
    exports.onClose = Resolve<PluginExports::VoidEntry>(library.get(), "OnClose", fileName);
    return PluginModule(std::move(library), std::move(fileName), exports);
}

} // namespace host
