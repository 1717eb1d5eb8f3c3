#include "run_host.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text/cp1251.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

std::uintmax_t SizeOf(const std::string& path) {
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

std::string ReadFrom(const std::string& path, std::uintmax_t offset) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    in.seekg(static_cast<std::streamoff>(offset));
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Removes a temporary file when it leaves scope.
struct TempFile {
    std::string path;
    TempFile() {
        std::string pattern = (fs::temp_directory_path() / "f101-messages-XXXXXX").string();
        int fd = ::mkstemp(pattern.data());
        if (fd >= 0) ::close(fd);
        path = pattern;
    }
    ~TempFile() { ::unlink(path.c_str()); }
};

}  // namespace

std::string LibraryPath() {
    if (const char* env = std::getenv("TESMA_LIB"); env && *env) return env;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path& candidate : {exe / "libtesmaC.so", exe / "../lib/libtesmaC.so", exe / "../libtesmaC.so"})
        if (fs::exists(candidate)) return candidate.string();
    return "libtesmaC.so";
}

RunOutcome RunOnFolder(hostkit::Library& lib, const ReportFolder& folder, const RunRequest& request) {
    hostkit::DescriptorSet records(folder.forms, folder.tables, folder.fields);
    TempFile messages;
    ::setenv("TESMA_MESSAGES", messages.path.c_str(), 1);
    if (request.discardChanges) ::setenv("TESMA_DISCARD_CHANGES", "1", 1);
    else ::unsetenv("TESMA_DISCARD_CHANGES");
    const std::uintmax_t before = SizeOf(request.protocol);
    const std::string protocol = text::FromUtf8(request.protocol, true);
    const std::string overrideDir = request.overrideDir.empty() ? std::string() : text::FromUtf8(request.overrideDir, true);
    lib.RunControl1(nullptr, request.tableId, 0, request.mode, request.instance, folder.date, protocol.c_str(),
                    folder.dirCp.c_str(), overrideDir.c_str(), records.Forms(), records.FormCount(), records.Tables(),
                    records.TableCount(), records.Fields(), records.FieldCount(), nullptr, 0);
    ::unsetenv("TESMA_MESSAGES");
    ::unsetenv("TESMA_DISCARD_CHANGES");

    RunOutcome out;
    std::uintmax_t from = before;
    if (SizeOf(request.protocol) < before) from = 0;  // an end-of-file mark was cut
    out.appended = ReadFrom(request.protocol, from);
    // Every procedure writes its header line: nothing at all means the protocol was not opened.
    out.protocolOpened = !out.appended.empty();
    std::ifstream in(messages.path);
    for (std::string line; std::getline(in, line);) out.messages.push_back(line);
    return out;
}

}  // namespace tesma::f101
