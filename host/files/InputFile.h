// InputFile.h - a regular file read in bounded chunks, refused before its first byte when it is anything else.
//
// The file is opened once and judged by what the open descriptor is, so a name
// swapped between the check and the read changes nothing. Opening never waits
// (a FIFO without a writer is refused, not waited on); a directory, device,
// FIFO or socket is refused, and so is a file larger than the given limit,
// both by its size before reading and by what reading really yields, so a file
// that grows while it is read cannot exhaust memory. Reading holds one chunk
// at a time: begin() gives an input iterator over the whole content for a
// parser that streams, and NextWindow() hands out the content in windows of a
// chunk, each beginning with as much of the window before as the reader asks
// to keep (a token it has not finished). Where the text breaks its lines
// makes no difference. Rewind() starts a second reading from the first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace host {

/// Why a file could not be read, e.g. "it is not a regular file" (the caller names the file).
class InputFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class InputFile {
public:
    /// Opens `path` for reading; throws InputFileError when it cannot be opened, is not a
    /// regular file or holds more than `maxBytes` bytes.
    InputFile(const std::filesystem::path& path, std::uint64_t maxBytes);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    /// Input iterator over the file's bytes; equal to the default-made one at the end.
    /// Advancing may read the next chunk and throw InputFileError on a read failure or
    /// once more than the limit has been read.
    class ByteIterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = char;
        using difference_type = std::ptrdiff_t;
        using pointer = const char*;
        using reference = const char&;

        ByteIterator() = default;
        explicit ByteIterator(InputFile* file) : file_(file) {}

        reference operator*() const { return *file_->next_; }
        ByteIterator& operator++() {
            ++file_->next_;
            return *this;
        }
        void operator++(int) { ++*this; }
        bool operator==(const ByteIterator& other) const { return AtEnd() == other.AtEnd(); }

    private:
        bool AtEnd() const { return file_ == nullptr || (file_->next_ == file_->end_ && !file_->ReadChunk()); }

        InputFile* file_ = nullptr; // null for the end
    };

    /// The file's content from where reading stands; one pass only.
    ByteIterator begin() { return ByteIterator(this); }
    static ByteIterator end() { return ByteIterator(); }

    /// The next stretch of the content, valid until the next call: the last `keep` bytes of
    /// the window before, then at least a chunk, or as many bytes as are kept if that is more;
    /// only the kept bytes at the end of the file. Throws as advancing does.
    std::string_view NextWindow(std::size_t keep = 0);

    /// The file's size when it was opened, and how much of it has been read so far.
    std::uint64_t Size() const { return size_; }
    std::uint64_t BytesRead() const { return bytesRead_; }

    /// Back to the first byte, for reading the content again (either way).
    void Rewind();

private:
    /// Reads the next chunk into the buffer; false at the end of the file.
    bool ReadChunk();
    /// Reads at most `size` bytes to `at`, counting them against the limit; 0 at the end.
    std::size_t ReadInto(char* at, std::size_t size);
    /// A buffer of `capacity` bytes, beginning with the last `keep` bytes read.
    void GrowBuffer(std::size_t keep, std::size_t capacity);

    int descriptor_ = -1;
    std::uint64_t maxBytes_ = 0;
    std::uint64_t size_ = 0;      // as the open file said, for progress
    std::uint64_t bytesRead_ = 0; // checked against maxBytes_ as chunks arrive
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    const char* next_ = nullptr; // the next unread byte of the buffer
    const char* end_ = nullptr;  // one past the last byte read into the buffer
};

} // namespace host
