// Chapter А cross-checks: the bank's requisites of state and branches, accounts that a head
// office without branches or a branch must not show, year-end pairs of accounts, and
// differences of named accounts that must not be negative.
#include "controls/common.h"
#include "controls/procedures.h"
#include "platform/text/cp1251.h"
#include "runtime/arrays.h"
#include "runtime/conversions.h"
#include "runtime/numbers.h"
#include "runtime/record_access.h"
#include "runtime/report_location.h"
#include "runtime/requisites.h"
#include "runtime/row_instances.h"
#include "runtime/run.h"
#include "runtime/texts.h"
#include "tesma/tesmaC.h"

namespace tesma::controls {

using namespace tesma::literals;

namespace {

constexpr std::string_view kHeader = "**Контроль формы 101 Глава А. Баланс 2-я часть"_cpv;

class CrossChecks {
public:
    void Run();

private:
    void Line(std::string_view code, const std::string& message, const About& about = About()) {
        Report(n_, code, message, about);
    }
    // Outgoing balance of an account; 0 when the report does not show it. Creates no slot.
    long double F(long double account) { return balances_.Has(account) ? balances_[account] : 0; }
    static bool IsAccountRow(const Value& nbal) {
        const std::string t = ValueToText(NullToDefault(nbal, Value::Str("NULL")));
        return t != "NULL" && UpperText(t) != "79999 (ИТОГО)"_cpv;
    }
    // Visits every row of the main table; `handle` gets the account rows.
    template <typename Handle>
    void Pass(Handle handle) {
        n_ = 1;
        for (FirstRow(); !RowsEnded(); ++n_, NextRow()) {
            const Value nbal = GetRowField("NBAL2");
            if (IsAccountRow(nbal)) handle(ValueToText(nbal));
        }
        --n_;
    }
    void HeadOfficeWithoutBranches();
    void Branch();
    void YearEndPairs();
    void NonNegativeSums();

    std::int32_t n_ = 0;
    std::string mm_, state_, nfil_, filn_;
    ControlArray<long double> balances_{"F1ICX"};
};

void CrossChecks::HeadOfficeWithoutBranches() {
    // The messages carry a Latin P in "ПPИ": hosts and their users match the texts byte for
    // byte, so the letter is written apart, where it shows.
    const std::string first =
        "НЕ ДОЛЖНО БЫТЬ СЧЕТА П"_cp + "P" + "И КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С "_cp;
    const std::string others =
        "НЕ ДОЛЖНО БЫТЬ СЧЕТА П"_cp + "P" + "И КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С "_cp;
    struct Forbidden {
        const char* account;
        const char* code;
        const std::string* message;
    };
    const Forbidden forbidden[] = {{"30301", "W101138", &first},  {"30302", "W101139", &others},
                                   {"30303", "W101140", &others}, {"30304", "W101141", &others},
                                   {"30305", "W101142", &others}, {"30306", "W101143", &others}};
    Pass([&](const std::string& nbal) {
        for (const Forbidden& f : forbidden)
            if (nbal == f.account) Line(f.code, *f.message + nbal, About(nbal).With(Cell("NBAL2")));
    });
}

void CrossChecks::Branch() {
    const std::string notInBranch = "В БАЛАНСЕ У ФИЛИАЛОВ НЕ ДОЛЖЕН БЫТЬ Б/С "_cp;
    Pass([&](const std::string& nbal) {
        if (nbal == "10701") Line("E101144", notInBranch + nbal, About(nbal).With(Cell("NBAL2")));
        if (mm_ == "01" && (nbal == "70301" || nbal == "70401" || nbal == "70501")) {
            const Value stored = GetRowField("IS_ITOG");
            const long double outgoing = AmountOf(stored);
            if (CompareNumbers(">", outgoing, 0))
                Line("E101145",
                     "НЕ ДОЛЖНО БЫТЬ ОСТАТКОВ У ФИЛИАЛОВ НА КОНЕЦ ГОДА, "_cp + nbal + "=(" + ValueToText(stored) + ")",
                     About(nbal).Compare(">", outgoing, 0, {Field("IS_ITOG", outgoing)}, {Constant(0)}));
        }
        const std::string group = SubText(nbal, 1, 3);
        if (group == "102" || group == "104" || group == "105")
            Line("E101146", notInBranch + nbal, About(nbal).With(Cell("NBAL2")));
    });
}

void CrossChecks::YearEndPairs() {
    struct Pair {
        const char* code;
        int a, b;
    };
    for (const Pair& p :
         {Pair{"W101149", 30301, 30302}, Pair{"W101150", 30303, 30304}, Pair{"W101151", 30305, 30306}}) {
        const std::string a = std::to_string(p.a), b = std::to_string(p.b);
        const long double x = F(p.a), y = F(p.b);
        if (CompareNumbers("<>", x, y))
            Line(p.code,
                 "ОСТАТКИ НА СЧЕТАХ "_cp + a + " И "_cp + b + " ДОЛЖНЫ БЫТЬ РАВНЫ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. ("_cp + a +
                     "=" + Num(x) + ") <>(" + b + "=" + Num(y) + ")",
                 About().Compare("<>", x, y, {FieldOf("IS_ITOG", a, x)}, {FieldOf("IS_ITOG", b, y)}));
    }
    struct Exclusive {
        const char* code;
        int positive, mustBeZero;
    };
    for (const Exclusive& e : {Exclusive{"W101152", 70301, 70401}, Exclusive{"W101153", 70401, 70301},
                               Exclusive{"W101154", 70401, 70501}, Exclusive{"W101155", 70501, 70401}}) {
        const std::string p = std::to_string(e.positive), z = std::to_string(e.mustBeZero);
        if (F(e.mustBeZero) != 0 && CompareNumbers(">", F(e.positive), 0))
            Line(e.code,
                 "ЕСЛИ "_cp + p + ">0, ТО "_cp + z + " ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  "_cp +
                     Num(F(e.positive)) + ">0,  " + Num(F(e.mustBeZero)) + "<>0",
                 About().With(FieldOf("IS_ITOG", p, F(e.positive))).With(FieldOf("IS_ITOG", z, F(e.mustBeZero))));
    }
}

void CrossChecks::NonNegativeSums() {
    struct Difference {
        const char* code;
        std::initializer_list<int> plus, minus;
    };
    const Difference differences[] = {
        {"E101156", {40102}, {40104}},
        {"E101157", {60401, 60501}, {60601, 60607}},
        {"E101158", {60402, 60502}, {60602, 60608}},
        {"E101159", {60403, 60503}, {60603, 60609}},
        {"E101160", {60405, 60505}, {60604, 60610}},
        {"E101161", {60801, 60802}, {60803}},
        {"E101162", {60901, 60902}, {60903}},
        {"E101163", {61101, 61102}, {61103}},
    };
    for (const Difference& d : differences) {
        long double x = 0, y = 0;
        std::string formula;
        std::vector<std::string> accounts;  // the terms' accounts, as the record names them
        accounts.reserve(d.plus.size() + d.minus.size());
        FieldList plus, minus;
        for (int a : d.plus) {
            x += F(a);
            formula += (formula.empty() ? "" : "+") + std::to_string(a);
            plus.Add(FieldOf("IS_ITOG", accounts.emplace_back(std::to_string(a)), F(a)));
        }
        for (int a : d.minus) {
            y += F(a);
            formula += "-" + std::to_string(a);
            minus.Add(FieldOf("IS_ITOG", accounts.emplace_back(std::to_string(a)), F(a)));
        }
        // The messages carry a Latin A before "ДОЛЖНО": hosts and their users match the texts
        // byte for byte, so the letter is written apart, where it shows.
        if (CompareNumbers("<", x, y))
            Line(d.code, formula + " < 0, A" + " ДОЛЖНО БЫТЬ >= 0"_cp, About().Compare("<", x, y, plus, minus));
    }
}

void CrossChecks::Run() {
    // The balance sheet of one instance: never a mixture of several.
    RequireOneInstance();
    ResetArrays();
    balances_.Declare();
    WriteHeaderLine(contract::kProcedureControlChapterA2, kHeader);
    mm_ = DatePartText("MM", ReportDate());

    Pass([&](const std::string& nbal) {
        if (DigitsOnly(nbal)) balances_[TextToNumber(nbal)] = AmountOf(GetRowField("IS_ITOG"));
    });

    state_ = ValueToText(LookupValue("ZNACH", "BNK_STATE", "K3_REKW"));
    if (!TranslateChars(state_, " DOLS", " ").empty() || state_.empty()) {
        Line("E101136", "В РЕКВИЗИТАХ СОСТОЯНИЕ КО МОЖЕТ БЫТЬ ТОЛЬКО БУКВОЙ D,O ИЛИ L,  А НЕ <"_cp + state_ + ">");
        n_ = 0;
        state_.clear();
    }
    nfil_ = ValueToText(LookupValue("ZNACH", "BNK_NFIL", "K3_REKW"));
    if (!TranslateChars(nfil_, " 0123456789", " ").empty()) {
        Line("E101137",
             "В РЕКВИЗИТАХ КОЛИЧЕСТВО ФИЛИАЛОВ МОЖЕТ БЫТЬ ТОЛЬКО ЦИФРОВЫМ И БЕЗ ПРОБЕЛОВ  <"_cp + nfil_ + ">");
        nfil_.clear();
    } else if (TranslateChars(nfil_, " 0", " ").empty()) {
        nfil_.clear();  // no branches
    }
    filn_ = BankBranchNumber();
    const bool headOffice = filn_ == "0" || filn_.empty();
    if (headOffice && nfil_.empty()) HeadOfficeWithoutBranches();
    if (!headOffice) Branch();
    if (filn_.empty() && state_ == "D" && mm_ == "01") YearEndPairs();
    if (filn_.empty() || state_ != "D") NonNegativeSums();
}

}  // namespace

void ControlChapterA2() { CrossChecks().Run(); }

}  // namespace tesma::controls
