// InputFile.cpp - opening without waiting, judging the open descriptor, and reading chunk by chunk.
#include "files/InputFile.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace host {

namespace {

// Big enough that reading costs few calls, small enough that it is no memory to speak of.
constexpr std::size_t kChunkBytes = 64 * 1024;

[[noreturn]] void RefuseWithErrno() {
    throw InputFileError(std::strerror(errno));
}

[[noreturn]] void RefuseAsTooLarge(std::uint64_t maxBytes) {
    throw InputFileError("it is larger than the limit of " + std::to_string(maxBytes / (1024 * 1024)) + " MiB");
}

#if defined(_WIN32)
int OpenForReading(const std::filesystem::path& path) {
    const int descriptor = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
    if (descriptor < 0) {
        // Windows does not open a directory as a file; say what it is rather than "Permission denied".
        const int openError = errno;
        std::error_code ignored;
        if (std::filesystem::is_directory(path, ignored)) {
            throw InputFileError("it is a directory");
        }
        errno = openError;
        RefuseWithErrno();
    }
    return descriptor;
}

bool IsRegularFile(int descriptor, std::uint64_t& size, bool& isDirectory) {
    struct _stat64 status {};
    if (::_fstat64(descriptor, &status) != 0) {
        RefuseWithErrno();
    }
    isDirectory = (status.st_mode & _S_IFMT) == _S_IFDIR;
    size = static_cast<std::uint64_t>(status.st_size);
    return (status.st_mode & _S_IFMT) == _S_IFREG;
}

long ReadSome(int descriptor, char* buffer, std::size_t size) {
    return ::_read(descriptor, buffer, static_cast<unsigned>(size));
}

bool SeekToStart(int descriptor) {
    return ::_lseeki64(descriptor, 0, SEEK_SET) == 0;
}

void CloseDescriptor(int descriptor) {
    ::_close(descriptor);
}
#else
int OpenForReading(const std::filesystem::path& path) {
    // Non-blocking, so that a FIFO with no writer opens at once and is then refused for what it is.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        RefuseWithErrno();
    }
    return descriptor;
}

bool IsRegularFile(int descriptor, std::uint64_t& size, bool& isDirectory) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        RefuseWithErrno();
    }
    isDirectory = S_ISDIR(status.st_mode);
    size = static_cast<std::uint64_t>(status.st_size);
    return S_ISREG(status.st_mode);
}

long ReadSome(int descriptor, char* buffer, std::size_t size) {
    ssize_t count = 0;
    do {
        count = ::read(descriptor, buffer, size);
    } while (count < 0 && errno == EINTR);
    return static_cast<long>(count);
}

bool SeekToStart(int descriptor) {
    return ::lseek(descriptor, 0, SEEK_SET) == 0;
}

void CloseDescriptor(int descriptor) {
    ::close(descriptor);
}
#endif

} // namespace

InputFile::InputFile(const std::filesystem::path& path, std::uint64_t maxBytes)
    : descriptor_(OpenForReading(path)), maxBytes_(maxBytes) {
    try {
        std::uint64_t size = 0;
        bool isDirectory = false;
        if (!IsRegularFile(descriptor_, size, isDirectory)) {
            throw InputFileError(isDirectory ? "it is a directory" : "it is not a regular file");
        }
        if (size > maxBytes_) {
            RefuseAsTooLarge(maxBytes_);
        }
        size_ = size;
        buffer_ = std::make_unique<char[]>(kChunkBytes);
        capacity_ = kChunkBytes;
    } catch (...) {
        CloseDescriptor(descriptor_);
        throw;
    }
}

InputFile::~InputFile() {
    CloseDescriptor(descriptor_);
}

bool InputFile::ReadChunk() {
    const std::size_t count = ReadInto(buffer_.get(), kChunkBytes);
    next_ = buffer_.get();
    end_ = next_ + count;
    return count > 0;
}

std::size_t InputFile::ReadInto(char* at, std::size_t size) {
    const long count = ReadSome(descriptor_, at, std::min(size, kChunkBytes));
    if (count < 0) {
        RefuseWithErrno();
    }
    bytesRead_ += static_cast<std::uint64_t>(count);
    if (bytesRead_ > maxBytes_) {
        RefuseAsTooLarge(maxBytes_);
    }
    return static_cast<std::size_t>(count);
}

std::string_view InputFile::NextWindow(std::size_t keep) {
    assert((keep == 0 || keep <= static_cast<std::size_t>(end_ - buffer_.get())) &&
           "NextWindow keeps bytes of the window before");
    // The kept bytes move to the front, and behind them at least as many new bytes are read as
    // are kept, a chunk at the least: a token that keeps asking for more doubles its window each
    // time, so reading it costs time in proportion to its length.
    const std::size_t wanted = std::max(keep, kChunkBytes);
    if (keep + wanted > capacity_) {
        GrowBuffer(keep, keep + wanted);
    } else if (keep > 0) {
        std::memmove(buffer_.get(), end_ - keep, keep);
    }
    char* buffer = buffer_.get();
    std::size_t filled = keep;
    while (filled < keep + wanted) {
        const std::size_t count = ReadInto(buffer + filled, keep + wanted - filled);
        if (count == 0) {
            break;
        }
        filled += count;
    }
    next_ = buffer + filled; // the window is handed out whole
    end_ = buffer + filled;
    return {buffer, filled};
}

void InputFile::GrowBuffer(std::size_t keep, std::size_t capacity) {
    auto grown = std::make_unique<char[]>(capacity);
    std::memcpy(grown.get(), end_ - keep, keep);
    buffer_ = std::move(grown);
    capacity_ = capacity;
}

void InputFile::Rewind() {
    if (!SeekToStart(descriptor_)) {
        RefuseWithErrno();
    }
    bytesRead_ = 0;
    next_ = nullptr;
    end_ = nullptr;
}

} // namespace host
