#include "host/run_entry.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "host/fm_contr.h"
#include "platform/engine/session.h"
#include "platform/text/cp1251.h"
#include "tesma/tesmaC.h"

using namespace tesma::literals;

namespace tesma::host {

namespace {

// What the table engine said besides failures (a primary index rebuilt from its table, what a
// dry run would have refused), one line each on standard error once the window is gone: not a
// message box, for nothing went wrong with the run.
void SayNotices() noexcept {
    try {
        for (const std::string& notice : engine::DefaultSession().TakeNotices())
            std::fprintf(stderr, "tesma: %s\n", text::ToUtf8(notice).c_str());
        std::fflush(stderr);
    } catch (...) {
        // A notice that cannot be said (no memory) is not worth ending the host for.
    }
}

}  // namespace

bool RunEntry(const RunArguments& a) {
    // Snapshots of the host's lists come first.
    using runtime::DescriptorList;
    runtime::HostLists lists{DescriptorList(a.forms, a.formCount, TESMA_MAX_FORMS, "form"),
                             DescriptorList(a.tables, a.tableCount, TESMA_MAX_TABLES, "table"),
                             DescriptorList(a.fields, a.fieldCount, TESMA_MAX_FIELDS, "field"),
                             DescriptorList(a.extras, a.extraCount, TESMA_MAX_EXTRAS, "extra")};
    HostApplication = a.owner;
    auto window = std::make_unique<TFmContr>(a.owner);
    struct Release {
        std::unique_ptr<TFmContr>& w;
        ~Release() {
            SayNotices();
            TFmContr& ran = *w;
            ran.Record.End(ran.Stopped                                    ? RunEnding::Stopped
                           : ran.ProtocolNotOpened                        ? RunEnding::NoProtocol
                           : ran.Failed || std::uncaught_exceptions() > 0 ? RunEnding::Failed
                                                                          : RunEnding::Finished);
            FmContr = nullptr;
            w.reset();
        }
    } release{window};
    FmContr = window.get();
    runtime::CurrentRunScope current(window->Context);
    if (a.mode == contract::kModePrepare) window->Panel1 = "Подготовка отчета"_cp;
    runtime::Run& run = window->Context;
    run.MainTableId = a.tableId;
    run.PassThroughArg = a.passThrough;
    run.Mode = a.mode;
    run.InstanceId = a.instanceId;
    run.OtherInstanceId = 0;
    run.ReportDate = a.reportDate;
    run.ProtocolPath = a.protocolPath;
    run.DataDir = a.dataDir;
    run.OverrideDir = a.overrideDir;
    run.Lists = std::move(lists);
    window->Procedures = a.procedures;
    window->Lname.clear();
    window->ShowModal();
    return true;
}

}  // namespace tesma::host
