#pragma once
// Runs code inside a real control run (the run entry, the progress window, the scripted
// backend), as a control procedure would run.
#include <functional>
#include <memory>
#include <string>

#include "descriptor_records.h"
#include "host/run_entry.h"
#include "platform/ui/scripted_backend.h"
#include "tesma/tesmaC.h"

namespace tesma::testing {

struct RunSetup {
    std::int32_t tableId = contract::kTableChapterA;
    std::int32_t mode = contract::kModeControl;
    std::int32_t instance = 0;
    double date = 0;
    std::string protocol;
    std::string dataDir;
    std::string overrideDir;
};

// Installs a scripted backend for its lifetime.
class ScriptedUi {
public:
    ScriptedUi();
    ~ScriptedUi();
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;
    ui::ScriptedBackend& operator*() { return *backend_; }
    ui::ScriptedBackend* operator->() { return backend_; }

private:
    ui::ScriptedBackend* backend_;
};

// Runs `body` as the only procedure of a run; a failure inside it is shown in a message box
// (see the backend) as in any run.
void RunInside(const RunSetup& setup, const hostkit::DescriptorSet& records, const std::function<void()>& body);

}  // namespace tesma::testing
