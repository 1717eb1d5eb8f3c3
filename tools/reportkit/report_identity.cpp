#include "report_identity.h"

#include "platform/engine/files.h"
#include "platform/engine/paradox.h"
#include "platform/text/cp1251.h"

namespace tesma::reportkit {

namespace {

// The value of a form requisite for the instance, or empty.
std::string Requisite(const engine::TableFile& t, std::string_view code, std::int32_t instance) {
    const int codeField = t.FieldIndex("code"), value = t.FieldIndex("VAL"), id = t.FieldIndex("ID_EKZ");
    if (codeField < 0 || value < 0) return {};
    for (std::size_t i = 0; i < t.records.size(); ++i) {
        if (t.Get(i, codeField).text != code) continue;
        if (instance != 0 && id >= 0 && t.Get(i, id).integer != instance) continue;
        return text::ToUtf8(t.Get(i, value).text);
    }
    return {};
}

}  // namespace

ReportIdentity ReadReportIdentity(const ReportFolder& folder, std::int32_t instance) {
    ReportIdentity identity;
    for (const ReportInstance& i : folder.instances)
        if (i.id == instance || (instance == 0 && folder.instances.size() == 1)) identity.regn = i.regn;
    try {
        const std::string name = "REKW_" + folder.formDir.substr(0, 10) + ".DB";
        const auto disk = engine::FindFile(engine::JoinPath(folder.dirCp, name));
        if (!disk) return identity;
        const engine::TableFile t =
            engine::ParseParadox(engine::ReadWholeFile(*disk, folder.dir + name), folder.dir + name);
        if (identity.regn.empty()) identity.regn = Requisite(t, "BNK_REGN", instance);
        identity.bankName = Requisite(t, "BNK_NAME", instance);
    } catch (const std::exception&) {
        // What the requisites table holds is the library's to judge; the identity is a courtesy.
    }
    return identity;
}

}  // namespace tesma::reportkit
