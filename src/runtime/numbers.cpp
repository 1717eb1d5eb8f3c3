#include "runtime/numbers.h"

#include <cmath>
#include <iterator>
#include <optional>

#include "runtime/texts.h"

namespace tesma {

bool CompareNumbers(std::string_view op, long double a, long double b) {
    constexpr long double base = 1e-15L;
    long double sum = std::fabs(a) + std::fabs(b);
    long double tol = sum > base ? sum * base : base;
    long double diff = a - b;
    if (op == "=") return std::fabs(diff) < tol;
    if (op == "<>") return std::fabs(diff) > tol;
    if (op == "<") return diff < -tol;
    if (op == ">") return diff > tol;
    if (op == "<=") return diff < tol;
    if (op == ">=") return diff > -tol;
    return true;
}

bool IsNumberText(std::string_view text) {
    if (text.empty()) return false;
    if (text[0] == '-' || text[0] == '+') {
        if (text.size() == 1) return false;
        text.remove_prefix(1);
    }
    bool point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') continue;
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        return false;
    }
    return true;
}

namespace {

std::size_t DecimalsOf(const std::string& t) {
    auto p = t.find('.');
    return p == std::string::npos ? 0 : t.size() - p - 1;
}

constexpr std::size_t kWidth = 64;

enum class Op { Add, Subtract };

std::string Tidy(std::string r) {
    std::size_t z = 0;
    while (z < r.size() && r[z] == '0') ++z;
    r.erase(0, z);
    if (!r.empty() && r[0] == '.') r.insert(0, "0");
    if (!r.empty() && r.back() == '.') r.pop_back();
    return r;
}

std::string Arithmetic(Op op, std::string_view a, std::string_view b);

// Units of 0.0001 of an unsigned number text cut to four decimals, when it has at most 30
// digits: exact in 128 bits, and the same as the text arithmetic gives (which only loses
// digits beyond 64 positions).
std::optional<unsigned __int128> Units(std::string_view t) {
    unsigned __int128 v = 0;
    int digits = 0, decimals = -1;
    for (char c : t) {
        if (c == '.') {
            decimals = 0;
            continue;
        }
        if (decimals >= 4) continue;  // cut, never rounded
        if (++digits > 30) return std::nullopt;
        v = v * 10 + static_cast<unsigned>(c - '0');
        if (decimals >= 0) ++decimals;
    }
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d) v *= 10;
    return v;
}

std::string FromUnits(unsigned __int128 v) {
    char buf[48];
    int n = 0;
    for (int d = 0; d < 4; ++d, v /= 10) buf[n++] = static_cast<char>('0' + static_cast<int>(v % 10));
    buf[n++] = '.';
    do {
        buf[n++] = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    } while (v != 0);
    return std::string(std::make_reverse_iterator(buf + n), std::make_reverse_iterator(buf));
}

// Both operands unsigned number texts.
std::string UnsignedArithmetic(Op op, std::string_view a, std::string_view b) {
    if (auto ua = Units(a), ub = Units(b); ua && ub) {
        if (op == Op::Add) return FromUnits(*ua + *ub);
        if (*ua < *ub) return "-" + FromUnits(*ub - *ua);
        return FromUnits(*ua - *ub);
    }
    std::string fa = FixNumberText(a, 4, kWidth);
    std::string fb = FixNumberText(b, 4, kWidth);
    // The arithmetic works on the 64 rightmost positions.
    if (fa.size() > kWidth) fa.erase(0, fa.size() - kWidth);
    if (fb.size() > kWidth) fb.erase(0, fb.size() - kWidth);
    if (op == Op::Subtract) {
        for (std::size_t i = 0; i < kWidth; ++i) {
            if (fa[i] == fb[i]) continue;
            if (fa[i] < fb[i]) return "-" + Arithmetic(Op::Subtract, fb, fa);
            break;
        }
    }
    std::string r(kWidth, '0');
    int carry = 0;
    for (std::size_t k = kWidth; k-- > 0;) {
        if (fa[k] == '.') {
            r[k] = '.';
            continue;
        }
        int da = fa[k] - '0';
        int db = fb[k] == '.' ? 0 : fb[k] - '0';
        int v;
        if (op == Op::Add) {
            v = da + db + carry;
            carry = v > 9 ? 1 : 0;
            if (carry) v -= 10;
        } else {
            v = da - db - carry;
            carry = v < 0 ? 1 : 0;
            if (carry) v += 10;
        }
        r[k] = static_cast<char>('0' + v);
    }
    return Tidy(r);
}

std::string Arithmetic(Op op, std::string_view a, std::string_view b) {
    if (!IsNumberText(a) || !IsNumberText(b)) return {};
    bool negA = false, negB = false;
    if (a[0] == '+')
        a.remove_prefix(1);
    else if (a[0] == '-')
        negA = true, a.remove_prefix(1);
    if (b[0] == '+')
        b.remove_prefix(1);
    else if (b[0] == '-')
        negB = true, b.remove_prefix(1);
    if (op == Op::Add) {
        if (negA && !negB) return Arithmetic(Op::Subtract, b, a);
        if (!negA && negB) return Arithmetic(Op::Subtract, a, b);
        if (negA && negB) return "-" + Arithmetic(Op::Add, b, a);
    } else {
        if (negA && !negB) return "-" + Arithmetic(Op::Add, b, a);
        if (!negA && negB) return Arithmetic(Op::Add, a, b);
        if (negA && negB) return Arithmetic(Op::Subtract, b, a);
    }
    return UnsignedArithmetic(op, a, b);
}

}  // namespace

std::string FixNumberText(std::string_view text, std::int32_t decimals, std::int32_t width) {
    std::string t = TrimText(text);
    std::size_t f = DecimalsOf(t);
    if (decimals < 0) decimals = 0;
    auto want = static_cast<std::size_t>(decimals);
    if (want < f) {
        while (DecimalsOf(t) > want) t.pop_back();
    } else {
        if (f == 0 && (t.empty() || t.back() != '.')) t += '.';
        while (DecimalsOf(t) < want) t += '0';
    }
    if (width > 0 && t.size() < static_cast<std::size_t>(width))
        t.insert(0, static_cast<std::size_t>(width) - t.size(), '0');
    return t;
}

std::string AddNumberTexts(std::string_view a, std::string_view b) { return Arithmetic(Op::Add, a, b); }

std::string SubtractNumberTexts(std::string_view a, std::string_view b) { return Arithmetic(Op::Subtract, a, b); }

}  // namespace tesma
