// `f101 reindex TABLE`: the primary index of a keyed Paradox table rebuilt from the table.
#include <iostream>
#include <memory>

#include "command_support.h"
#include "commands.h"
#include "platform/engine/keyed_table.h"

namespace tesma::f101 {

Command AddReindex(CLI::App& app) {
    auto table = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand(
        "reindex", "Rebuild the primary index (.PX) of a keyed Paradox table from the table; the table is not changed");
    cmd->add_option("TABLE", *table, "Keyed table file (.DB)")->required();
    cmd->footer(
        "The index is derived from the table, and only from a table that is sound: its header counts the records its "
        "blocks hold, its records are in key order and no key is held twice. A table that is not is refused (it may "
        "itself be the damaged file), and nothing is written.\n"
        "Exit status: 0 rebuilt, 2 usage error (no such table), 3 not rebuilt (no primary key, a table that is not "
        "sound, a table held by a run, a file that could not be read or written; nothing changed).");
    return {cmd, [table] {
                return Guarded([&] {
                    RequireFile(*table);
                    const engine::RebuiltIndex r = engine::RebuildPrimaryIndex(text::FromUtf8(*table, true));
                    std::cout << text::ToUtf8(r.indexPath) << ": rebuilt from the table, " << r.records << " records, "
                              << r.levels << (r.levels == 1 ? " level" : " levels") << '\n';
                    if (!r.before.empty()) std::cout << "  before: " << text::ToUtf8(r.before) << '\n';
                    return int{kClean};
                });
            }};
}

}  // namespace tesma::f101
