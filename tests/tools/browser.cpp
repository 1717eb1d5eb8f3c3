#include "browser.h"

#include <filesystem>
#include <sstream>

#include "support/temp_dir.h"

namespace tesma::testing {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Arguments(const TempDir& profile) {
    // A profile of its own per run (tests run in parallel), no sandbox (tests may run as root
    // in a container), no GPU, and the console on standard error.
    return {HeadlessBrowser(),         "--headless",     "--no-sandbox",
            "--disable-gpu",           "--no-first-run", "--hide-scrollbars",
            "--enable-logging=stderr", "--v=0",          "--user-data-dir=" + profile.path()};
}

std::string Url(const std::string& file) { return "file://" + fs::absolute(file).string(); }

}  // namespace

std::string HeadlessBrowser() {
    for (const char* program : {"/usr/bin/chromium-headless-shell", "/usr/bin/chromium"})
        if (fs::exists(program)) return program;
    return {};
}

LoadedPage LoadPage(const std::string& file) {
    TempDir profile;
    std::vector<std::string> args = Arguments(profile);
    args.insert(args.end(), {"--dump-dom", Url(file)});
    LoadedPage page;
    page.run = RunProgram(args);
    page.dom = page.run.out;
    std::istringstream err(page.run.err);
    for (std::string line; std::getline(err, line);)
        if (line.find(":CONSOLE") != std::string::npos) page.console.push_back(line);
    return page;
}

ProcessResult Screenshot(const std::string& file, const std::string& png, int width, int height) {
    TempDir profile;
    std::vector<std::string> args = Arguments(profile);
    args.insert(args.end(), {"--screenshot=" + png,
                             "--window-size=" + std::to_string(width) + "," + std::to_string(height), Url(file)});
    return RunProgram(args);
}

}  // namespace tesma::testing
