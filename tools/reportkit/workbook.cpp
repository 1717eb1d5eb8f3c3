#include "workbook.h"

#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "report_folder.h"

namespace tesma::reportkit {

namespace {

// What libxlsxwriter says of a failure, with the file it concerns.
void Check(lxw_error error, const std::string& path) {
    if (error != LXW_NO_ERROR) throw std::runtime_error(path + ": cannot write the workbook: " + lxw_strerror(error));
}

// At most 31 characters (whole UTF-8 characters), none of []:*?/\, not beginning or ending with '.
std::string SheetName(const std::string& name) {
    std::string out;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size() && characters < 31; ++characters) {
        std::size_t n = 1;
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0xF0)
            n = 4;
        else if (c >= 0xE0)
            n = 3;
        else if (c >= 0xC0)
            n = 2;
        std::string one = name.substr(i, n);
        if (one.size() == 1 && std::string_view("[]:*?/\\").find(one[0]) != std::string_view::npos) one = "_";
        out += one;
        i += n;
    }
    while (!out.empty() && out.front() == '\'') out.erase(0, 1);
    while (!out.empty() && out.back() == '\'') out.pop_back();
    return out.empty() ? "Sheet" : out;
}

}  // namespace

bool WorkbookKeepsExactly(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.16G", value);  // as libxlsxwriter writes a number
    return std::strtod(text, nullptr) == value;
}

Workbook::Workbook(std::string path) : path_(std::move(path)) {
    const std::filesystem::path parent = std::filesystem::absolute(path_).parent_path();
    std::error_code ec;
    if (!std::filesystem::is_directory(parent, ec)) throw UsageError(path_ + ": no such folder " + parent.string());
    if (std::filesystem::is_directory(path_, ec)) throw UsageError(path_ + ": a folder, not a workbook file");
    temp_ = path_ + ".f101-new";
    book_ = workbook_new(temp_.c_str());
    if (!book_) throw std::runtime_error(path_ + ": cannot write the workbook");
    date_ = workbook_add_format(book_);
    format_set_num_format(date_, "dd.mm.yyyy");
}

Workbook::~Workbook() {
    if (closed_) return;
    // Nothing was asked to be written: the scratch file goes.
    workbook_close(book_);
    ::unlink(temp_.c_str());
}

Workbook::Sheet Workbook::AddSheet(const std::string& wanted) {
    std::string name = SheetName(wanted);
    for (int n = 2; workbook_get_worksheet_by_name(book_, name.c_str()); ++n) {
        const std::string suffix = " (" + std::to_string(n) + ")";
        name = SheetName(wanted.substr(0, 31 - suffix.size())) + suffix;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book_, name.c_str());
    if (!sheet) throw std::runtime_error(path_ + ": cannot add the sheet '" + name + "'");
    ++sheets_;
    return Sheet(*this, sheet);
}

lxw_format* Workbook::Bold() {
    if (!bold_) {
        bold_ = workbook_add_format(book_);
        format_set_bold(bold_);
    }
    return bold_;
}

lxw_format* Workbook::Fill(std::uint32_t rgb, bool date) {
    lxw_format*& f = fills_[{rgb, date}];
    if (!f) {
        f = workbook_add_format(book_);
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, rgb);
        if (date) format_set_num_format(f, "dd.mm.yyyy");
    }
    return f;
}

void Workbook::Close() {
    closed_ = true;
    const lxw_error error = workbook_close(book_);
    if (error != LXW_NO_ERROR) {
        ::unlink(temp_.c_str());
        Check(error, path_);
    }
    std::error_code ec;
    std::filesystem::rename(temp_, path_, ec);
    if (ec) {
        ::unlink(temp_.c_str());
        throw std::runtime_error(path_ + ": cannot write the workbook: " + ec.message());
    }
}

void Workbook::Sheet::Text(std::uint32_t row, std::uint16_t col, const std::string& text, lxw_format* format) {
    Check(worksheet_write_string(sheet_, row, col, text.c_str(), format), book_->path_);
}

void Workbook::Sheet::Number(std::uint32_t row, std::uint16_t col, double value, lxw_format* format) {
    Check(worksheet_write_number(sheet_, row, col, value, format), book_->path_);
}

void Workbook::Sheet::Boolean(std::uint32_t row, std::uint16_t col, bool value, lxw_format* format) {
    Check(worksheet_write_boolean(sheet_, row, col, value ? 1 : 0, format), book_->path_);
}

void Workbook::Sheet::Date(std::uint32_t row, std::uint16_t col, double dayCount, lxw_format* fill) {
    Check(worksheet_write_number(sheet_, row, col, dayCount, fill ? fill : book_->date_), book_->path_);
}

void Workbook::Sheet::Note(std::uint32_t row, std::uint16_t col, const std::string& text) {
    Check(worksheet_write_comment(sheet_, row, col, text.c_str()), book_->path_);
}

void Workbook::Sheet::HeaderRow(std::uint16_t columns, std::uint32_t rows) {
    if (columns == 0) return;
    worksheet_freeze_panes(sheet_, 1, 0);
    Check(worksheet_autofilter(sheet_, 0, 0, rows == 0 ? 0 : rows - 1, static_cast<lxw_col_t>(columns - 1)),
          book_->path_);
}

void Workbook::Sheet::Width(std::uint16_t col, double characters) {
    Check(worksheet_set_column(sheet_, col, col, characters, nullptr), book_->path_);
}

}  // namespace tesma::reportkit
