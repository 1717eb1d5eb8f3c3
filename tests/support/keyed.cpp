#include "support/keyed.h"

namespace tesma::testing {

std::string AsFileVersion(const std::string& bytes, int version) {
    const std::size_t headerSize = static_cast<unsigned char>(bytes[2]) | (static_cast<unsigned char>(bytes[3]) << 8);
    const std::size_t numFields = static_cast<unsigned char>(bytes[0x21]);
    const std::size_t nameAt = 0x78 + numFields * 6 + 4;  // after the descriptors and pointers
    std::string h =
        bytes.substr(0, nameAt) + bytes.substr(nameAt, 79) + bytes.substr(nameAt + 261, headerSize - nameAt - 261);
    h[0x39] = static_cast<char>(version);
    if (version < 5) {
        h.erase(0x58, 0x20);
        // A table of 3.5 has no second header part, so its encryption word is 0 when it is not
        // encrypted (0xFF00FF00 would send a reader to the part it lacks).
        h.replace(0x25, 4, 4, '\0');
    } else
        h[0x58] = h[0x5A] = static_cast<char>(version);
    h.resize(headerSize, '\0');  // the data blocks stay where they were
    return h + bytes.substr(headerSize);
}

}  // namespace tesma::testing
