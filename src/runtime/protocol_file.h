#pragma once
// The protocol file: plain text in code page 1251, CR LF after every line, appended run after
// run. Held open only during a run; others may read it meanwhile but not write it.
#include <functional>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

namespace tesma::runtime {

class ProtocolFile {
public:
    ProtocolFile() = default;
    ~ProtocolFile() { Close(); }
    ProtocolFile(const ProtocolFile&) = delete;
    ProtocolFile& operator=(const ProtocolFile&) = delete;

    // Opens an existing file for appending (first cutting it at the first end-of-file
    // character 26 among its last 128 bytes) or creates it. Returns 0, or the error number of
    // the failure (missing folder, no access, a folder of that name, held by another writer).
    // A character device (such as /dev/null) or a FIFO is written as it is, with no cutting
    // and no lock. A FIFO that nobody reads is tried again after each call of `awaitReader`
    // (which lets some time pass) for as long as it returns true; then, or without one, the
    // open fails (ENXIO). Opening itself never waits.
    int Open(std::string_view path, const std::function<bool()>& awaitReader = nullptr);
    bool IsOpen() const { return static_cast<bool>(fd_); }

    // Appends text and CR LF. Output goes through a 128-byte buffer; a failed write raises an
    // IoError naming the file at the write that fills the buffer. A regular file is then cut
    // back to its last whole line, so that it never ends in part of a line; every line that
    // reached it whole stays.
    void WriteLine(std::string_view text);
    // As WriteLine, but any failure is ignored, and nothing happens when the file is closed.
    void WriteLineUnchecked(std::string_view text) noexcept;
    // Writes out the buffer and closes; errors are ignored. Harmless when closed.
    void Close() noexcept;

private:
    void Put(std::string_view bytes);
    void Flush();
    UniqueFd fd_;
    bool regular_ = true;    // a regular file (not a device or a FIFO)
    bool endsInCR_ = false;  // the last byte that reached the file is a CR (its LF may follow)
    std::string path_;
    long long end_ = 0;      // file offset after the bytes written so far
    long long lineEnd_ = 0;  // file offset after the last whole line written
    std::string buffer_;
    static constexpr std::size_t kBufferSize = 128;
};

}  // namespace tesma::runtime
