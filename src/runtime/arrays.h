#pragma once
// Control arrays: a dense slot number per (array name, key), allocated 1, 2, 3, ... in the
// order in which the keys of an array first appear, with a declared capacity per array. They
// belong to the run in progress (runtime::Run::Arrays), which frees them at its end; the free
// functions below work on its arrays.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tesma {

// For a caller that looks up one array many times: remembers where its name was found, until
// the next ResetArrays or FreeArrayCells of the same run. Same results as the calls without it.
struct ArrayCache {
    std::uint64_t generation = 0;
    std::size_t index = 0;
};

namespace runtime {

class ControlArrays {
public:
    void Reset();
    void Declare(std::string_view arrayName, std::int32_t maxSize);
    std::int32_t Index(std::string_view arrayName, long double key, ArrayCache* cache);
    bool HasKey(std::string_view arrayName, long double key, ArrayCache* cache);
    void FreeCells();

private:
    static constexpr std::size_t kMaxDeclarations = 100;
    struct Declaration {
        std::string name;  // empty: free
        std::int32_t size = 0;
    };
    struct Array {
        std::string name;  // Latin-upper-cased
        std::unordered_map<std::int32_t, std::int32_t> slotOfKey;
        std::int32_t lastSlot = 0;
        std::int32_t limit = 0;       // the size of its first declaration,
        std::uint64_t limitAsOf = 0;  // as of this count of declarations
    };
    Array* Find(std::string_view name);
    Array* Resolve(std::string_view arrayName, ArrayCache* cache, bool create);

    std::array<Declaration, kMaxDeclarations> declarations_;
    std::unordered_map<std::string, std::int32_t> firstDeclaration_;  // name -> size of its first entry
    std::vector<Array> arrays_;                                       // a procedure has a dozen or so
    std::uint64_t declarationsMade_ = 1;
    std::uint64_t generation_ = 1;   // changes whenever the arrays are freed
    std::size_t longNameCells_ = 0;  // cells of names that never match a stored name
};

}  // namespace runtime

// Frees all slots and all declarations.
void ResetArrays();
// Records an array's maximum size; the 101st declaration of a run shows a message box and is
// dropped.
void DeclareArray(std::string_view arrayName, std::int32_t maxSize);
// The slot of (name, key), created when new. Beyond the declared capacity a message box is
// shown and the slot is still returned (the caller's own bounds check then fails).
std::int32_t ArrayIndex(std::string_view arrayName, long double key);
// Whether (name, key) has a slot; creates nothing.
bool ArrayHasKey(std::string_view arrayName, long double key);
// Frees all slots at the end of a run.
void FreeArrayCells();

std::int32_t ArrayIndex(std::string_view arrayName, long double key, ArrayCache& cache);
bool ArrayHasKey(std::string_view arrayName, long double key, ArrayCache& cache);

}  // namespace tesma
