#pragma once
// Control arrays: a dense slot number per (array name, key), allocated 1, 2, 3, ... in the
// order in which the keys of an array first appear, with a declared capacity per array.
#include <cstdint>
#include <string_view>

namespace tesma {

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

// For a caller that looks up one array many times: remembers where its name was found, until
// the next ResetArrays or FreeArrayCells. Same results as the calls above.
struct ArrayCache {
    std::uint64_t generation = 0;
    std::size_t index = 0;
};
std::int32_t ArrayIndex(std::string_view arrayName, long double key, ArrayCache& cache);
bool ArrayHasKey(std::string_view arrayName, long double key, ArrayCache& cache);

}  // namespace tesma
