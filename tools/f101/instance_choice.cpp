#include "instance_choice.h"

#include <algorithm>
#include <string>

namespace tesma::f101 {

namespace {

std::string Listing(const reportkit::ReportFolder& folder) {
    std::string out;
    for (const reportkit::ReportInstance& i : folder.instances)
        out += "\n  ID_EKZ " + std::to_string(i.id) + "  registration number " + (i.regn.empty() ? "-" : i.regn) +
               "  branch " + (i.branch.empty() ? "-" : i.branch);
    return out;
}

}  // namespace

std::int32_t ChooseInstance(const reportkit::ReportFolder& folder, std::int32_t given) {
    const std::string registry = folder.dir + "REP_EKZ.DB";
    if (given < 0) {
        if (folder.instances.size() <= 1) return folder.onlyInstance;
        throw reportkit::UsageError(registry + " holds " + std::to_string(folder.instances.size()) +
                                    " report instances; choose one with --instance ID_EKZ:" + Listing(folder));
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
