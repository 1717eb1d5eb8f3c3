#include "command_support.h"

#include <algorithm>
#include <filesystem>

namespace tesma::f101 {

std::vector<reportkit::Chapter> ChosenChapters(const std::vector<std::string>& letters,
                                               const reportkit::ReportFolder& folder) {
    std::vector<reportkit::Chapter> out;
    for (const std::string& l : letters) {
        if (l == "all") {
            for (const reportkit::Chapter& c : reportkit::kChapters)
                if (!folder.TablePath(c.tableId).empty() &&
                    std::none_of(out.begin(), out.end(),
                                 [&](const reportkit::Chapter& o) { return o.tableId == c.tableId; }))
                    out.push_back(c);
            if (out.empty()) throw std::runtime_error(folder.dir + ": the folder holds no chapter table of form 101");
            continue;
        }
        auto c = reportkit::FindChapter(l);
        if (!c) throw reportkit::UsageError("unknown chapter '" + l + "' (А, Б, В, Г, Д, or A, B, V, G, D, or all)");
        if (folder.TablePath(c->tableId).empty())
            throw std::runtime_error(folder.dir + ": no table of chapter " + std::string(c->cyrillic) + " (code " +
                                     std::string(c->code) + ") in rfdef.DB or on disk");
        const bool again =
            std::any_of(out.begin(), out.end(), [&](const reportkit::Chapter& o) { return o.tableId == c->tableId; });
        if (!again) out.push_back(*c);  // a chapter named twice runs once
    }
    return out;
}

void RefuseHiddenFirstColumns(const reportkit::ReportFolder& folder, const std::vector<std::int32_t>& tableIds) {
    for (const std::int32_t id : tableIds) {
        const auto first = folder.firstColumns.find(id);
        if (first == folder.firstColumns.end() || !reportkit::ProceduresUseField(id, first->second)) continue;
        throw std::runtime_error(
            "table " + folder.TablePath(id) + ": its first column is " + text::ToUtf8(first->second) +
            ", a field the procedures read or write, but the library is given the columns after the first only; "
            "put a column the procedures do not use first (ID_EKZ or NNN), nothing was changed");
    }
}

void RequireFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) throw reportkit::UsageError(path + ": no such file");
    if (std::filesystem::is_directory(path, ec)) throw reportkit::UsageError(path + ": a folder, not a file");
}

CLI::Option* AddSeparatorOption(CLI::App& command, reportkit::CsvFormat& format, const char* what) {
    return command
        .add_option_function<std::string>(
            "--separator", [&format](const std::string& s) { format.separator = s == "tab" ? '\t' : s[0]; }, what)
        ->check(CLI::IsMember({",", ";", "tab"}));
}

CLI::Option* AddDecimalOptions(CLI::App& command, reportkit::CsvFormat& format, const char* readOrWrite) {
    const std::string verb = readOrWrite;
    CLI::Option* comma = command.add_flag_callback(
        "--decimal-comma", [&format] { format.decimalComma = true; },
        verb + " numbers and amounts with a decimal comma (the default with --separator ';')");
    CLI::Option* point = command.add_flag_callback(
        "--decimal-point", [&format] { format.decimalComma = false; },
        verb + " numbers and amounts with a decimal point (the default with ',' and tab)");
    comma->excludes(point);
    return comma;
}

}  // namespace tesma::f101
