// FileIdentity.cpp - following links to the file a path names, and comparing files by identity.
#include "files/FileIdentity.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

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
#if defined(_WIN32)
    // Not asked on Windows: there a shell opens a redirection's file without letting it be
    // deleted, so the rename over it fails and the run's outputs are put back; and a stream's
    // handle cannot always tell which file it is (it cannot under Wine).
    static_cast<void>(descriptor);
    static_cast<void>(path);
    return false;
#else
    struct stat written {};
    struct stat named {};
    return ::fstat(descriptor, &written) == 0 && S_ISREG(written.st_mode) && ::stat(path.c_str(), &named) == 0 &&
           named.st_dev == written.st_dev && named.st_ino == written.st_ino;
#endif
}

} // namespace host
