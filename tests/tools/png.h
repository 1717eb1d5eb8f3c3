#pragma once
// Reading a PNG screenshot back into pixels, to look at what a browser drew: 8-bit RGB or RGBA,
// not interlaced (what headless Chromium writes).
#include <cstdint>
#include <string>
#include <vector>

namespace tesma::testing {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // row by row
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Throws std::runtime_error for a file it cannot read.
Image ReadPng(const std::string& path);

}  // namespace tesma::testing
