#pragma once
// Report trees for tests: a form 101 folder with dated folders, tables written by the engine,
// and the host's descriptor records of the form.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "descriptor_records.h"
#include "platform/engine/cell.h"
#include "platform/engine/paradox.h"
#include "support/temp_dir.h"
#include "tesma/tesmaC.h"

namespace tesma::testing {

inline constexpr std::int32_t kForm101 = 101;

// The chapter tables' file names in the dated folder.
std::string ChapterFile(char chapterLatin);  // 'A', 'B', 'V', 'G', 'D'

// Form 101 as a host describes it: the form "F101", its five chapter tables (codes Ф_1..Ф_5),
// the requisites table of the electronic report message, and their fields.
std::vector<hostkit::FormRecord> Form101Forms();
std::vector<hostkit::TableRecord> Form101Tables();
std::vector<hostkit::FieldRecord> Form101Fields();

// Columns of a chapter table: ID_EKZ, NBAL2, A_P, the twelve amounts, NNN.
std::vector<engine::NewField> ChapterFields();
struct Amounts {
    double vxRub = 0, vxVal = 0, vxItog = 0, obAkRub = 0, obAkVal = 0, obAkItog = 0, obPasRub = 0, obPasVal = 0,
           obPasItog = 0, isRub = 0, isVal = 0, isItog = 0;
};
std::vector<engine::Cell> ChapterRow(std::int32_t instance, const std::string& nbal2, const std::string& ap,
                                     const Amounts& a = {}, std::int32_t nnn = 0);

// Columns of a chapter Д table: as a chapter table, with the amounts as text (exact decimals).
std::vector<engine::NewField> DepoFields();
std::vector<engine::Cell> DepoRow(std::int32_t instance, const std::string& nbal2, const std::string& ap,
                                  const std::array<std::string, 12>& amounts, std::int32_t nnn = 0);

// The instance register REP_EKZ.DB of a dated folder.
struct Instance {
    std::int32_t id;
    std::string regNum, filialNum, change;
};
void WriteRepEkz(const std::string& folder, const std::vector<Instance>& instances);

// A requisites table (code, VAL, ID_EKZ), e.g. REKW_F101.DB or REKWTU.DB.
struct Requisite {
    std::string code, value;
    std::int32_t instance = 0;
};
void WriteRequisites(const std::string& path, const std::vector<Requisite>& rows);

// A form's table definitions rfdef.DB.
struct Definition {
    std::string code, table;
    std::int32_t toIdf = 0;
    std::string order;
    std::int32_t fdOrder = 0;
};
void WriteRfdef(const std::string& folder, const std::vector<Definition>& rows);

// A temporary folder holding <root>/F101/<YYYYMMDD>/ folders and a protocol file path.
class ReportTree {
public:
    ReportTree();
    const std::string& Root() const { return root_; }
    // <root>/F101/<YYYYMMDD>/ (with the closing separator, as hosts give it), created when missing.
    std::string DateDir(double date) const;
    std::string Protocol() const { return dir_ / "protocol.txt"; }
    const TempDir& Dir() const { return dir_; }

private:
    TempDir dir_;
    std::string root_;
};

}  // namespace tesma::testing
