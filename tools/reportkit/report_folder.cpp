#include "report_folder.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "form101.h"
#include "platform/engine/files.h"
#include "platform/engine/paradox.h"
#include "platform/engine/query.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"

namespace tesma::reportkit {

namespace fs = std::filesystem;

namespace {

engine::TableFile ReadTable(const std::string& diskPath, const std::string& shown) {
    return engine::ParseParadox(engine::ReadWholeFile(diskPath, shown), shown);
}

char DescriptorTypeOf(engine::FieldType t) {
    switch (engine::KindOf(t)) {
        case engine::ColumnKind::Text:
            return 'A';
        case engine::ColumnKind::Date:
        case engine::ColumnKind::DateTime:
            return 'D';
        case engine::ColumnKind::Integer:
            return 'I';
        case engine::ColumnKind::Real:
            return 'N';
        default:
            return '?';
    }
}

// The reporting date a dated folder's name YYYYMMDD says (a day count), or nothing.
std::optional<double> ReportingDate(const std::string& name) {
    int y = 0, m = 0, d = 0;
    if (name.size() != 8 || name.find_first_not_of("0123456789") != std::string::npos ||
        std::sscanf(name.c_str(), "%4d%2d%2d", &y, &m, &d) != 3 || !locale::IsValidDate(y, m, d))
        return std::nullopt;
    return locale::EncodeDate(y, m, d);
}

bool IsReportFolder(const fs::path& p) {
    if (!ReportingDate(p.filename().string())) return false;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(p, ec)) {
        std::string file = e.path().filename().string();
        std::transform(file.begin(), file.end(), file.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (file == "RFDEF.DB") return true;
    }
    return false;
}

}  // namespace

std::string ReportFolder::TablePath(std::int32_t tableId) const {
    for (const auto& t : tables)
        if (t.id == tableId) {
            auto found = engine::FindFile(engine::JoinPath(dirCp, t.fileName + ".DB"));
            return found ? *found : std::string();
        }
    return {};
}

ReportFolder OpenReportFolder(const std::string& dirArg) {
    ReportFolder r;
    // "." inside a dated folder, or "20151201" inside the form folder: the names of the
    // folders come from the absolute path.
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(dirArg), ec).lexically_normal();
    if (ec) p = fs::path(dirArg).lexically_normal();
    if (p.filename().empty()) p = p.parent_path();
    if (!fs::is_directory(p)) throw UsageError(dirArg + ": no such report folder");
    const std::string dateText = p.filename().string();
    const std::string formDir = p.parent_path().filename().string();
    const auto date = ReportingDate(dateText);
    if (!date)
        throw UsageError(dirArg + ": the last folder of a report path is its reporting date YYYYMMDD, not '" +
                         dateText + "'");
    if (formDir.empty()) throw UsageError(dirArg + ": the reporting date folder must lie in a form folder");
    r.date = *date;
    r.dir = p.string() + "/";
    try {
        r.dirCp = text::FromUtf8(r.dir, true);
        r.formDir = text::FromUtf8(formDir, true);
    } catch (const std::invalid_argument& e) {
        throw UsageError(dirArg + ": the path has a character outside code page 1251 (" + e.what() + ")");
    }
    r.forms.push_back({kForm101, r.formDir});

    const std::string rfdef = r.dir + "rfdef.DB";
    auto rfdefDisk = engine::FindFile(engine::JoinPath(r.dirCp, "rfdef.DB"));
    if (!rfdefDisk) throw std::runtime_error(rfdef + ": no table definitions (rfdef.DB) in the report folder");
    engine::TableFile defs = ReadTable(*rfdefDisk, rfdef);
    const int code = defs.FieldIndex("FSNAME"), table = defs.FieldIndex("FTABLE"), toIdf = defs.FieldIndex("TO_IDF"),
              order = defs.FieldIndex("FORDER");
    if (code < 0 || table < 0)
        throw std::runtime_error(rfdef + ": the table definitions lack the field FSNAME or FTABLE");
    std::int32_t otherId = 900000;
    for (std::size_t i = 0; i < defs.records.size(); ++i) {
        hostkit::TableRecord t;
        t.formId = kForm101;
        t.code = text::LatinUpper(defs.Get(i, code).text.substr(0, 10));
        t.fileName = defs.Get(i, table).text.substr(0, 40);
        if (toIdf >= 0 && order >= 0 && defs.Get(i, toIdf).integer != 0)
            t.fileName =
                (t.fileName + "_" + engine::CellText(defs.Get(i, order), engine::ColumnKind::Text)).substr(0, 40);
        t.id = ++otherId;
        for (const Chapter& c : kChapters)
            if (t.code == text::FromUtf8(c.code)) t.id = c.tableId;
        if (t.code == kMessageRequisitesCode) t.id = contract::kTableMessageRequisites;
        if (t.code.empty() || t.fileName.empty()) continue;
        r.tables.push_back(t);
    }
    if (auto registry = engine::FindFile(engine::JoinPath(r.dirCp, "REP_EKZ.DB"))) {
        engine::TableFile instances = ReadTable(*registry, r.dir + "REP_EKZ.DB");
        const int id = instances.FieldIndex("ID_EKZ"), regn = instances.FieldIndex("REG_NUM"),
                  branch = instances.FieldIndex("FILIAL_NUM");
        r.hasRegister = id >= 0;
        for (std::size_t i = 0; id >= 0 && i < instances.records.size(); ++i)
            r.instances.push_back({static_cast<std::int32_t>(instances.Get(i, id).integer),
                                   regn >= 0 ? text::ToUtf8(instances.Get(i, regn).text) : std::string(),
                                   branch >= 0 ? text::ToUtf8(instances.Get(i, branch).text) : std::string()});
        if (r.instances.size() == 1) r.onlyInstance = r.instances.front().id;
    }
    // Fields: each table's columns from its file header, after the first column. A table that
    // cannot be read gets none, like a missing one: the folder is still worth running on (the
    // other chapters), and the run of that table meets the damage and says so, naming the file.
    for (const auto& t : r.tables) {
        auto disk = engine::FindFile(engine::JoinPath(r.dirCp, t.fileName + ".DB"));
        if (!disk) continue;
        engine::TableFile file;
        try {
            file = ReadTable(*disk, text::ToUtf8(engine::JoinPath(r.dirCp, t.fileName + ".DB")));
        } catch (const std::exception&) {
            continue;
        }
        if (!file.fields.empty()) r.firstColumns[t.id] = text::LatinUpper(file.fields.front().name);
        const std::size_t keyFields = file.keyed ? static_cast<unsigned char>(file.header[0x23]) : 0;
        for (std::size_t i = 1; i < file.fields.size(); ++i)
            r.fields.push_back(
                {t.id, text::LatinUpper(file.fields[i].name), DescriptorTypeOf(file.fields[i].type), i < keyFields});
    }
    return r;
}

std::vector<std::string> FindReportFolders(const std::vector<std::string>& roots) {
    std::vector<std::string> found;
    for (const std::string& root : roots) {
        if (!fs::is_directory(root)) throw UsageError(root + ": no such folder");
        const fs::path base = fs::path(root).lexically_normal();
        if (IsReportFolder(base)) found.push_back(base.string());
        std::error_code ec;
        for (fs::recursive_directory_iterator it(base, fs::directory_options::skip_permission_denied, ec), end;
             !ec && it != end; it.increment(ec)) {
            if (!it->is_directory()) continue;
            // Hidden folders are never reports: an import builds a tree under a hidden scratch
            // name before renaming it into place, and one a killed import left is not a report.
            if (it->path().filename().string().starts_with(".")) {
                it.disable_recursion_pending();
                continue;
            }
            if (IsReportFolder(it->path())) found.push_back(it->path().string());
        }
    }
    for (std::string& f : found)
        if (f.back() != '/') f += '/';
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

}  // namespace tesma::reportkit
