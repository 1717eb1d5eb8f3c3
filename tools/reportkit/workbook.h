#pragma once
// A workbook (.xlsx) being written, over libxlsxwriter: sheets of text, numbers, dates and truth
// values, cells filled in colour and cell notes. The file is written beside its final name and
// renamed into place when it is whole, so a failed write leaves any earlier workbook as it was.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace tesma::reportkit {

class Workbook {
public:
    explicit Workbook(std::string path);  // a folder that does not exist is a UsageError
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    class Sheet {
    public:
        // Texts are UTF-8; rows and columns count from 0.
        void Text(std::uint32_t row, std::uint16_t col, const std::string& text, lxw_format* format = nullptr);
        void Number(std::uint32_t row, std::uint16_t col, double value, lxw_format* format = nullptr);
        void Boolean(std::uint32_t row, std::uint16_t col, bool value, lxw_format* format = nullptr);
        // Days from 30 December 1899, shown dd.mm.yyyy (a `fill` colour: Fill(rgb, true)).
        void Date(std::uint32_t row, std::uint16_t col, double dayCount, lxw_format* fill = nullptr);
        void Note(std::uint32_t row, std::uint16_t col, const std::string& text);
        // The header row stays in view, with a filter on its columns.
        void HeaderRow(std::uint16_t columns, std::uint32_t rows);
        void Width(std::uint16_t col, double characters);

    private:
        friend class Workbook;
        Sheet(Workbook& book, lxw_worksheet* sheet) : book_(&book), sheet_(sheet) {}
        Workbook* book_;
        lxw_worksheet* sheet_;
    };

    // A sheet named `name`, made valid and unique (at most 31 characters, none of []:*?/\).
    Sheet AddSheet(const std::string& name);
    lxw_format* Bold();
    lxw_format* Fill(std::uint32_t rgb, bool date = false);  // a cell filled in this colour
    // Writes the file; a failure is a std::runtime_error naming it.
    void Close();

    // The largest number of rows a sheet holds.
    static constexpr std::uint32_t kMaxRows = 1048576;

private:
    std::string path_, temp_;
    lxw_workbook* book_;
    lxw_format* date_;
    lxw_format* bold_ = nullptr;
    std::map<std::pair<std::uint32_t, bool>, lxw_format*> fills_;
    int sheets_ = 0;
    bool closed_ = false;
};

// Whether a number is written to a workbook exactly: the digits a workbook keeps of it read back
// as the same double.
bool WorkbookKeepsExactly(double value);

}  // namespace tesma::reportkit
