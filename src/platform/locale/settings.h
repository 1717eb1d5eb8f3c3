#pragma once
// The "system settings" the library reads: what the Windows regional settings gave the original.
#include <string>

namespace tesma::locale {

struct Settings {
    std::string shortDateFormat = "dd.mm.yyyy";
    char dateSeparator = '.';
    // The library's own decimal texts must read back, so the default is the point.
    char decimalSeparator = '.';
};

// The settings in force. Tests may change them (see ScopedSettings).
Settings& Current();

// Restores the previous settings when it leaves scope.
class ScopedSettings {
public:
    explicit ScopedSettings(Settings replacement) : saved_(Current()) { Current() = std::move(replacement); }
    ~ScopedSettings() { Current() = saved_; }
    ScopedSettings(const ScopedSettings&) = delete;
    ScopedSettings& operator=(const ScopedSettings&) = delete;

private:
    Settings saved_;
};

}  // namespace tesma::locale
