#include "platform/locale/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tesma::locale {

std::string GeneralNumberText(long double value, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    char buf[64];
    // Whole amounts, the usual case, need no rounding.
    if (value == std::trunc(value) && std::fabs(value) < 1e15L) {
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
        return std::string(buf, end);
    }
    // 15 significant digits, rounded once: d.dddddddddddddde±x
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, static_cast<double>(value), std::chars_format::scientific, 14);
    std::string s(buf, end);
    bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    std::size_t e = s.find('e');
    int exponent = std::atoi(s.c_str() + e + 1);
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] >= '0' && s[i] <= '9') digits += s[i];
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) {
            out += decimalSeparator;
            out.append(digits, 1, std::string::npos);
        }
        out += 'E';
        out += std::to_string(exponent);
        return out;
    }
    if (exponent < 0) {
        out += '0';
        out += decimalSeparator;
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    auto intDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intDigits) {
        out += digits;
        out.append(intDigits - digits.size(), '0');
    } else {
        out.append(digits, 0, intDigits);
        out += decimalSeparator;
        out.append(digits, intDigits, std::string::npos);
    }
    return out;
}

std::optional<long double> ParseNumber(std::string_view text, char decimalSeparator) {
    // Account numbers and whole amounts: digits alone.
    if (!text.empty() && text.size() <= 18 && text.find_first_not_of("0123456789") == std::string_view::npos) {
        long long v = 0;
        for (char c : text) v = v * 10 + (c - '0');
        return static_cast<long double>(v);
    }
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    std::string s;
    std::size_t i = b;
    if (i < e && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') s += '-';
        ++i;
    }
    int mantissaDigits = 0;
    bool point = false;
    for (; i < e; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            s += c;
            ++mantissaDigits;
        } else if (c == decimalSeparator && !point) {
            s += '.';
            point = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < e && (text[i] == 'e' || text[i] == 'E')) {
        s += 'e';
        ++i;
        if (i < e && (text[i] == '+' || text[i] == '-')) s += text[i++];
        int expDigits = 0;
        for (; i < e && text[i] >= '0' && text[i] <= '9'; ++i, ++expDigits) s += text[i];
        if (expDigits == 0) return std::nullopt;
    }
    if (i != e) return std::nullopt;
    long double value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Overflow is no number; underflow reads as zero.
        std::size_t ePos = s.find('e');
        if (ePos != std::string::npos && s[ePos + 1] == '-') return 0.0L;
        return std::nullopt;
    }
    if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
    return value;
}

std::optional<long long> ParseInteger(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    if (b < e && text[b] == '+') ++b;
    if (b == e) return std::nullopt;
    long long value = 0;
    auto [ptr, ec] = std::from_chars(text.data() + b, text.data() + e, value);
    if (ec != std::errc() || ptr != text.data() + e) return std::nullopt;
    return value;
}

}  // namespace tesma::locale
