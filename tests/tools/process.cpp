#include "process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tesma::testing {

namespace {

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

ProcessResult RunProgram(const std::vector<std::string>& args, const std::string& environment) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string tag = std::to_string(::getpid()) + "-" + std::to_string(std::rand());
    const std::string out = (dir / ("f101-out-" + tag)).string(), err = (dir / ("f101-err-" + tag)).string();
    // No run may hang a test: a program still running after a minute is stopped (status 124).
    std::string cmd = environment.empty() ? "" : environment + " ";
    cmd += "timeout -k 5 60 ";
    for (const auto& a : args) cmd += Quote(a) + " ";
    cmd += "</dev/null >" + Quote(out) + " 2>" + Quote(err);
    ProcessResult r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
}

}  // namespace tesma::testing
