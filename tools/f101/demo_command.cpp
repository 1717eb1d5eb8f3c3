// The demo report: a real institution's published sheet as the current month, a consistent
// previous month derived from it, and a few deliberate errors that the controls must find.
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

#include "commands.h"
#include "exit_status.h"
#include "form101.h"
#include "platform/locale/number_format.h"
#include "published_sheet.h"
#include "report_folder.h"
#include "report_tree.h"
#include "run_host.h"
#include "run_options.h"
#include "run_session.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

enum { VR, VV, VITG, ORA, OVA, OITGA, ORP, OVP, OITGP, IR, IV, IITG };

std::string AmountPlus(const std::string& amount, long long delta) {
    const long double v = locale::ParseNumber(amount.empty() ? "0" : amount, '.').value_or(0);
    return locale::GeneralNumberText(v + static_cast<long double>(delta), '.');
}

// Last month's report as this month's opening balances: outgoing = this month's incoming.
std::vector<reportkit::PublishedRow> PreviousMonth(std::vector<reportkit::PublishedRow> rows) {
    for (reportkit::PublishedRow& r : rows) {
        r.date = "2015-11-01";
        for (int i : {IR, IV, IITG})
            r.amounts[static_cast<std::size_t>(i)] = r.amounts[static_cast<std::size_t>(i - IR)];
        for (int i : {ORA, OVA, OITGA, ORP, OVP, OITGP}) r.amounts[static_cast<std::size_t>(i)] = "0";
    }
    return rows;
}

reportkit::PublishedRow* FirstAccount(std::vector<reportkit::PublishedRow>& rows, const std::string& plan,
                                      const std::string& ap) {
    for (reportkit::PublishedRow& r : rows)
        if (r.plan == plan && r.ap == ap && r.numSc != "ITGAP" && AmountPlus(r.amounts[IR], 0) != "0" &&
            AmountPlus(r.amounts[VR], 0) != "0")
            return &r;
    return nullptr;
}

// The demo's sheets: installed beside the program (share/tesma/demo), or in the source tree.
fs::path DemoData() {
    std::error_code ec;
    const fs::path installed = fs::read_symlink("/proc/self/exe", ec).parent_path() / "../share/tesma/demo";
    if (!ec && fs::is_directory(installed, ec)) return installed.lexically_normal();
    return TESMA_DEMO_DATA;
}

struct DemoOptions {
    std::string dir, data;
    bool json = false;
};

int Demo(const std::string& dirArg, const std::string& data, bool json) {
    try {
        const fs::path dir = dirArg.empty() ? fs::path("f101-demo") : fs::path(dirArg);
        const fs::path dataDir = data.empty() ? DemoData() : fs::path(data);
        auto current = reportkit::ReadPublished((dataDir / "sheet-2015-12-01.csv").string(), "");
        auto chart = reportkit::ReadChart((dataDir / "account-signs.csv").string());
        const auto names = reportkit::ReadBankNames((dataDir / "bank-names.csv").string());
        const auto name = current.empty() ? names.end() : names.find(current.front().regn);
        const std::string bankName = name == names.end() ? std::string() : name->second;
        auto previous = PreviousMonth(current);

        // Deliberate errors:
        // 1. an active account's outgoing roubles one more than its balance allows;
        reportkit::PublishedRow* active = FirstAccount(current, "А", "1");
        // 2. last month's outgoing balance of a passive account differs from this month's opening;
        reportkit::PublishedRow* passive = FirstAccount(previous, "А", "2");
        if (!active || !passive) throw std::runtime_error("the demo sheet lacks the accounts the demo changes");
        active->amounts[IR] = AmountPlus(active->amounts[IR], 1);
        passive->amounts[IR] = AmountPlus(passive->amounts[IR], 5);
        passive->amounts[IITG] = AmountPlus(passive->amounts[IITG], 5);

        fs::remove_all(dir / "F101");
        const std::string regn = current.front().regn;
        reportkit::WriteReportTree({dir.string(), regn, bankName, 1}, previous, chart);
        const std::string folderPath = reportkit::WriteReportTree({dir.string(), regn, bankName, 1}, current, chart);

        std::cerr << "f101 demo: report of " << (bankName.empty() ? "institution " + regn : bankName)
                  << " (registration number " << regn << ") as of 01.12.2015 in " << folderPath << "\n"
                  << "deliberate errors: account " << active->numSc << " (outgoing roubles +1), last month's account "
                  << passive->numSc << " (outgoing +5)\n";
        reportkit::ReportFolder folder = reportkit::OpenReportFolder(folderPath);
        hostkit::Library lib(reportkit::LibraryPath());
        RunSession session(json);
        for (const reportkit::Chapter& c : reportkit::kChapters)
            session.Run(lib, folder,
                        {c.tableId, contract::kModeControl, folder.onlyInstance, folder.dir + "protocol.txt", ""});
        session.Run(lib, folder,
                    {contract::kTableMessageRequisites, contract::kModeControl, 0, folder.dir + "protocol.txt", ""});
        std::cerr << "f101 demo: " << session.Counts().errors << " error line(s), " << session.Counts().warnings
                  << " warning line(s); protocol in " << folder.dir << "protocol.txt\n";
        // The demo's findings are its point: only a failure or a stop is not a clean demo.
        const int status = session.ExitStatus();
        return status == kFindings ? int{kClean} : status;
    } catch (const std::exception& e) {
        std::cerr << "f101: " << e.what() << '\n';
        return kCouldNotCheck;
    }
}

}  // namespace

Command AddDemo(CLI::App& app) {
    auto o = std::make_shared<DemoOptions>();
    CLI::App* cmd = app.add_subcommand("demo", "Build the demo report, run every control and print the protocol");
    cmd->add_option("DIR", o->dir, "Folder for the demo report tree (default ./f101-demo)");
    cmd->add_option("--data", o->data, "Folder of the demo's source sheets");
    AddJsonOption(*cmd, o->json, "Print the protocol lines as JSON Lines");
    cmd->footer("Exit status: 0 the demo ran, 2 usage error, 3 the demo tree could not be built or checked.");
    return {cmd, [o] { return Demo(o->dir, o->data, o->json); }};
}

}  // namespace tesma::f101
