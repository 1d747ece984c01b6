// PluginModule.h - a plug-in library loaded by file name at run time, with its six entry points.
//
// A PluginModule owns the loaded library: it is unloaded when the object goes,
// on every path, so an error while resolving or running never leaves the
// library mapped. The entry points are plain function pointers into that
// library and are valid only while their PluginModule lives. The module must
// outlive every thread the plug-in started; the host makes sure of that by
// calling OnClose and running the message loop dry before it lets go.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

class CMapStringToString;

namespace host {

/// A module that cannot be loaded or lacks an entry point; the host exits with status 1.
class PluginLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The six exports, resolved by their plain names.
struct PluginExports {
    using VoidEntry = void (*)();
    using MapEntry = void (*)(CMapStringToString&);

    VoidEntry onLoad = nullptr;
    MapEntry onInitialize = nullptr;
    MapEntry onUserCommand = nullptr;
    MapEntry onPlanetChanged = nullptr;
    MapEntry onAbout = nullptr;
    VoidEntry onClose = nullptr;
};

class PluginModule {
public:
    /// Loads the library at `path` and resolves all six exports; throws PluginLoadError
    /// (`cannot resolve 'OnLoad' in 'Tarvenix2.so'`) and leaves nothing loaded on failure.
    static PluginModule Load(const std::filesystem::path& path);

    PluginModule(PluginModule&&) noexcept = default;
    PluginModule& operator=(PluginModule&&) noexcept = default;
    ~PluginModule() = default;

    const PluginExports& Exports() const { return exports_; }
    /// The file name the module was loaded from, as the host's messages name it.
    const std::string& FileName() const { return fileName_; }

private:
    struct LibraryCloser {
        void operator()(void* library) const noexcept;
    };
    using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

    PluginModule(LibraryHandle library, std::string fileName, PluginExports exports);

    LibraryHandle library_;
    std::string fileName_;
    PluginExports exports_;
};

} // namespace host
