#include "pages.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "f101_commands.h"

namespace tesma::bench {

namespace fs = std::filesystem;

namespace {

// The wall-clock seconds of a program with its output and errors dropped, or a negative number
// when it did not end well.
double Seconds(const std::vector<std::string>& args) {
    const Timing t = Timed(args, "/dev/null", "/dev/null");
    return t.status == 0 || t.status == 1 ? t.seconds : -1;
}

std::string Browser() {
    for (const char* program : {"/usr/bin/chromium-headless-shell", "/usr/bin/chromium"})
        if (fs::exists(program)) return program;
    return {};
}

// The least of three draws: a screenshot of the page, browser start included.
double Draw(const std::string& browser, const std::string& page, const std::string& scratch) {
    double best = -1;
    for (int i = 0; i < 3; ++i) {
        const std::string profile = scratch + "/profile-" + std::to_string(i);
        const double s = Seconds({browser, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                                  "--user-data-dir=" + profile, "--screenshot=" + scratch + "/page.png",
                                  "--window-size=1600,1200", "file://" + page});
        fs::remove_all(profile);
        if (s >= 0 && (best < 0 || s < best)) best = s;
    }
    return best;
}

}  // namespace

int RunPageFigures(const std::string& f101, const std::string& folder, const std::string& scratch) {
    fs::create_directories(scratch);
    const std::string page = fs::absolute(scratch + "/capacity.html").string();
    std::printf("\nthe page of a chapter at capacity (f101 check --chapter А --html)\n");
    if (Seconds({f101, "check", folder, "--chapter", "А", "--dry-run", "--quiet", "--html", page}) < 0) {
        std::printf("  f101 check --html failed\n");
        return 1;
    }
    const double size = static_cast<double>(fs::file_size(page));
    std::printf("  page size                              %8.2f MB  (bound 2 MB)  %.2fx\n", size / 1e6, size / 2e6);
    int status = size < 2e6 ? 0 : 1;
    const std::string browser = Browser();
    if (browser.empty()) {
        std::printf("  drawing: no headless Chromium (make deps installs it)\n");
        return status;
    }
    const std::string empty = fs::absolute(scratch + "/empty.html").string();
    std::ofstream(empty) << "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body></body></html>\n";
    const double start = Draw(browser, empty, scratch), drawn = Draw(browser, page, scratch);
    if (start < 0 || drawn < 0) {
        std::printf("  drawing: the browser failed\n");
        return 1;
    }
    std::printf(
        "  drawn by headless Chromium             %8.2f s   (an empty page %.2f s; the page's own %.2f s, "
        "bound 3 s)  %.2fx\n",
        drawn, start, drawn - start, (drawn - start) / 3);
    return drawn - start < 3 ? status : 1;
}

}  // namespace tesma::bench
