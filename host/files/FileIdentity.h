// FileIdentity.h - whether two paths name one file, and which file writing a path would replace.
//
// The host refuses an output that would overwrite its galaxy, its plug-in or
// another output. Paths are compared as files, not as texts: "./plan.svg",
// "plan.svg", a symbolic link to it and a hard link all name the same file.
// Files that do not exist yet are compared by where they would be created.
// Standard output and error redirected to a file count as outputs too: the
// file an output would replace under them is found by its identity.
#pragma once

#include <filesystem>

namespace host {

/// The file that writing `path` creates or replaces: symbolic links followed to their end,
/// the folder absolute and canonical as far as it exists. `path` itself need not exist.
std::filesystem::path OutputLocation(const std::filesystem::path& path);

/// True when `a` and `b` name one file: by device and inode (or the platform's file
/// index) when both exist, otherwise by their OutputLocation.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

/// True when `descriptor` is open on a regular file and `path` names that very file (by
/// device and inode), so that replacing `path` would take the file away from under the
/// descriptor. False for a device, a pipe or a terminal; always false on Windows, where the
/// rename over a file that a redirection holds open fails instead.
bool DescriptorWritesFile(int descriptor, const std::filesystem::path& path);

} // namespace host
