#include "platform/executable_folder.h"

#include <unistd.h>

#include "platform/text/cp1251.h"

namespace tesma {

std::string ExecutableFolder() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string path(buf, static_cast<std::size_t>(n));
    auto slash = path.find_last_of('/');
    return text::FromUtf8(slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1));
}

}  // namespace tesma
