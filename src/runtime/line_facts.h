#pragma once
// What a protocol line is about, as structure: the facts a procedure knows when it writes a
// finding (its account and sign, the fields and values its rule compared), handed to whoever
// shows the run beside the line's text. The host writes them as finding records (see
// TESMA_ENV_FINDINGS in tesmaC.h) when it is asked to, and otherwise drops them unread, so a
// procedure builds them cheaply: views of texts it holds, numbers, no formatting.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace tesma::runtime {

enum class LineKind : std::uint8_t { Header, Finding, Stop, Other };

// Where a compared value comes from (see "fields" in tesmaC.h).
enum class From : std::uint8_t {
    Row,       // the finding's row
    Previous,  // the previous period's report, the row of the same account
    Current,   // this report, the row of the finding's account
    Active,    // the sum over the chapter's active account rows
    Passive,   // the sum over its passive account rows
    Counter,   // the sum over chapter В's counter-account rows
    Others,    // the sum over chapter В's other account rows
    Account,   // the row of the account a check names
};

// A number as a procedure compared it: a binary amount, or (chapter Д) an exact decimal text.
struct Number {
    Number() = default;
    Number(long double v) : binary(v) {}
    Number(std::string_view text) : exact(text), isExact(true) {}
    long double binary = 0;
    std::string_view exact;
    bool isExact = false;
};

// A field of the chapter table a finding is about, with its value when it has one.
struct FieldValue {
    std::string_view field;  // empty: a bare number (a constant of a rule)
    From from = From::Row;
    std::string_view account;  // From::Account
    Number value;
    bool hasValue = true;
    char sign = '+';  // in a rule: added or subtracted
};

// Up to twelve fields or terms.
class FieldList {
public:
    static constexpr std::size_t kCapacity = 12;
    FieldList() = default;
    FieldList(std::initializer_list<FieldValue> items) {
        for (const FieldValue& f : items) Add(f);
    }
    void Add(const FieldValue& f) {
        if (count_ < kCapacity) items_[count_++] = f;
    }
    const FieldValue* begin() const { return items_.data(); }
    const FieldValue* end() const { return items_.data() + count_; }
    bool empty() const { return count_ == 0; }

private:
    std::array<FieldValue, kCapacity> items_{};
    std::size_t count_ = 0;
};

// Two values compared: X op Y held, X formed by `xTerms`, Y by `yTerms`.
struct Comparison {
    std::string_view op;  // empty: the finding compares nothing
    Number x, y;
    FieldList xTerms, yTerms;
    char previous = 0;  // 'x' or 'y': the value from the previous period's report
};

struct LineFacts {
    LineKind kind = LineKind::Other;
    std::string_view procedure;  // filled by the run: the procedure that wrote the line
    std::int32_t row = 0;        // a finding's row number
    std::string_view code;       // a finding's code
    std::string_view account, sign;
    FieldList fields;  // fields the finding is about besides those of its comparison
    Comparison compared;
};

// Facts of a field without its value (a text, or one that is no number).
inline FieldValue Cell(std::string_view field, From from = From::Row) {
    FieldValue f;
    f.field = field;
    f.from = from;
    f.hasValue = false;
    return f;
}

}  // namespace tesma::runtime
