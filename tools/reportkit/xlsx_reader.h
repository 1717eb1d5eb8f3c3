#pragma once
// Reading a workbook (.xlsx) as a spreadsheet saves it: the zip archive through libzip, its XML
// parts through expat. The sheets by name, and a sheet's rows with their cells' values: texts
// (shared or inline), numbers, truth values and ISO dates. A cell holding a formula or an error
// value is refused with the sheet and cell named, since its value is not data of its own.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tesma::reportkit {

struct SheetCell {
    enum class Kind { Text, Number, Boolean, Date };
    std::uint32_t column = 0;  // from 0
    Kind kind = Kind::Text;
    // UTF-8: the text; a number's shortest exact decimal form ("1234.5"); "True" or "False"; an ISO
    // date "2015-12-01" (with "T10:30:00" when it has a time of day)
    std::string text;
    double number = 0;  // a Number's value
};

struct SheetRow {
    std::uint32_t row = 0;         // from 1, as the sheet numbers it
    std::vector<SheetCell> cells;  // in column order, only cells that hold a value
};

// "C17" for row 17 (from 1) and column 2 (from 0).
std::string CellName(std::uint32_t row, std::uint32_t column);

class XlsxReader {
public:
    // The workbook's bytes; `path` names it in messages. Anything that is not a workbook is a
    // std::runtime_error saying what is wrong.
    XlsxReader(std::string bytes, std::string path);
    ~XlsxReader();
    XlsxReader(const XlsxReader&) = delete;
    XlsxReader& operator=(const XlsxReader&) = delete;

    const std::vector<std::string>& SheetNames() const { return names_; }
    // Each row of a sheet holding a value, in order (`sheet` empty: the first sheet). A sheet the
    // workbook lacks is a UsageError listing those it has.
    void ReadSheet(const std::string& sheet, const std::function<void(const SheetRow&)>& onRow);

private:
    struct Archive;
    std::string Part(const std::string& name) const;
    std::unique_ptr<Archive> zip_;
    std::string path_;
    std::vector<std::string> names_, parts_;  // each sheet's name and the part holding it
    std::vector<std::string> strings_;        // the shared strings
};

}  // namespace tesma::reportkit
