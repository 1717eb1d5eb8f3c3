// Seed corpora for the fuzz targets: tables the engine writes (the demo's real published sheet
// among them), a dBASE table, protocol files, and workbooks.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "platform/engine/primary_index.h"
#include "pxindex_table.h"
#include "report_tree.h"
#include "table_xlsx.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: fuzz_seeds DEMO_DATA OUT\n";
        return 2;
    }
    const fs::path data = argv[1], out = argv[2];
    auto rows = tesma::reportkit::ReadPublished((data / "sheet-2015-12-01.csv").string(), "");
    auto chart = tesma::reportkit::ReadChart((data / "account-signs.csv").string());
    const std::string folder =
        tesma::reportkit::WriteReportTree({(out / "tree").string(), rows.front().regn, "", 1}, rows, chart);
    for (const char* dir : {"paradox", "query", "dbase", "protocol", "pxindex", "xlsx"})
        fs::create_directories(out / dir);
    for (const auto& e : fs::directory_iterator(folder)) {
        fs::copy_file(e.path(), out / "paradox" / e.path().filename(), fs::copy_options::overwrite_existing);
        fs::copy_file(e.path(), out / "query" / e.path().filename(), fs::copy_options::overwrite_existing);
    }
    // A small dBASE III table.
    std::string dbf(32, '\0');
    dbf[0] = 0x03;
    dbf[4] = 2;
    dbf[8] = static_cast<char>(32 + 32 * 2 + 1);
    dbf[10] = 1 + 10 + 8;
    for (auto [name, type, len, dec] : {std::tuple{"NBAL2", 'C', 10, 0}, std::tuple{"IS_RUB", 'N', 8, 2}}) {
        std::string d(32, '\0');
        std::copy(name, name + std::char_traits<char>::length(name), d.begin());
        d[11] = type;
        d[16] = static_cast<char>(len);
        d[17] = static_cast<char>(dec);
        dbf += d;
    }
    dbf += '\x0D';
    dbf += " 30102        12.50";
    dbf += "*20202        -1.00";
    dbf += '\x1A';
    std::ofstream(out / "dbase" / "t.dbf", std::ios::binary) << dbf;
    std::ofstream(out / "protocol" / "p1.txt", std::ios::binary) << "**header\r\n1: E101116 text\r\n";
    std::ofstream(out / "protocol" / "p2.txt", std::ios::binary) << std::string(200, 'x') << "\x1A tail \x1A";
    // The primary index of the fuzz target's keyed table, with 1 KiB and 2 KiB index blocks.
    const tesma::engine::TableFile keyed = tesma::fuzzing::KeyedFuzzTable();
    for (int kib : {1, 2})
        std::ofstream(out / "pxindex" / ("fuzz-" + std::to_string(kib) + ".PX"), std::ios::binary)
            << tesma::engine::BuildPrimaryIndex(tesma::engine::NewPrimaryIndex(keyed, "fuzz.PX", kib * 1024), keyed);
    // Workbooks as export --xlsx writes them: a chapter table of numbers, chapter Д's exact texts.
    for (const char* table : {"F101_1", "F101_5"})
        tesma::reportkit::ExportTableXlsx(folder + table + ".DB",
                                          (out / "xlsx" / (std::string(table) + ".xlsx")).string());
    return 0;
}
