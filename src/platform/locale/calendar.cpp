#include "platform/locale/calendar.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace tesma::locale {

namespace {

// Days from 1970-01-01 of a civil date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

CivilDate CivilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// 30 December 1899 counted from 1 January 1970.
constexpr long long kEpochShift = -25569;

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return days[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

double EncodeDate(int year, int month, int day) {
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                               kEpochShift);
}

CivilDate DecodeDate(double date) {
    // The whole part is the day on both sides of zero; the fraction is only the time of day.
    return CivilFromDays(static_cast<long long>(std::trunc(date)) + kEpochShift);
}

double WithTimeOfDay(double day, double time) { return day < 0 ? day - time : day + time; }

double ToContinuousDays(double date) {
    const double day = std::trunc(date);
    return day + std::fabs(date - day);
}

double FromContinuousDays(double days) {
    const double day = std::floor(days);
    return WithTimeOfDay(day, days - day);
}

CivilTime DecodeTime(double date) {
    double fraction = std::fabs(date - std::trunc(date));
    auto ms = static_cast<long long>(std::llround(fraction * 86400000.0));
    if (ms >= 86400000) ms = 86399999;
    return {static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
            static_cast<int>(ms % 1000)};
}

int IsoDayOfWeek(double date) {
    // 30 December 1899 was a Saturday (6).
    long long days = static_cast<long long>(std::trunc(date));
    long long dow = ((days + 5) % 7 + 7) % 7;  // 0 = Monday
    return static_cast<int>(dow) + 1;
}

double Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    double day = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    double time =
        (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + static_cast<double>(ms) / 1000.0) / 86400.0;
    return WithTimeOfDay(day, time);
}

std::string FormatShortDate(double date, char separator) {
    if (date == 0) return {};
    CivilDate c = DecodeDate(date);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%c%02d%c%04d", c.day, separator, c.month, separator, c.year);
    return buf;
}

bool ParseDate(std::string_view text, std::string_view order, char separator, double& result) {
    // Blanks around the whole text and around the numbers are tolerated.
    int numbers[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ') ++i;
    };
    skipBlanks();
    while (true) {
        skipBlanks();
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (digits[part] >= 4) return false;
            numbers[part] = numbers[part] * 10 + (text[i] - '0');
            ++digits[part];
            ++i;
        }
        if (digits[part] == 0) return false;
        skipBlanks();
        if (part == 2) break;
        if (i >= text.size() || text[i] != separator) return false;
        ++i;
        ++part;
    }
    if (i != text.size()) return false;
    int day = 0, month = 0, year = 0, yearDigits = 0;
    for (int k = 0; k < 3; ++k) {
        switch (order[k]) {
            case 'D':
                day = numbers[k];
                break;
            case 'M':
                month = numbers[k];
                break;
            default:
                year = numbers[k];
                yearDigits = digits[k];
                break;
        }
    }
    if (yearDigits <= 2) year += year < 50 ? 2000 : 1900;
    if (!IsValidDate(year, month, day)) return false;
    result = EncodeDate(year, month, day);
    return true;
}

std::string DateOrderOf(std::string_view pattern) {
    for (char c : pattern) {
        char u = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        if (u == 'D') return "DMY";
        if (u == 'M') return "MDY";
        if (u == 'Y') return "YMD";
    }
    return "DMY";
}

}  // namespace tesma::locale
