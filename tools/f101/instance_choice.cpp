#include "instance_choice.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "form101.h"
#include "platform/engine/files.h"
#include "platform/engine/paradox.h"

namespace tesma::f101 {

namespace {

std::string Listing(const reportkit::ReportFolder& folder) {
    std::string out;
    for (const reportkit::ReportInstance& i : folder.instances)
        out += "\n  ID_EKZ " + std::to_string(i.id) + "  registration number " + (i.regn.empty() ? "-" : i.regn) +
               "  branch " + (i.branch.empty() ? "-" : i.branch);
    return out;
}

// The instances whose rows the chapter tables hold (0: rows of none), each with the files that
// hold them.
std::map<std::int32_t, std::set<std::string>> ChapterInstances(const reportkit::ReportFolder& folder) {
    std::map<std::int32_t, std::set<std::string>> found;
    for (const reportkit::Chapter& c : reportkit::kChapters) {
        const std::string path = folder.TablePath(c.tableId);
        if (path.empty()) continue;
        const engine::TableFile t = engine::ParseParadox(engine::ReadWholeFile(path, path), path);
        const int id = t.FieldIndex("ID_EKZ");
        if (id < 0) continue;
        const std::string file = path.substr(path.find_last_of('/') + 1);
        for (std::size_t r = 0; r < t.records.size(); ++r)
            found[static_cast<std::int32_t>(t.Get(r, id).integer)].insert(file);
    }
    return found;
}

}  // namespace

std::int32_t ChooseInstance(const reportkit::ReportFolder& folder, std::int32_t given) {
    const std::string registry = folder.dir + "REP_EKZ.DB";
    if (given < 0) {
        if (folder.instances.size() == 1) return folder.onlyInstance;
        if (folder.instances.size() > 1)
            throw reportkit::UsageError(registry + " holds " + std::to_string(folder.instances.size()) +
                                        " report instances; choose one with --instance ID_EKZ:" + Listing(folder));
        // No instance in the register: the report as a whole, which the library works on as the
        // one instance the tables hold; tables holding several are never mixed.
        const auto found = ChapterInstances(folder);
        if (found.size() <= 1) return 0;
        std::string listing;
        for (const auto& [id, files] : found) {
            listing += "\n  " + (id == 0 ? std::string("no ID_EKZ") : "ID_EKZ " + std::to_string(id)) + "  in";
            for (const std::string& f : files) listing += " " + f;
        }
        throw reportkit::UsageError((folder.hasRegister
                                         ? registry + " lists no report instance"
                                         : folder.dir + ": no register of report instances (REP_EKZ.DB)") +
                                    ", and the chapter tables hold rows of " + std::to_string(found.size()) +
                                    " instances; choose one with --instance ID_EKZ:" + listing);
    }
    if (folder.instances.empty()) return given;
    const bool held = std::any_of(folder.instances.begin(), folder.instances.end(),
                                  [&](const reportkit::ReportInstance& i) { return i.id == given; });
    if (!held)
        throw reportkit::UsageError("--instance " + std::to_string(given) + ": " + registry +
                                    " holds no such instance; it holds:" + Listing(folder));
    return given;
}

}  // namespace tesma::f101
