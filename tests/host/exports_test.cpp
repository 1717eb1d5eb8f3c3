// The shared library as a host application sees it: loaded with dlopen, called through its
// exports, with no terminal (the silent backend).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "library.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "support/report.h"
#include "support/tables.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

std::string LibraryPath() {
    const char* p = std::getenv("TESMA_LIB");
    return p ? p : TESMA_LIB_PATH;
}

std::string Command(const std::string& cmd) {
    std::string out;
    FILE* f = ::popen(cmd.c_str(), "r");
    if (!f) return out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, f)) out += buf;
    ::pclose(f);
    return out;
}

}  // namespace

TEST(Exports, TheLibraryExportsExactlyTheThreeEntries) {
    std::string symbols =
        Command("nm -D --defined-only '" + LibraryPath() + "' | awk '$2 ~ /^[TDBVWRi]$/ {print $3}' | sort");
    EXPECT_EQ(symbols, "FormIsChecked\nRunControl\nRunControl1\n");
}

TEST(Exports, ARealCallThroughDlopenRunsAndReturnsTrue) {
    hostkit::Library lib(LibraryPath());
    EXPECT_TRUE(lib.FormIsChecked(466472, 4));
    EXPECT_FALSE(lib.FormIsChecked(474667, 7));

    ReportTree tree;
    const double date = locale::EncodeDate(2025, 12, 1);
    const std::string dataDir = tree.DateDir(date);
    WriteParadoxTable(dataDir + ChapterFile('A') + ".DB", ChapterFields(), {ChapterRow(0, "30102", "А"_cp)});
    hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());

    auto started = std::chrono::steady_clock::now();
    bool ok = lib.RunControl(nullptr, 466472, 0, 8, 0, date, tree.Protocol().c_str(), dataDir.c_str(), records.Forms(),
                             records.FormCount(), records.Tables(), records.TableCount(), records.Fields(),
                             records.FieldCount(), nullptr, 0);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(std::filesystem::exists(tree.Protocol()));
    EXPECT_EQ(FileBytes(tree.Protocol()), "");
    // Without a terminal the first tick does not wait for an operator (how long it takes is
    // measured in make bench; here only a bound that catches a wait for someone who never comes).
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));

    ok = lib.RunControl1(nullptr, 466472, 0, 4, 0, date, tree.Protocol().c_str(), dataDir.c_str(), dataDir.c_str(),
                         records.Forms(), records.FormCount(), records.Tables(), records.TableCount(), records.Fields(),
                         records.FieldCount(), nullptr, 0);
    EXPECT_TRUE(ok);
    // No requisites, no chart, no previous month: the cross-checks and the balance control say so.
    const std::string expected =
        "**Контроль формы 101 Глава А. Баланс 2-я часть\r\n"
        "1: E101136 В РЕКВИЗИТАХ СОСТОЯНИЕ КО МОЖЕТ БЫТЬ ТОЛЬКО БУКВОЙ D,O ИЛИ L,  А НЕ <>\r\n"
        "**Контроль формы 101 Глава А. Баланс 1-я часть\r\n"
        "1: W101101 ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ НА 01.11.2025 - ОТСУТСТВУЕТ. CРАВНЕНИЯ НЕ БУДЕТ...\r\n"
        "1: E101177 СПРАВОЧНИК PS_WORK - ПЛАН СЧЕТОВ ПУСТОЙ...  ПРОИЗОШЛО РАЗРУШЕНИЕ ДАННЫХ?!...\r\n"
        "1: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 30102А\r\n"_cp;
    EXPECT_EQ(FileBytes(tree.Protocol()), expected);
    // The total rows were rebuilt in the table file.
    EXPECT_EQ(ReadTable(dataDir + ChapterFile('A') + ".DB").size(), 3u);
}
