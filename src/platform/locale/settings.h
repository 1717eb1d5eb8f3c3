#pragma once
// The regional settings the library works with: the short date format ("dd.mm.yyyy") with the
// separator between its parts, and the decimal separator. One object for the process, so that
// every date and number text the library writes reads back the same way.
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
