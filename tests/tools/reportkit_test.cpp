// What f101 reads without starting a process: CSV records, field lists, CSV text as spreadsheets
// save it, and the protocol lines a run appended.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "csv.h"
#include "csv_dialect.h"
#include "field_list.h"
#include "platform/text/cp1251.h"
#include "protocol_lines.h"
#include "report_folder.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::reportkit;

namespace {

std::vector<std::vector<std::string>> Records(const std::string& text, char separator = ',') {
    std::istringstream in(text);
    CsvReader csv(in, separator);
    std::vector<std::vector<std::string>> out;
    while (auto r = csv.Next()) out.push_back(*r);
    return out;
}

}  // namespace

TEST(CsvReader, QuotesDoubledQuotesSeparatorsAndLineBreaksInsideAFieldCrLfAndEmptyFields) {
    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(Records("a,\"b,c\",\"say \"\"hi\"\"\"\r\n,,\n\"two\nlines\",x\n"),
              (Rows{{"a", "b,c", "say \"hi\""}, {"", "", ""}, {"two\nlines", "x"}}));
    EXPECT_EQ(Records("a;\"b;c\",d\n", ';'), (Rows{{"a", "b;c,d"}}));

    std::istringstream in("h\n\"open\nstill open\n");
    CsvReader csv(in);
    csv.Next();
    try {
        csv.Next();
        FAIL() << "an unterminated quote was read";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
    }

    // Line() counts the lines of the file, a quoted line break among them.
    std::istringstream lines("a\n\"b\nc\"\nd\n");
    CsvReader counted(lines);
    counted.Next(), counted.Next(), counted.Next();
    EXPECT_EQ(counted.Line(), 4);
}

TEST(CsvReader, WhatCsvFieldWritesReadsBack) {
    for (const std::string value : {"plain", "a,b", "a;b", "say \"hi\"", "two\nlines", "", "79999 (ИТОГО)"}) {
        for (const char separator : {',', ';'}) {
            const auto rows = Records(CsvField(value, separator) + separator + "next\n", separator);
            ASSERT_EQ(rows.size(), 1u) << value;
            EXPECT_EQ(rows[0], (std::vector<std::string>{value, "next"})) << value;
        }
    }
    EXPECT_EQ(CsvField("plain"), "plain");
}

TEST(CsvText, ByteOrderMarkCodePageAndSeparatorAsSpreadsheetsSaveThem) {
    EXPECT_EQ(DecodeCsvText("\xEF\xBB\xBFNBAL2\n", "", "t.csv"), "NBAL2\n");
    EXPECT_EQ(DecodeCsvText("NBAL2\n" + "ИТОГО"_cp + "\n", "cp1251", "t.csv"), "NBAL2\nИТОГО\n");
    try {
        DecodeCsvText("NBAL2\nok\n" + "ИТОГО"_cp + "\n", "", "t.csv");
        FAIL() << "code page 1251 taken for UTF-8";
    } catch (const UsageError& e) {
        EXPECT_NE(std::string(e.what()).find("t.csv:3:"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("--encoding cp1251"), std::string::npos) << e.what();
    }
    EXPECT_EQ(DetectSeparator("NBAL2;A_P;\"X,Y\"", "t.csv"), ';');
    EXPECT_EQ(DetectSeparator("NBAL2,A_P", "t.csv"), ',');
    EXPECT_THROW(DetectSeparator("NBAL2;A_P,IS_RUB", "t.csv"), UsageError);
}

TEST(FieldList, EveryTypeLetterAndItsWayBack) {
    const auto fields = ParseFieldList("NBAL2:A25,IS_RUB:N,S:$,NNN:I,K:S,ID:+,DT:D,OK:L");
    const std::vector<std::pair<engine::FieldType, int>> expected = {
        {engine::FieldType::Alpha, 25}, {engine::FieldType::Number, 0},  {engine::FieldType::Currency, 0},
        {engine::FieldType::Long, 0},   {engine::FieldType::Short, 0},   {engine::FieldType::AutoInc, 0},
        {engine::FieldType::Date, 0},   {engine::FieldType::Logical, 0},
    };
    ASSERT_EQ(fields.size(), expected.size());
    const std::vector<std::string> letters = {"A25", "N", "$", "I", "S", "+", "D", "L"};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].type, expected[i].first) << i;
        EXPECT_EQ(fields[i].size, expected[i].second) << i;
        EXPECT_EQ(TypeOf({fields[i].name, fields[i].type, fields[i].size}), letters[i]);
    }
    EXPECT_EQ(fields[0].name, "NBAL2");
    EXPECT_THROW(TypeOf({"T", engine::FieldType::Time, 4}), std::runtime_error);
}

TEST(FieldList, AMalformedListNamesTheItem) {
    for (const auto& [list, says] :
         std::vector<std::pair<std::string, std::string>>{{"NBAL2", "field 'NBAL2' is not NAME:TYPE"},
                                                          {"A:N,:N", "field ':N' is not NAME:TYPE"},
                                                          {"NBAL2:A", "field 'NBAL2:A': an alpha field needs a size"},
                                                          {"X:Q", "field 'X:Q': unknown type 'Q'"},
                                                          {"X:NN", "field 'X:NN': unknown type 'NN'"},
                                                          {"", "the field list is empty"}}) {
        try {
            ParseFieldList(list);
            ADD_FAILURE() << list << " was taken";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(SplitTypedName("NBAL2:A25"), std::make_pair(std::string("NBAL2"), std::string("A25")));
    EXPECT_EQ(SplitTypedName("A:B:N"), std::make_pair(std::string("A:B"), std::string("N")));
    EXPECT_FALSE(SplitTypedName("NBAL2"));
    EXPECT_FALSE(SplitTypedName("NBAL2:"));
}

TEST(ProtocolLines, RowCodeSeverityAndMessageInUtf8) {
    const auto lines = ParseProtocol(
        "**Контроль формы 101 Глава А. Баланс 1-я часть\r\n"
        "1: E101121 НЕ БАЛАНСИРУЕТСЯ Б/С 10605А   РУБЛИ  8038+668-8613 <> 94\r\n"
        "68: W101112 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ\r\n"
        "12: X101 not a finding code\r\n"
        ">>>>> Прервано оператором"_cp);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_FALSE(lines[0].row);
    EXPECT_EQ(lines[0].severity, "info");
    EXPECT_EQ(lines[0].code, "");
    EXPECT_EQ(lines[0].message, "**Контроль формы 101 Глава А. Баланс 1-я часть");
    EXPECT_EQ(lines[1].row, 1);
    EXPECT_EQ(lines[1].code, "E101121");
    EXPECT_EQ(lines[1].severity, "error");
    EXPECT_EQ(lines[1].message, "НЕ БАЛАНСИРУЕТСЯ Б/С 10605А   РУБЛИ  8038+668-8613 <> 94");
    EXPECT_EQ(lines[2].row, 68);
    EXPECT_EQ(lines[2].severity, "warning");
    EXPECT_EQ(lines[3].severity, "info");
    EXPECT_EQ(lines[3].message, "12: X101 not a finding code");
    EXPECT_EQ(lines[4].message, ">>>>> Прервано оператором");  // the last line needs no CR LF
    EXPECT_TRUE(ParseProtocol("").empty());
}

TEST(FindReportFolders, SkipsHiddenFoldersSuchAsAnImportsUnfinishedTree) {
    std::string base = (std::filesystem::temp_directory_path() / "tesma-find-XXXXXX").string();
    ASSERT_NE(::mkdtemp(base.data()), nullptr);
    const std::filesystem::path root = base;
    for (const char* tree : {"1481/F101/20151201", ".1481.f101-new-ab12/F101/20151201"}) {
        std::filesystem::create_directories(root / tree);
        std::ofstream(root / tree / "rfdef.DB") << "x";
    }
    EXPECT_EQ(FindReportFolders({root.string()}), std::vector<std::string>{(root / "1481/F101/20151201/").string()});
    std::filesystem::remove_all(root);
}
