// Tables and findings as workbooks, and decimal commas: f101 run as a separate process, with
// python3-openpyxl as the independent reader and writer of the workbooks.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "f101_fixture.h"

namespace tesma::testing {

namespace {

const std::vector<std::string> kReportTables = {"F101_1", "F101_2",    "F101_3",  "F101_4",
                                                "F101_5", "REKW_F101", "F101_OES"};

// openpyxl, from Debian's python3-openpyxl (make deps installs it).
ProcessResult Python(const TempDir& dir, const std::string& script, std::vector<std::string> args = {}) {
    WriteText(dir / "script.py", "import sys, openpyxl, datetime, zipfile\n" + script);
    args.insert(args.begin(), {"/usr/bin/python3", dir / "script.py"});
    return RunProgram(args);
}

// Two table files alike but for the time of the last change their headers keep (4 bytes at 0x60).
void ExpectSameTable(const std::string& a, const std::string& b) {
    std::string x = ReadBytes(a), y = ReadBytes(b);
    ASSERT_EQ(x.size(), y.size()) << a << " " << b;
    ASSERT_GT(x.size(), 0x64u);
    std::fill(x.begin() + 0x60, x.begin() + 0x64, '\0');
    std::fill(y.begin() + 0x60, y.begin() + 0x64, '\0');
    EXPECT_TRUE(x == y) << a << " differs from " << b;
}

// The Д table of a report with amounts of 18 digits before the point and four after.
const std::string kDepositoryCsv =
    "NBAL2:A25,A_P:A3,VX_RUB:A30,IS_RUB:A30,NNN:I\n"
    "98010,А,123456789012345678.1234,999999999999999999.9999,1\n"
    "98020,П,0.0001,100000000000000001.0000,2\n";

}  // namespace

TEST(F101Workbook, AReportsTablesComeBackByteForByteThroughAWorkbookAndThroughASemicolonCsv) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2618");
    for (const char* way : {"xlsx", "csv"}) {
        std::filesystem::create_directories(dir / way);
        for (const std::string& t : kReportTables) {
            const std::string copy = dir / way + "/" + t + ".DB", file = dir / way + "/" + t + "." + way;
            ProcessResult out;
            if (std::string(way) == "xlsx") {
                out = RunF101({"export", folder + t + ".DB", "--xlsx", file});
            } else {
                out = RunF101({"export", folder + t + ".DB", "--with-types", "--separator", ";"});
                WriteText(file, out.out);
            }
            ASSERT_EQ(out.status, 0) << out.err;
            ProcessResult in = RunF101({"import", file, copy});
            ASSERT_EQ(in.status, 0) << t << ": " << in.err;
            ExpectSameTable(copy, folder + t + ".DB");
        }
    }
    // A ';' file carries decimal commas in the amounts of every chapter, the exact texts of chapter Д
    // included; other texts keep their points.
    const std::string d = ReadBytes(dir / "csv/F101_5.csv");
    EXPECT_NE(d.find(";112122095554849570,0000;"), std::string::npos) << d.substr(0, 400);
    EXPECT_EQ(d.find("0.0000"), std::string::npos);
}

TEST(F101Workbook, DepositoryAmountsOfEighteenDigitsKeepEveryDigitBothWays) {
    TempDir dir;
    WriteText(dir / "d.csv", kDepositoryCsv);
    ASSERT_EQ(RunF101({"import", dir / "d.csv", dir / "F101_5.DB"}).status, 0);
    ASSERT_EQ(RunF101({"export", dir / "F101_5.DB", "--xlsx", dir / "d.xlsx"}).status, 0);
    // Kept as text: a spreadsheet number (a double) holds 15 to 17 significant digits.
    ProcessResult read = Python(dir, R"(
ws = openpyxl.load_workbook(sys.argv[1]).active
for row in ws.iter_rows(min_row=2):
    print(repr(row[2].value), repr(row[3].value))
)",
                                {dir / "d.xlsx"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "'123456789012345678.1234' '999999999999999999.9999'\n'0.0001' '100000000000000001.0000'\n");
    std::filesystem::create_directories(dir / "back");
    ASSERT_EQ(RunF101({"import", dir / "d.xlsx", dir / "back/F101_5.DB"}).status, 0);
    ExpectSameTable(dir / "back/F101_5.DB", dir / "F101_5.DB");
    ProcessResult semicolon = RunF101({"export", dir / "F101_5.DB", "--with-types", "--separator", ";"});
    EXPECT_NE(semicolon.out.find("98010;А;123456789012345678,1234;999999999999999999,9999;1"), std::string::npos)
        << semicolon.out;
    WriteText(dir / "d2.csv", semicolon.out);
    std::filesystem::remove(dir / "back/F101_5.DB");
    ASSERT_EQ(RunF101({"import", dir / "d2.csv", dir / "back/F101_5.DB"}).status, 0);
    ExpectSameTable(dir / "back/F101_5.DB", dir / "F101_5.DB");
    // --decimal-point keeps the points in a ';' file; a text field that is no amount is never touched.
    EXPECT_NE(RunF101({"export", dir / "F101_5.DB", "--separator", ";", "--decimal-point"})
                  .out.find(";123456789012345678.1234;"),
              std::string::npos);
    WriteText(dir / "t.csv", "NBAL2:A25;NOTE:A10;IS_RUB:A30;X:N\n30102;1,5;2,5;3,25\n");
    ASSERT_EQ(RunF101({"import", dir / "t.csv", dir / "T.DB"}).status, 0);
    EXPECT_EQ(RunF101({"export", dir / "T.DB"}).out, "NBAL2,NOTE,IS_RUB,X\n30102,\"1,5\",2.5,3.25\n");
    EXPECT_EQ(RunF101({"export", dir / "T.DB", "--separator", ";"}).out, "NBAL2;NOTE;IS_RUB;X\n30102;1,5;2,5;3,25\n");
    // A double of 17 significant digits keeps them all in CSV too.
    WriteText(dir / "x.csv", "X:N\n0.30000000000000004\n");
    ASSERT_EQ(RunF101({"import", dir / "x.csv", dir / "X.DB"}).status, 0);
    EXPECT_EQ(RunF101({"export", dir / "X.DB"}).out, "X\n0.30000000000000004\n");
}

TEST(F101Workbook, OpenpyxlReadsEveryValueOfTheExportAndWritesAnEditedWorkbookThatImportReads) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2618");
    // Each value as openpyxl reads it, printed as f101 prints CSV with a tab.
    const std::string asText = R"(
ws = openpyxl.load_workbook(sys.argv[1]).active
def text(v):
    if v is None: return ''
    if isinstance(v, bool): return str(v)
    if isinstance(v, datetime.datetime): return v.strftime('%d.%m.%Y')
    if isinstance(v, float) and v.is_integer(): return str(int(v))
    return str(v)
for row in ws.iter_rows():
    print('\t'.join(text(c.value) for c in row))
)";
    for (const std::string& t : kReportTables) {
        ASSERT_EQ(RunF101({"export", folder + t + ".DB", "--xlsx", dir / t + ".xlsx"}).status, 0);
        ProcessResult read = Python(dir, asText, {dir / t + ".xlsx"});
        ASSERT_EQ(read.status, 0) << read.err;
        EXPECT_EQ(read.out, RunF101({"export", folder + t + ".DB", "--with-types", "--separator", "tab"}).out) << t;
    }
    // An edited workbook: an amount changed, a row added, a date entered.
    WriteText(dir / "dated.csv", "NBAL2:A25,IS_RUB:N,DT:D\n30102,1.5,01.12.2015\n");
    ASSERT_EQ(RunF101({"import", dir / "dated.csv", dir / "DATED.DB"}).status, 0);
    ASSERT_EQ(RunF101({"export", dir / "DATED.DB", "--xlsx", dir / "dated.xlsx"}).status, 0);
    ProcessResult edit = Python(dir, R"(
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
ws['B2'] = 1234567.25
ws.append(['30109', 7, datetime.date(2016, 1, 31)])
ws.append(['30110', None, datetime.datetime(2015, 2, 28)])
wb.save(sys.argv[2])
)",
                                {dir / "dated.xlsx", dir / "edited.xlsx"});
    ASSERT_EQ(edit.status, 0) << edit.err;
    ProcessResult in = RunF101({"import", dir / "edited.xlsx", dir / "EDITED.DB"});
    ASSERT_EQ(in.status, 0) << in.err;
    EXPECT_EQ(RunF101({"export", dir / "EDITED.DB"}).out,
              "NBAL2,IS_RUB,DT\n30102,1234567.25,01.12.2015\n30109,7,31.01.2016\n30110,,28.02.2015\n");
}

TEST(F101Workbook, TheFindingsWorkbookHoldsEveryFindingAndMarksTheirCells) {
    TempDir dir;
    ASSERT_EQ(RunF101({"demo", dir / "demo"}).status, 0);
    const std::string folder = dir / "demo/F101/20151201/";
    ProcessResult check = RunF101({"check", folder, "--dry-run", "--json", "--xlsx", dir / "f.xlsx"});
    ASSERT_EQ(check.status, 1) << check.err;
    ProcessResult read = Python(dir, R"(
import json
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb['findings']
names = [c.value for c in ws[1]]
for row in ws.iter_rows(min_row=2):
    print(json.dumps({n: c.value for n, c in zip(names, row) if n != 'file'}, ensure_ascii=False, sort_keys=True))
for row in wb['Глава А (F101_1.DB)'].iter_rows():
    for c in row:
        if c.comment: print(c.coordinate, c.fill.fgColor.rgb, c.comment.text)
)",
                                {dir / "f.xlsx"});
    ASSERT_EQ(read.status, 0) << read.err;
    std::istringstream json(check.out), sheet(read.out);
    std::string expected, got;
    for (std::string line; std::getline(json, line);) {
        nlohmann::json j = nlohmann::json::parse(line);
        if (j["severity"] == "failure" || j["severity"] == "summary") continue;
        expected += j.dump() + "\n";
        std::getline(sheet, got);
        EXPECT_EQ(nlohmann::json::parse(got), j);
    }
    EXPECT_FALSE(expected.empty());
    std::string marks((std::istreambuf_iterator<char>(sheet)), std::istreambuf_iterator<char>());
    EXPECT_NE(marks.find("D2 FFFFC7CE E101121 НЕ БАЛАНСИРУЕТСЯ Б/С 10605А   РУБЛИ  8038+668-8613 <> 94\n"),
              std::string::npos)
        << marks;
    EXPECT_NE(marks.find("D69 FFFFEB9C W101112 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 10207П"),
              std::string::npos)
        << marks;
    // A batch's workbook begins with the summary of its reports.
    ASSERT_EQ(
        RunF101({"check", folder, dir / "demo/F101/20151101", "--dry-run", "--quiet", "--xlsx", dir / "b.xlsx"}).status,
        1);
    ProcessResult summary = Python(dir, R"(
wb = openpyxl.load_workbook(sys.argv[1])
print(wb.sheetnames[:3])
for row in wb['summary'].iter_rows(min_row=2):
    print(row[1].value, row[3].value, row[5].value, row[6].value, row[10].value)
)",
                                   {dir / "b.xlsx"});
    EXPECT_EQ(summary.out,
              "['summary', 'findings', '2704 20151201 А (F101_1.DB)']\n2704 2015-12-01 7 6 done\n2704 2015-11-01 7 5 "
              "done\n")
        << summary.err;
    // A workbook in a folder that does not exist is refused before anything is checked.
    EXPECT_EQ(RunF101({"check", folder, "--xlsx", dir / "no/f.xlsx"}).status, 2);
}

TEST(F101Workbook, BadWorkbooksGetOneClearMessageAndLeaveTheTableUntouched) {
    TempDir dir;
    WriteText(dir / "t.csv", "NBAL2:A25,IS_RUB:N\n30102,1.5\n");
    ASSERT_EQ(RunF101({"import", dir / "t.csv", dir / "T.DB"}).status, 0);
    ASSERT_EQ(RunF101({"export", dir / "T.DB", "--xlsx", dir / "t.xlsx"}).status, 0);
    const std::string table = ReadBytes(dir / "T.DB");
    WriteText(dir / "not.xlsx", "NBAL2:A25,IS_RUB:N\n");
    ProcessResult make = Python(dir, R"(
d = sys.argv[1]
zipfile.ZipFile(d + '/nobook.xlsx', 'w').writestr('[Content_Types].xml', '<Types/>')
zipfile.ZipFile(d + '/nosheet.xlsx', 'w').writestr('xl/workbook.xml', '<workbook><sheets/></workbook>')
for name, cell, value in [('formula', 'B2', '=1+1'), ('error', 'B2', '#DIV/0!'), ('long', 'A2', 'x' * 26)]:
    wb = openpyxl.load_workbook(d + '/t.xlsx')
    wb.active[cell] = value
    wb.save(d + '/' + name + '.xlsx')
)",
                                {dir.path()});
    ASSERT_EQ(make.status, 0) << make.err;
    struct Case {
        std::string file, message;
        int status;
        std::vector<std::string> more = {};
    };
    for (const Case& c : std::vector<Case>{
             {"not.xlsx", "not.xlsx: not a workbook (.xlsx): Not a zip archive", 3},
             {"nobook.xlsx", "nobook.xlsx: not a workbook (.xlsx): the archive has no xl/workbook.xml", 3},
             {"nosheet.xlsx", "nosheet.xlsx: the workbook has no sheet", 3},
             {"formula.xlsx", "formula.xlsx: sheet 'T' cell B2 holds a formula (=1+1)", 3},
             {"error.xlsx", "error.xlsx: sheet 'T' cell B2 holds an error value (#DIV/0!)", 3},
             {"long.xlsx",
              "long.xlsx: sheet 'T' cell A2: field NBAL2: text of 26 characters does not fit field NBAL2 of 25", 3},
             {"t.xlsx", "t.xlsx: no sheet 'Лист1' (the workbook has 'T')", 2, {"--sheet", "Лист1"}},
         }) {
        std::vector<std::string> args = {"import", dir / c.file, dir / "T.DB", "--replace"};
        args.insert(args.end(), c.more.begin(), c.more.end());
        ProcessResult r = RunF101(args);
        EXPECT_EQ(r.status, c.status) << c.file << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
        EXPECT_TRUE(ReadBytes(dir / "T.DB") == table) << c.file;
    }
}

TEST(F101Workbook, AHundredThousandRowsImportWhole) {
    TempDir dir;
    // Written straight as a sheet's XML, the way a spreadsheet keeps inline strings.
    ProcessResult make = Python(dir, R"(
rows = ['<row r="1"><c r="A1" t="inlineStr"><is><t>NBAL2:A25</t></is></c><c r="B1" t="inlineStr"><is><t>IS_RUB:N</t></is></c></row>']
for i in range(2, 100002):
    rows.append('<row r="%d"><c r="A%d" t="inlineStr"><is><t>%05d</t></is></c><c r="B%d"><v>%d.5</v></c></row>' % (i, i, i % 100000, i, i))
z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)
z.writestr('xl/workbook.xml', '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="big" sheetId="1" r:id="rId1"/></sheets></workbook>')
z.writestr('xl/_rels/workbook.xml.rels', '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>')
z.writestr('xl/worksheets/sheet1.xml', '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>' + ''.join(rows) + '</sheetData></worksheet>')
)",
                                {dir / "big.xlsx"});
    ASSERT_EQ(make.status, 0) << make.err;
    ProcessResult r = RunF101({"import", dir / "big.xlsx", dir / "BIG.DB"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string csv = RunF101({"export", dir / "BIG.DB"}).out;
    EXPECT_EQ(Count(csv, "\n"), 100001u);
    EXPECT_NE(csv.find("\n00000,100000.5\n"), std::string::npos);
    EXPECT_NE(csv.find("\n00002,2.5\n"), std::string::npos);
}

}  // namespace tesma::testing
