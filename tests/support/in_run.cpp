#include "support/in_run.h"

namespace tesma::testing {

ScriptedUi::ScriptedUi() {
    auto b = std::make_unique<ui::ScriptedBackend>();
    backend_ = b.get();
    ui::SetBackend(std::move(b));
}

ScriptedUi::~ScriptedUi() { ui::SetBackend(nullptr); }

void RunInside(const RunSetup& s, const hostkit::DescriptorSet& records, const std::function<void()>& body) {
    host::RunArguments a;
    a.tableId = s.tableId;
    a.mode = s.mode;
    a.instanceId = s.instance;
    a.reportDate = s.date;
    a.protocolPath = s.protocol;
    a.dataDir = s.dataDir;
    a.overrideDir = s.overrideDir;
    a.SetLists(records);
    a.procedures = {body};
    host::RunEntry(a);
}

}  // namespace tesma::testing
