#include "support/instances.h"

#include <algorithm>
#include <filesystem>
#include <random>

#include "form101.h"
#include "platform/engine/files.h"
#include "platform/engine/paradox.h"
#include "platform/engine/query.h"
#include "platform/text/cp1251.h"
#include "published_sheet.h"
#include "report_tree.h"
#include "support/report.h"
#include "support/tables.h"

namespace tesma::testing {

namespace fs = std::filesystem;

namespace {

engine::TableFile Parse(const std::string& path) { return engine::ParseParadox(FileBytes(path), path); }

void Write(const engine::TableFile& t) {
    engine::ReplaceFileAtomically(engine::DiskPath(t.path), engine::SerializeParadox(t), t.path);
}

int InstanceField(const engine::TableFile& t) { return t.FieldIndex("ID_EKZ"); }

std::int64_t InstanceOfRecord(const engine::TableFile& t, const std::string& record) {
    return t.Decode(record.data(), InstanceField(t)).integer;
}

// Last month's report of the same accounts: its outgoing balances are this month's incoming.
std::vector<reportkit::PublishedRow> PreviousMonth(std::vector<reportkit::PublishedRow> rows) {
    for (reportkit::PublishedRow& r : rows) {
        r.date = "2015-11-01";
        for (std::size_t i = 0; i < 3; ++i) r.amounts[9 + i] = r.amounts[i];
        for (std::size_t i = 3; i < 9; ++i) r.amounts[i] = "0";
    }
    return rows;
}

// Writes one dated folder of the instances from each instance's own tree in `trees`.
void Merge(const std::string& folder, const std::vector<std::string>& trees, const std::vector<InstanceOf>& instances,
           RowOrder order) {
    fs::create_directories(folder);
    for (const char* shared : {"rfdef.DB", "PS_WORK.DB"})
        fs::copy_file(trees.front() + shared, folder + shared, fs::copy_options::overwrite_existing);
    std::vector<std::string> files;
    for (const reportkit::Chapter& c : reportkit::kChapters) files.push_back(std::string(c.fileName) + ".DB");
    files.push_back(std::string(reportkit::kMessageRequisitesFile) + ".DB");
    std::mt19937 shuffle(20151201);
    for (const std::string& file : files) {
        engine::TableFile merged = Parse(trees.front() + file);
        merged.path = folder + file;
        merged.records.clear();
        for (const std::string& tree : trees)
            for (std::string& r : Parse(tree + file).records) merged.records.push_back(std::move(r));
        if (order == RowOrder::Shuffled) std::shuffle(merged.records.begin(), merged.records.end(), shuffle);
        Write(merged);
    }
    std::vector<Instance> registry;
    std::vector<Requisite> requisites;
    for (const InstanceOf& i : instances) {
        registry.push_back({i.id, i.regn, i.branch, i.change});
        const std::string n = std::to_string(i.id);
        for (const auto& [code, value] : std::vector<std::pair<std::string, std::string>>{{"BNK_REGN", i.regn},
                                                                                          {"BNK_FILN", i.branch},
                                                                                          {"BNK_STATE", "D"},
                                                                                          {"BNK_NFIL", "0"},
                                                                                          {"BNK_SOATO", "45" + n},
                                                                                          {"BNK_OKPO", "0003253" + n},
                                                                                          {"BNK_BIK", "04452522" + n}})
            requisites.push_back({code, value, i.id});
    }
    // The register and requisites in the instances' own order, whatever the rows' order.
    WriteRepEkz(folder, registry);
    WriteRequisites(folder + "REKW_F101.DB", requisites);
}

}  // namespace

std::string WriteInstancesFolder(const std::string& root, const std::vector<InstanceOf>& instances, RowOrder order,
                                 bool previousMonth) {
    const std::string sheets = std::string(TESMA_TEST_DATA) + "/f101-2015-12-01-sample.csv";
    const auto chart = reportkit::ReadChart(std::string(TESMA_DEMO_DIR) + "/account-signs.csv");
    std::vector<std::string> current, previous;
    for (const InstanceOf& i : instances) {
        const std::string scratch = root + "/.instance-" + std::to_string(i.id);
        const auto rows = reportkit::ReadPublished(sheets, i.sheet);
        current.push_back(reportkit::WriteReportTree({scratch, i.sheet, "", i.id, false}, rows, chart));
        if (previousMonth)
            previous.push_back(
                reportkit::WriteReportTree({scratch, i.sheet, "", i.id, false}, PreviousMonth(rows), chart));
    }
    const std::string folder = root + "/F101/20151201/";
    Merge(folder, current, instances, order);
    if (previousMonth) Merge(root + "/F101/20151101/", previous, instances, order);
    for (const InstanceOf& i : instances) fs::remove_all(root + "/.instance-" + std::to_string(i.id));
    return folder;
}

std::vector<std::string> InstanceTables(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (!name.ends_with(".DB")) continue;
        if (InstanceField(Parse(e.path().string())) >= 0) out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

void EditTable(const std::string& path, const std::function<void(engine::TableFile&)>& change) {
    engine::TableFile t = Parse(path);
    change(t);
    Write(t);
}

void RepeatAccount(const std::string& table, std::int32_t instance, const std::string& account) {
    EditTable(table, [&](engine::TableFile& t) {
        const int nbal = t.FieldIndex("NBAL2");
        for (const std::string& r : t.records)
            if (InstanceOfRecord(t, r) == instance && t.Decode(r.data(), nbal).text == account) {
                const std::string copy = r;
                t.records.push_back(copy);
                return;
            }
        throw std::runtime_error("no account " + account + " of instance " + std::to_string(instance) + " in " + table);
    });
}

std::string CopyInstanceAlone(const std::string& folder, std::int32_t instance, const std::string& root) {
    const fs::path dated = fs::path(folder).parent_path();
    const fs::path form = root / dated.parent_path().filename();
    fs::create_directories(form);
    for (const auto& e : fs::directory_iterator(dated.parent_path()))
        if (e.path() != dated) fs::copy(e.path(), form / e.path().filename(), fs::copy_options::recursive);
    const std::string alone = (form / dated.filename()).string() + "/";
    fs::create_directories(alone);
    const auto tables = InstanceTables(folder);
    for (const auto& e : fs::directory_iterator(dated)) {
        const std::string name = e.path().filename().string();
        if (name == "protocol.txt") continue;
        if (std::find(tables.begin(), tables.end(), name) == tables.end()) {
            fs::copy_file(e.path(), alone + name);
            continue;
        }
        engine::TableFile t = Parse(e.path().string());
        t.path = alone + name;
        std::erase_if(t.records, [&](const std::string& r) { return InstanceOfRecord(t, r) != instance; });
        Write(t);
    }
    return alone;
}

std::vector<std::string> RecordsOf(const std::string& table, std::int32_t instance, bool other) {
    engine::TableFile t = Parse(table);
    std::vector<std::string> out;
    for (const std::string& r : t.records)
        if ((InstanceOfRecord(t, r) == instance) != other) out.push_back(r);
    return out;
}

std::vector<std::string> RowsOf(const std::string& table, std::int32_t instance) {
    engine::TableFile t = Parse(table);
    const int key = t.FieldIndex("NNN");
    std::vector<std::string> out;
    for (const std::string& r : t.records) {
        if (InstanceOfRecord(t, r) != instance) continue;
        std::string row;
        for (int f = 0; f < static_cast<int>(t.fields.size()); ++f)
            if (f != key) row += engine::CellText(t.Decode(r.data(), f), engine::KindOf(t.fields[f].type)) + "|";
        out.push_back(text::ToUtf8(row));
    }
    return out;
}

}  // namespace tesma::testing
