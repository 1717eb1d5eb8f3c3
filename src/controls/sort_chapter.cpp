// Sorting of a chapter table: rows in the engine's order of NBAL2, grouped by sign. The table
// is read into fourteen stores (and each row whole), emptied down to a marker row, written back
// group by group, and the marker removed. Every row comes back with every field it had, under a
// fresh row key NNN in the new order. One procedure; the chapters differ in the constants below.
#include <array>
#include <functional>
#include <variant>

#include "controls/common.h"
#include "controls/procedures.h"
#include "platform/errors.h"
#include "platform/text/cp1251.h"
#include "runtime/arrays.h"
#include "runtime/conversions.h"
#include "runtime/record_access.h"
#include "runtime/report_location.h"
#include "runtime/row_instances.h"
#include "runtime/run.h"
#include "runtime/texts.h"
#include "tesma/tesmaC.h"

namespace tesma::controls {

using namespace tesma::literals;

namespace {

struct SortChapter {
    std::string_view procedure;  // its name in finding records (tesmaC.h)
    std::string_view header;
    std::string_view tableCode;
    bool textAmounts;               // chapter Д: amounts are decimal texts
    std::string_view closingTotal;  // chapter В: the total row that closes its sign's group
};

constexpr SortChapter kSortA{
    .procedure = contract::kProcedureSortChapterA,
    .header = "**Контроль формы 101 Глава А. Баланс. Cортировка по No б/c"_cpv,
    .tableCode = "Ф_1"_cpv,
    .textAmounts = false,
    .closingTotal = "",
};

constexpr SortChapter kSortB{
    .procedure = contract::kProcedureSortChapterB,
    .header = "**Контроль формы 101 Глава Б. Сортировка счетов довер.управления"_cpv,
    .tableCode = "Ф_2"_cpv,
    .textAmounts = false,
    .closingTotal = "",
};

constexpr SortChapter kSortV{
    .procedure = contract::kProcedureSortChapterV,
    .header = "**Контроль формы 101 Глава В. Сортировка внебалансовых счетов"_cpv,
    .tableCode = "Ф_3"_cpv,
    .textAmounts = false,
    .closingTotal = "91999 (ИТОГО)"_cpv,
};

constexpr SortChapter kSortG{
    .procedure = contract::kProcedureSortChapterG,
    .header = "**Контроль формы 101 Глава Г. Сортировка баланса по срочным сделкам "_cpv,
    .tableCode = "Ф_4"_cpv,
    .textAmounts = false,
    .closingTotal = "",
};

constexpr SortChapter kSortD{
    .procedure = contract::kProcedureSortChapterD,
    .header = "**Контроль формы 101 Глава Д. Сортировка счетов ДЕПО"_cpv,
    .tableCode = "Ф_5"_cpv,
    .textAmounts = true,
    .closingTotal = "",
};

// The amount stores, in the order of the row's amount fields.
constexpr std::array<const char*, 12> kAmountStores = {"VOR", "VOV", "VOI", "DOR", "DOV", "DOI",
                                                       "KOR", "KOV", "KOI", "ICR", "ICV", "ICI"};

constexpr std::string_view kMarkerAccount = "УДАЛИ"_cpv;
constexpr std::string_view kMarkerSign = "Ё"_cpv;  // reserved for the marker row
constexpr std::string_view kActive = "А"_cpv;
constexpr std::string_view kPassive = "П"_cpv;

class Sort {
public:
    explicit Sort(const SortChapter& c) : c_(c) {
        for (const char* name : kAmountStores) amounts_.emplace_back(name);
    }
    void Run();

private:
    using Amount = std::variant<long double, std::string>;
    void Read();
    void AppendMarker();
    bool IsMarker() const { return GetRowField("NNN").integer == markerKey_; }
    void Clear();
    void WriteBack(const std::function<bool(const std::string& nbal, const std::string& sign)>& inGroup);
    void RemoveMarker();

    const SortChapter& c_;
    std::int32_t n_ = 0;
    std::int64_t rows_ = 0;        // rows of the table before the marker came
    std::int64_t markerKey_ = -1;  // NNN of the marker row; -1 while there is none
    std::vector<ControlArray<Amount>> amounts_;
    ControlArray<std::string> accounts_{"BS2P"}, signs_{"A_P"};
    // Each stored row whole, entry k - 1 for entry k of the stores: the sort moves rows, and a row
    // keeps every field it has (its instance, a host's own columns, memo and binary fields).
    std::vector<RowCopy> rowCopies_;
};

void Sort::Read() {
    // Exactly the rows the main cursor holds (the run's own instance), in the engine's order.
    OpenMainRowsOnAux(c_.tableCode, "NBAL2");
    for (; !AuxTableEnded(); NextAuxRow()) {
        const std::string nbal = ValueToText(NullToDefault(GetAuxField("NBAL2"), Value::Str("")));
        if (nbal.empty()) continue;
        ++n_;
        accounts_[n_] = nbal;
        rowCopies_.push_back(CopyAuxRow());
        signs_[n_] = ValueToText(NullToDefault(GetAuxField("A_P"), Value::Str(" ")));
        for (std::size_t i = 0; i < kAmountFields.size(); ++i) {
            const Value v = GetAuxField(kAmountFields[i]);
            if (c_.textAmounts)
                amounts_[i][n_] = ValueToText(NullToDefault(v, Value::Str("0.0000")));
            else
                amounts_[i][n_] = ValueToReal(NullToDefault(v, Value::Int(0)));
        }
    }
    CloseAuxTable();
}

void Sort::AppendMarker() {
    for (FirstRow(); !RowsEnded(); NextRow()) ++rows_;
    if (rows_ == 0) return;  // no marker in an empty table
    AppendRow();
    // The marker is known by its key, fresh and above every key of the table: a data row may
    // hold any account text and any sign, "Ё" or a lower-case "ё" that reads as "Ё" included.
    markerKey_ = GetRowField("NNN").integer;
    SetRowField("NBAL2", Value::Str(std::string(kMarkerAccount)));
    SetRowField("A_P", Value::Str(std::string(kMarkerSign)));
}

void Sort::Clear() {
    // A deletion leaves the cursor on the following row, which the step then passes over: a
    // pass leaves rows behind, and passes repeat until one deletes nothing. The table had
    // rows_ rows besides the marker; a deletion beyond them would be one that removed nothing.
    std::int64_t deletions = 0;
    bool deleted = true;
    while (deleted) {
        deleted = false;
        for (FirstRow(); !RowsEnded(); NextRow()) {
            if (IsMarker()) continue;
            if (++deletions > rows_)
                throw EngineError("rows of table " + runtime::CurrentRun().MainTableFile +
                                  " could not be deleted for sorting");
            deleted = true;
            DeleteRow();
        }
    }
}

void Sort::WriteBack(const std::function<bool(const std::string&, const std::string&)>& inGroup) {
    for (std::int32_t k = 1; k <= n_; ++k) {
        const std::string nbal = accounts_[k];
        const std::string sign = signs_[k];
        if (nbal.empty() || !inGroup(nbal, sign)) continue;
        // The appended row, the stored row whole, becomes the last row of the main cursor; its
        // account, sign and amounts are then written as the stores hold them.
        AppendRowCopy(rowCopies_[static_cast<std::size_t>(k - 1)]);
        SetRowField("NBAL2", Value::Str(nbal));
        SetRowField("A_P", Value::Str(sign));
        for (std::size_t i = 0; i < kAmountFields.size(); ++i) {
            const Amount& a = amounts_[i][k];
            if (const auto* text = std::get_if<std::string>(&a))
                SetRowField(kAmountFields[i], Value::Str(*text));
            else
                SetRowField(kAmountFields[i], Value::Real(static_cast<double>(std::get<long double>(a))));
        }
    }
}

void Sort::RemoveMarker() {
    if (markerKey_ < 0) return;
    for (FirstRow(); !RowsEnded(); NextRow())
        if (IsMarker()) {
            DeleteRow();
            return;
        }
}

void Sort::Run() {
    // The rows of one instance: never a mixture of several.
    RequireOneInstance();
    ResetArrays();
    for (const auto& store : amounts_) store.Declare();
    accounts_.Declare();
    signs_.Declare();
    WriteHeaderLine(c_.procedure, c_.header);
    if (!MainTableTakesNewRows()) {
        // Rows can be neither appended nor deleted in this table: a sort could only write
        // over its rows. It is left as it is.
        WriteProtocolLine("СОРТИРОВКА НЕВОЗМОЖНА: В ТАБЛИЦЕ "_cp + runtime::CurrentRun().MainTableFile + " ("_cp +
                          std::string(c_.tableCode) + ") НЕЛЬЗЯ ДОБАВЛЯТЬ И УДАЛЯТЬ СТРОКИ. ТАБЛИЦА НЕ ИЗМЕНЕНА"_cp);
        return;
    }
    Read();
    AppendMarker();
    if (n_ > 0) Clear();
    const auto other = [](const std::string&, const std::string& s) { return s != kActive && s != kPassive; };
    if (c_.closingTotal.empty()) {
        WriteBack(other);
        WriteBack([](const std::string&, const std::string& s) { return s == kActive; });
        WriteBack([](const std::string&, const std::string& s) { return s == kPassive; });
    } else {
        const std::string_view total = c_.closingTotal;
        WriteBack(other);
        WriteBack([&](const std::string& a, const std::string& s) { return s == kActive && a != total; });
        WriteBack([&](const std::string& a, const std::string& s) { return s == kActive && a == total; });
        WriteBack([&](const std::string& a, const std::string& s) { return s == kPassive && a != total; });
        WriteBack([&](const std::string& a, const std::string& s) { return s == kPassive && a == total; });
    }
    RemoveMarker();
}

}  // namespace

void SortChapterA() { Sort(kSortA).Run(); }
void SortChapterB() { Sort(kSortB).Run(); }
void SortChapterV() { Sort(kSortV).Run(); }
void SortChapterG() { Sort(kSortG).Run(); }
void SortChapterD() { Sort(kSortD).Run(); }

}  // namespace tesma::controls
