#include "published_sheet.h"

#include <cmath>
#include <sstream>

#include "csv.h"
#include "form101.h"
#include "gz_stream.h"
#include "platform/locale/number_format.h"

namespace tesma::reportkit {

namespace {

constexpr std::array<const char*, 12> kAmountColumns = {"VR",  "VV",  "VITG",  "ORA", "OVA", "OITGA",
                                                        "ORP", "OVP", "OITGP", "IR",  "IV",  "IITG"};

std::map<std::string, std::size_t> ColumnIndexes(const std::vector<std::string>& fields) {
    std::map<std::string, std::size_t> h;
    for (std::size_t i = 0; i < fields.size(); ++i) h[fields[i]] = i;
    return h;
}

std::size_t Column(const std::map<std::string, std::size_t>& h, const std::string& name, const std::string& file) {
    auto it = h.find(name);
    if (it == h.end()) throw std::runtime_error(file + ": no column " + name);
    return it->second;
}

// A new file written whole beside its final name and renamed into place, without waiting for
}  // namespace

std::optional<std::string> RegistrationNumber(const std::string& text) {
    std::string t = text;
    t.erase(0, t.find_first_not_of(' '));
    t.erase(t.find_last_not_of(' ') + 1);
    const auto v = locale::ParseNumber(t, '.');
    if (t.empty() || !v || *v < 0 || *v != std::floor(*v)) return std::nullopt;
    return std::to_string(static_cast<long long>(*v));
}

std::map<std::string, std::string> ReadBankNames(const std::string& csvPath) {
    std::istringstream in(ReadMaybeGzip(csvPath));
    CsvReader csv(in);
    csv.Next();
    std::map<std::string, std::string> names;
    while (auto r = csv.Next())
        if (r->size() >= 2) names[(*r)[0]] = (*r)[1];
    return names;
}

std::vector<PublishedRow> ReadPublished(const std::string& csvPath, const std::string& regn) {
    std::istringstream in(ReadMaybeGzip(csvPath));
    CsvReader csv(in);
    auto first = csv.Next();
    if (!first) throw std::runtime_error(csvPath + ": empty file");
    auto h = ColumnIndexes(*first);
    if (h.count("ITOGO") && !h.count("VR"))
        throw std::invalid_argument(
            csvPath +
            ": this is the short form of the sheet, which holds each account's total only (column ITOGO); "
            "it is not supported: a report needs the full form with the twelve amounts VR ... IITG");
    const std::size_t cRegn = Column(h, "REGN", csvPath), cPlan = Column(h, "PLAN", csvPath),
                      cNum = Column(h, "NUM_SC", csvPath), cAp = Column(h, "A_P", csvPath),
                      cDt = Column(h, "DT", csvPath);
    std::array<std::size_t, 12> cAmount{};
    for (std::size_t i = 0; i < 12; ++i) cAmount[i] = Column(h, kAmountColumns[i], csvPath);
    std::string wanted;
    if (!regn.empty()) {
        const auto number = RegistrationNumber(regn);
        if (!number) throw std::runtime_error("--regn: '" + regn + "' is not a registration number");
        wanted = *number;
    }
    std::vector<PublishedRow> rows;
    while (auto f = csv.Next()) {
        const std::string where = csvPath + ":" + std::to_string(csv.Line());
        if (f->size() < first->size())
            throw std::runtime_error(where + ": " + std::to_string(f->size()) + " fields, expected " +
                                     std::to_string(first->size()));
        PublishedRow r;
        const auto number = RegistrationNumber((*f)[cRegn]);
        if (!number) throw std::runtime_error(where + ": '" + (*f)[cRegn] + "' is not a registration number");
        r.regn = *number;
        if (!wanted.empty() && r.regn != wanted) continue;
        r.plan = (*f)[cPlan];
        r.numSc = (*f)[cNum];
        r.ap = (*f)[cAp];
        r.date = (*f)[cDt];
        if (TotalText(r.plan).empty()) throw std::runtime_error(where + ": unknown chapter '" + r.plan + "'");
        if (r.ap != "1" && r.ap != "2")
            throw std::runtime_error(where + ": sign A_P must be 1 or 2, not '" + r.ap + "'");
        for (std::size_t i = 0; i < 12; ++i) {
            std::string v = (*f)[cAmount[i]];
            if (!v.empty() && !locale::ParseNumber(v, '.'))
                throw std::runtime_error(where + ": " + kAmountColumns[i] + " '" + v + "' is not a number");
            r.amounts[i] = v;
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<ChartEntry> ReadChart(const std::string& csvPath) {
    std::istringstream in(ReadMaybeGzip(csvPath));
    CsvReader csv(in);
    auto first = csv.Next();
    if (!first) throw std::runtime_error(csvPath + ": empty file");
    auto h = ColumnIndexes(*first);
    const std::size_t cNum = Column(h, "NUM_SC", csvPath);
    const auto ap = h.find("A_P");
    std::map<std::string, std::string> accounts;
    while (auto f = csv.Next()) {
        if (f->size() <= cNum) continue;
        const std::string num = (*f)[cNum];
        if (num.size() != 5 || num.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string sign = ap != h.end() && ap->second < f->size() ? (*f)[ap->second] : "";
        // The regulator's files spell the sign as a digit, the chart as the Cyrillic letter.
        if (sign == "А")
            sign = "1";
        else if (sign == "П")
            sign = "2";
        else if (sign != "1" && sign != "2")
            sign = "0";
        auto [it, added] = accounts.emplace(num, sign);
        if (!added && it->second != sign) it->second = "0";  // observed both ways
    }
    std::vector<ChartEntry> out;
    for (const auto& [num, sign] : accounts) out.push_back({num, sign});
    return out;
}

}  // namespace tesma::reportkit
