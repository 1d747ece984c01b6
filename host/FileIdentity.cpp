// FileIdentity.cpp - following links to the file a path names, and comparing files by identity.
#include "host/FileIdentity.h"

#if defined(_WIN32)
#include "platform/WinTypes.h"

#include <io.h>
#else
#include <sys/stat.h>
#endif

#include <cstdint>
#include <optional>
#include <system_error>

namespace host {
namespace {

/// More links than this in a row is a loop; the path is then taken as it stands.
constexpr int kMostLinksFollowed = 40;

std::filesystem::path FollowLinks(std::filesystem::path path) {
    std::error_code error;
    for (int hop = 0; hop < kMostLinksFollowed && std::filesystem::is_symlink(path, error); ++hop) {
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) {
            break;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

/// Which file an open file is, and whether it is a regular file.
struct OpenFileKey {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    bool regular = false;

    bool SameAs(const OpenFileKey& other) const { return device == other.device && index == other.index; }
};

#if defined(_WIN32)
std::optional<OpenFileKey> KeyOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle, &info)) {
        return std::nullopt;
    }
    return OpenFileKey{info.dwVolumeSerialNumber,
                       (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow,
                       ::GetFileType(handle) == FILE_TYPE_DISK &&
                           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0};
}

std::optional<OpenFileKey> KeyOfDescriptor(int descriptor) {
    return KeyOfHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor)));
}

std::optional<OpenFileKey> KeyOfPath(const std::filesystem::path& path) {
    // Opened for no access at all: only to ask which file it is, whoever else holds it open.
    const HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    std::optional<OpenFileKey> key = KeyOfHandle(handle);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
    return key;
}
#else
OpenFileKey KeyOfStat(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
            S_ISREG(status.st_mode)};
}

std::optional<OpenFileKey> KeyOfDescriptor(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 ? std::optional(KeyOfStat(status)) : std::nullopt;
}

std::optional<OpenFileKey> KeyOfPath(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? std::optional(KeyOfStat(status)) : std::nullopt;
}
#endif

} // namespace

std::filesystem::path OutputLocation(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(FollowLinks(path), error);
    if (error) {
        return path.lexically_normal();
    }
    const std::filesystem::path folder = std::filesystem::weakly_canonical(absolute.parent_path(), error);
    return error ? absolute.lexically_normal() : (folder / absolute.filename()).lexically_normal();
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::exists(a, error) && std::filesystem::exists(b, error)) {
        return std::filesystem::equivalent(a, b, error);
    }
    return OutputLocation(a) == OutputLocation(b);
}

bool DescriptorWritesFile(int descriptor, const std::filesystem::path& path) {
    const std::optional<OpenFileKey> open = KeyOfDescriptor(descriptor);
    if (!open || !open->regular) {
        return false;
    }
    const std::optional<OpenFileKey> named = KeyOfPath(path);
    return named && named->SameAs(*open);
}

} // namespace host
