#include "png.h"

#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tesma::testing {

namespace {

std::uint32_t Big32(const std::string& s, std::size_t at) {
    return (std::uint32_t(std::uint8_t(s[at])) << 24) | (std::uint32_t(std::uint8_t(s[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(s[at + 2])) << 8) | std::uint32_t(std::uint8_t(s[at + 3]));
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

Image ReadPng(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    const std::string bytes = s.str();
    if (bytes.size() < 8 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        throw std::runtime_error(path + ": not a PNG");
    Image image;
    int channels = 0;
    std::string compressed;
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const std::uint32_t length = Big32(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        if (type == "IHDR") {
            image.width = static_cast<int>(Big32(bytes, at + 8));
            image.height = static_cast<int>(Big32(bytes, at + 12));
            const int depth = std::uint8_t(bytes[at + 16]), colour = std::uint8_t(bytes[at + 17]);
            if (depth != 8 || (colour != 2 && colour != 6) || bytes[at + 20] != 0)
                throw std::runtime_error(path + ": not 8-bit RGB(A) without interlace");
            channels = colour == 2 ? 3 : 4;
        } else if (type == "IDAT") {
            compressed += bytes.substr(at + 8, length);
        }
        at += 12 + length;
    }
    const std::size_t stride = static_cast<std::size_t>(image.width) * channels;
    std::string raw((stride + 1) * image.height, '\0');
    uLongf size = raw.size();
    if (channels == 0 ||
        uncompress(reinterpret_cast<Bytef*>(raw.data()), &size, reinterpret_cast<const Bytef*>(compressed.data()),
                   compressed.size()) != Z_OK ||
        size != raw.size())
        throw std::runtime_error(path + ": damaged image data");
    std::vector<std::uint8_t> previous(stride, 0), line(stride);
    image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const std::size_t base = y * (stride + 1);
        const int filter = std::uint8_t(raw[base]);
        for (std::size_t i = 0; i < stride; ++i) {
            const int x = std::uint8_t(raw[base + 1 + i]);
            const int a = i >= std::size_t(channels) ? line[i - channels] : 0, b = previous[i],
                      c = i >= std::size_t(channels) ? previous[i - channels] : 0;
            const int add = filter == 1   ? a
                            : filter == 2 ? b
                            : filter == 3 ? (a + b) / 2
                            : filter == 4 ? Paeth(a, b, c)
                                          : 0;
            line[i] = static_cast<std::uint8_t>(x + add);
        }
        for (int x = 0; x < image.width; ++x)
            image.pixels.push_back({line[x * channels], line[x * channels + 1], line[x * channels + 2]});
        previous.swap(line);
    }
    return image;
}

}  // namespace tesma::testing
