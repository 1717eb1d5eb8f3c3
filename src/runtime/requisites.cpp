#include "runtime/requisites.h"

#include <utility>

#include "platform/engine/files.h"
#include "platform/errors.h"
#include "platform/executable_folder.h"
#include "platform/locale/number_format.h"
#include "platform/locale/settings.h"
#include "platform/text/cp1251.h"
#include "runtime/conversions.h"
#include "runtime/run.h"
#include "runtime/sql_text.h"
#include "runtime/texts.h"

namespace tesma {

using runtime::CurrentRun;

namespace {

// Runs a one-value statement on QQ: the first column of the first row as text, empty when none.
std::string FirstValue(const std::vector<std::string>& lines) {
    auto& qq = CurrentRun().QQ;
    qq.Close();
    qq.ClearSql();
    for (const auto& l : lines) qq.AddLine(l);
    struct CloseAfter {
        engine::Query& q;
        ~CloseAfter() { q.Close(); }
    } closeAfter{qq};
    qq.Open();
    return qq.Eof() ? std::string() : qq.AsText(0);
}

// The form's requisites table of the report (REKW_ and the first ten characters of the form's
// folder name, in the data folder), the form being that of the first table descriptor; empty
// when there is no such form or file.
std::string FormRequisitesFile(const runtime::Run& run) {
    const auto& lists = run.Lists;
    if (lists.tables.Count() < 1) return {};
    const std::int32_t formId = lists.TableFormId(1);
    if (formId == 0) return {};
    std::string name;
    for (std::int32_t f = 1; f <= lists.forms.Count(); ++f)
        if (lists.FormId(f) == formId) {
            name = lists.FormDirName(f).substr(0, 10);
            break;
        }
    if (name.empty()) return {};
    const std::string file = engine::JoinPath(run.DataDir, "REKW_" + name + ".DB");
    return engine::FileExists(file) ? file : std::string();
}

// The instance whose requisites are read: 0 for none.
std::int32_t RequisitesInstance(const runtime::Run& run) { return run.RequisitesInstanceId.value_or(run.InstanceId); }

}  // namespace

RequisitesOfInstance::RequisitesOfInstance(std::int32_t instance)
    : previous_(std::exchange(CurrentRun().RequisitesInstanceId, instance)) {}

RequisitesOfInstance::~RequisitesOfInstance() {
    if (runtime::Run* run = runtime::RunInProgress()) run->RequisitesInstanceId = previous_;
}

std::string ReadFormRequisite(std::string_view code) {
    runtime::Run& run = CurrentRun();
    const std::string file = FormRequisitesFile(run);
    if (file.empty()) return {};
    std::vector<std::string> lines{"select VAL from " + SqlTable(file) + " where code='" + SqlQuoted(code) + "'"};
    if (const std::int32_t instance = RequisitesInstance(run); instance != 0)
        lines.push_back(" and ID_EKZ=" + std::to_string(instance));
    return FirstValue(lines);
}

bool FormRequisitesOfOneInstance() {
    runtime::Run& run = CurrentRun();
    const std::string file = FormRequisitesFile(run);
    if (file.empty()) return true;
    auto& qq = run.QQ;
    qq.Close();
    qq.ClearSql();
    qq.AddLine("select * from " + SqlTable(file));
    struct CloseAfter {
        engine::Query& q;
        ~CloseAfter() { q.Close(); }
    } closeAfter{qq};
    qq.Open();
    const int id = qq.FindField("ID_EKZ");
    if (id < 0) return true;
    std::optional<std::int64_t> seen;
    for (qq.First(); !qq.Eof(); qq.Next()) {
        const std::int64_t instance = qq.AsInteger(id);
        if (seen && *seen != instance) return false;
        seen = instance;
    }
    return true;
}

std::string ReadCommonRequisite(std::string_view code) {
    const std::string folder = ExecutableFolder();
    if (!engine::FileExists(folder + "REKWTU.DB")) return {};
    return FirstValue({"select VAL from " + SqlTable(folder + "REKWTU.DB") + " where code='" + SqlQuoted(code) + "'"});
}

std::string BankRegNumber() { return ReadFormRequisite("BNK_REGN"); }

std::string BankBranchNumber() { return ReadFormRequisite("BNK_FILN"); }

Value LookupValue(std::string_view fieldName, std::string_view keyValue, std::string_view tableName) {
    runtime::Run& run = CurrentRun();
    const std::string table = text::LatinUpper(tableName);
    if (table.find("_REKW") != std::string::npos)
        return Value::Str(table == "GU_REKW" ? ReadCommonRequisite(keyValue) : ReadFormRequisite(keyValue));
    const auto& lists = run.Lists;
    std::int32_t id = 0;
    for (std::int32_t i = 1; i <= lists.tables.Count(); ++i) {
        if (lists.TableCode(i) != table) continue;
        id = lists.TableId(i);
        run.MainTableFile = lists.TableFileName(i);
    }
    if (id == 0) return Value::Int(0);
    return LookupKeyedValue(fieldName, keyValue, id);
}

Value LookupKeyedValue(std::string_view fieldName, std::string_view keyValue, std::int32_t tableId) {
    runtime::Run& run = CurrentRun();
    const std::string name = text::LatinUpper(fieldName);
    const auto& lists = run.Lists;
    std::int32_t field = 0;
    std::string keyName;
    for (std::int32_t i = 1; i <= lists.fields.Count(); ++i) {
        if (lists.FieldTableId(i) != tableId) continue;
        if (lists.FieldName(i) == name) field = i;
        if (lists.FieldIsKey(i)) keyName = lists.FieldName(i);
    }
    if (field == 0 || keyName.empty()) return Value::Int(0);
    std::vector<std::string> lines{
        "select " + name + " from " + SqlTable(engine::JoinPath(run.DataDir, run.MainTableFile + ".DB")),
        " where " + keyName + " = '" + SqlQuoted(keyValue) + "'"};
    if (const std::int32_t instance = RequisitesInstance(run); instance != 0)
        lines.push_back(" and ID_EKZ=" + std::to_string(instance));
    const std::string t = FirstValue(lines);
    switch (lists.FieldType(field)) {
        case 'A':
            return Value::Str(text::FullUpper(t));
        case 'D':
            return t.empty() ? Value::Int(0) : Value::DateOf(ShortDateTextToDate(t));
        case 'I': {
            if (t.empty()) return Value::Str("");
            auto v = locale::ParseInteger(TrimText(t));
            if (!v || *v < INT32_MIN || *v > INT32_MAX)
                throw ConversionError("'" + t + "' is not a valid integer value");
            return Value::Int(static_cast<std::int32_t>(*v));
        }
        case 'N': {
            if (t.empty()) return Value::Str("");
            auto v = locale::ParseNumber(TrimText(t), locale::Current().decimalSeparator);
            if (!v) throw ConversionError("'" + t + "' is not a valid floating point value");
            return Value::Real(static_cast<double>(*v));
        }
        default:
            return Value::Int(0);
    }
}

}  // namespace tesma
