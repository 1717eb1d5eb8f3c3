#pragma once
// Headless Chromium from Debian (chromium-headless-shell, else chromium) as the judge of the
// pages f101 writes: the DOM it builds of a page, what the page said on its console, and a
// screenshot.
#include <string>
#include <vector>

#include "process.h"

namespace tesma::testing {

// The browser's program, or empty when neither package is installed.
std::string HeadlessBrowser();

struct LoadedPage {
    ProcessResult run;
    std::string dom;                   // the document as the browser built it
    std::vector<std::string> console;  // every message on the page's console (errors included)
};

// Opens a page file. (To open a page with scripts disabled, give it a Content-Security-Policy
// of "script-src 'none'": the browser's switch for it also stops it reporting the DOM.)
LoadedPage LoadPage(const std::string& file);

// Draws the page in a window of the size given and writes it to a PNG file.
ProcessResult Screenshot(const std::string& file, const std::string& png, int width, int height);

}  // namespace tesma::testing
