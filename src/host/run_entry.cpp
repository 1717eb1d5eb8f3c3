#include "host/run_entry.h"

#include <exception>
#include <memory>

#include "host/dispatcher.h"
#include "host/fm_contr.h"
#include "platform/text/cp1251.h"
#include "tesma/tesmaC.h"

using namespace tesma::literals;

namespace tesma::host {

bool RunEntry(const RunArguments& a) {
    // Snapshots of the host's lists come first.
    HostLists lists{DescriptorList(a.forms, a.formCount, TESMA_MAX_FORMS, "form"),
                    DescriptorList(a.tables, a.tableCount, TESMA_MAX_TABLES, "table"),
                    DescriptorList(a.fields, a.fieldCount, TESMA_MAX_FIELDS, "field"),
                    DescriptorList(a.extras, a.extraCount, TESMA_MAX_EXTRAS, "extra")};
    HostApplication = a.owner;
    auto window = std::make_unique<TFmContr>(a.owner);
    struct Release {
        std::unique_ptr<TFmContr>& w;
        ~Release() {
            TFmContr& ran = *w;
            ran.Record.End(ran.Stopped             ? RunEnding::Stopped
                           : ran.ProtocolNotOpened ? RunEnding::NoProtocol
                           : ran.Failed || std::uncaught_exceptions() > 0 ? RunEnding::Failed
                                                                             : RunEnding::Finished);
            FmContr = nullptr;
            w.reset();
        }
    } release{window};
    FmContr = window.get();
    if (a.mode == ModePrepare) window->Panel1 = "Подготовка отчета"_cp;
    window->MainTableId = a.tableId;
    window->PassThroughArg = a.passThrough;
    window->Mode = a.mode;
    window->InstanceId = a.instanceId;
    window->OtherInstanceId = 0;
    window->ReportDate = a.reportDate;
    window->ProtocolPath = a.protocolPath;
    window->DataDir = a.dataDir;
    window->OverrideDir = a.overrideDir;
    window->Lists = std::move(lists);
    window->Lname.clear();
    window->ShowModal();
    return true;
}

}  // namespace tesma::host
