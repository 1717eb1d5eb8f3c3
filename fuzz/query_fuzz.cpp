// The query layer on any table file: the statements the library runs, over a table made of the
// input, give rows or an engine error.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/engine/query.h"
#include "platform/errors.h"

namespace {

const std::string& Folder() {
    static const std::string dir = [] {
        std::string d =
            (std::filesystem::temp_directory_path() / ("tesma-fuzz-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = Folder() + "/T.DB";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    static const char* const statements[] = {
        "select * from \"%\"",
        "select * from \"%\" where ID_EKZ=5",
        "select * from \"%\" order by NBAL2",
        "select VAL from \"%\" where code='BNK_REGN'",
        "select * from \"%\" where REG_NUM='1481'   and FILIAL_NUM='0'   and FL_CHANGE='' ",
        "select * from \"%\"\norder by FDORDER,FORDER",
        "select * from \"%\" order by BS2_NUM",
    };
    tesma::engine::Session session;
    for (const char* s : statements) {
        std::string sql = s;
        sql.replace(sql.find('%'), 1, Folder() + "/T");
        tesma::engine::Query q(std::string(s).find("ID_EKZ") != std::string::npos, &session);
        q.AddLine(sql);
        try {
            q.Open();
            for (q.First(); !q.Eof(); q.Next())
                for (int i = 0; i < q.FieldCount(); ++i) {
                    (void)q.AsText(i);
                    (void)q.AsReal(i);
                }
            if (q.RowCount() > 0 && q.FindField("A_P") >= 0) {
                q.First();
                q.Edit();
                q.SetText("A_P", "1");
                q.Post();
            }
        } catch (const tesma::Failure&) {
        }
        q.Close();
    }
    session.Discard();
    return 0;
}
