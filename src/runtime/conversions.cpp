#include "runtime/conversions.h"

#include <cmath>
#include <cstdio>

#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/locale/number_format.h"
#include "platform/locale/settings.h"
#include "platform/text/cp1251.h"

namespace tesma {

Value NullToDefault(const Value& value, const Value& def) {
    switch (value.kind) {
        case ValueKind::Unassigned:
            throw InvalidValueError("invalid value: an unassigned value has no default");
        case ValueKind::Text:
            return value.text.empty() ? def : value;
        case ValueKind::Null:
            return def;
        default:
            return value;
    }
}

std::string ValueToText(const Value& value) {
    switch (value.kind) {
        case ValueKind::Text:
            return value.text;
        case ValueKind::SmallInt:
        case ValueKind::Integer:
            return std::to_string(value.integer);
        case ValueKind::Double:
            return locale::GeneralNumberText(value.real, '.');
        case ValueKind::Date:
            return locale::FormatShortDate(value.real, '.');
        default:
            return {};
    }
}

long double ValueToReal(const Value& value) {
    switch (value.kind) {
        case ValueKind::SmallInt:
        case ValueKind::Integer:
            return value.integer;
        case ValueKind::Single:
        case ValueKind::Double:
        case ValueKind::Currency:
        case ValueKind::Date:
            return value.real;
        case ValueKind::Text:
            return TextToNumber(value.text);
        default:
            return 0;
    }
}

long double TextToNumber(std::string_view text) {
    if (text.empty()) return 0;
    auto v = locale::ParseNumber(text, locale::Current().decimalSeparator);
    if (!v) throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
    return *v;
}

double TextToDate(std::string_view text, std::string_view format) {
    std::string fmt = text::LatinUpper(format);
    std::string t(text);
    if (fmt == "YYYYMMDD") {
        auto part = [&](std::size_t from, std::size_t count) {
            return from < t.size() ? t.substr(from, count) : std::string();
        };
        t = part(6, 2) + "." + part(4, 2) + "." + part(0, 4);
        fmt = "DD.MM.YYYY";
    }
    double result = 0;
    if (fmt.size() < 3 || !locale::ParseDate(t, locale::DateOrderOf(fmt), fmt[2], result))
        throw ConversionError("'" + std::string(text) + "' is not a valid date");
    return result;
}

double ShortDateTextToDate(std::string_view text) {
    const auto& settings = locale::Current();
    double result = 0;
    if (!locale::ParseDate(text, locale::DateOrderOf(settings.shortDateFormat), settings.dateSeparator, result))
        throw ConversionError("'" + std::string(text) + "' is not a valid date");
    return result;
}

namespace {

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
    for (std::size_t pos = 0; (pos = s.find(from, pos)) != std::string::npos; pos += to.size())
        s.replace(pos, from.size(), to);
    return s;
}

std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// The date-pattern language: Y, M, D, H, N, S runs; M after an hour means minutes;
// text in double or single quotes is copied; any other character is copied.
std::string FormatPattern(std::string_view pattern, double date) {
    const locale::CivilDate d = locale::DecodeDate(date);
    const locale::CivilTime t = locale::DecodeTime(date);
    std::string out;
    bool afterHour = false;
    for (std::size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        if (c == '"' || c == '\'') {
            std::size_t end = pattern.find(c, i + 1);
            if (end == std::string_view::npos) end = pattern.size();
            out.append(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) ++run;
        switch (c) {
            case 'Y': {
                char buf[16];
                if (run <= 2)
                    std::snprintf(buf, sizeof buf, "%02d", d.year % 100);
                else
                    std::snprintf(buf, sizeof buf, "%04d", d.year);
                out += buf;
                break;
            }
            case 'M':
                if (afterHour)
                    out += run >= 2 ? TwoDigits(t.minute) : std::to_string(t.minute);
                else
                    out += run >= 2 ? TwoDigits(d.month) : std::to_string(d.month);
                afterHour = false;
                break;
            case 'D':
                out += run >= 2 ? TwoDigits(d.day) : std::to_string(d.day);
                break;
            case 'H':
                out += run >= 2 ? TwoDigits(t.hour) : std::to_string(t.hour);
                afterHour = true;
                break;
            case 'N':
                out += run >= 2 ? TwoDigits(t.minute) : std::to_string(t.minute);
                break;
            case 'S':
                out += run >= 2 ? TwoDigits(t.second) : std::to_string(t.second);
                break;
            default:
                out.append(run, c);
                break;
        }
        if (c != 'H' && c != 'M' && c != ':' && c != ' ') afterHour = false;
        i += run;
    }
    return out;
}

}  // namespace

std::string DatePartText(std::string_view format, double date) {
    if (date == 0) return {};
    std::string fmt = text::LatinUpper(format);
    fmt = ReplaceAll(fmt, "MI", "NN");
    fmt = ReplaceAll(fmt, "24", "");
    if (fmt == "D") return std::to_string(locale::IsoDayOfWeek(date));
    return FormatPattern(fmt, date);
}

double CurrentDateTime() { return locale::Now(); }

}  // namespace tesma
