#pragma once
// A file system that fails the steps a test chooses, as a full disk or a failing device would,
// in use for as long as it lives; every other step is the system's own.
#include <functional>
#include <map>
#include <string>

#include "platform/engine/file_system.h"

namespace tesma::testing {

class FileFaults final : public engine::FileSystem {
public:
    // Open is opening an existing file; an open that may create one (O_CREAT) is Create.
    enum class Step { Open, Create, Write, Sync, SyncFolder, Truncate, Rename, Unlink, Lock };
    // The error number the step fails with, or 0 for the step to happen. `path` is the file the
    // step is on: the one a descriptor was opened on, the new name of a rename.
    using Rule = std::function<int(Step step, const std::string& path)>;

    explicit FileFaults(Rule rule);
    ~FileFaults() override;

    UniqueFd Open(const std::string& path, int flags, mode_t mode) override;
    ssize_t Write(int fd, const void* data, std::size_t size) override;
    int Sync(int fd) override;
    int SyncFolder(const std::string& path) override;
    int Truncate(int fd, off_t length) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Unlink(const std::string& path) override;
    int Lock(int fd, int operation) override;

private:
    // True, with errno set, when the rule fails the step.
    bool Fails(Step step, const std::string& path);
    const std::string& PathOf(int fd) const;

    Rule rule_;
    engine::FileSystem& system_;
    std::map<int, std::string> paths_;  // the file each descriptor opened here was opened on
};

}  // namespace tesma::testing
