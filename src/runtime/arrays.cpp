#include "runtime/arrays.h"

#include <array>
#include <cmath>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/errors.h"
#include "platform/text/cp1251.h"
#include "platform/ui/backend.h"

using namespace tesma::literals;

namespace tesma {

namespace {

constexpr std::size_t kMaxDeclarations = 100;
constexpr std::size_t kNameLength = 20;
constexpr std::int32_t kUndeclaredLimit = 99999999;

struct Declaration {
    std::string name;  // empty: free
    std::int32_t size = 0;
};

struct Slots {
    std::unordered_map<std::int32_t, std::int32_t> byKey;
    std::int32_t last = 0;
};

struct Array {
    std::string name;  // Latin-upper-cased
    Slots slots;
    std::int32_t limit = 0;       // the size of its first declaration,
    std::uint64_t limitAsOf = 0;  // as of this count of declarations
};

struct State {
    std::array<Declaration, kMaxDeclarations> declarations;
    std::unordered_map<std::string, std::int32_t> firstDeclaration;  // name -> size of its first entry
    std::vector<Array> arrays;                                       // a procedure has a dozen or so
    std::uint64_t declarationsMade = 1;
    std::uint64_t generation = 1;   // changes whenever the arrays are freed
    std::size_t longNameCells = 0;  // cells of names that never match a stored name
};

bool SameName(std::string_view stored, std::string_view name) {
    if (stored.size() != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (stored[i] != text::LatinUpper(name[i])) return false;
    return true;
}

Array* Find(State& s, std::string_view name) {
    for (Array& a : s.arrays)
        if (SameName(a.name, name)) return &a;
    return nullptr;
}

State& Arrays() {
    static State state;
    return state;
}

// The integer part, toward zero, of key + 1e-15: 2.9999999999999996 is 3, -1 is 0.
std::int32_t IntegerKey(long double key) {
    long double k = std::trunc(key + 1e-15L);
    if (!(k >= -2147483648.0L && k <= 2147483647.0L))
        throw RangeError("range check error: array key " + std::to_string(static_cast<double>(key)) +
                         " is beyond 32 bits");
    return static_cast<std::int32_t>(k);
}

}  // namespace

void ResetArrays() {
    State& s = Arrays();
    ++s.generation;
    s.declarations = {};
    s.firstDeclaration.clear();
    ++s.declarationsMade;
    s.arrays.clear();
    s.longNameCells = 0;
}

void FreeArrayCells() {
    State& s = Arrays();
    ++s.generation;
    s.arrays.clear();
    s.longNameCells = 0;
}

void DeclareArray(std::string_view arrayName, std::int32_t maxSize) {
    State& s = Arrays();
    std::string name = text::LatinUpper(arrayName);
    for (Declaration& d : s.declarations) {
        if (!d.name.empty()) continue;
        d.name = name.substr(0, kNameLength);
        d.size = maxSize;
        s.firstDeclaration.emplace(d.name, maxSize);
        ++s.declarationsMade;
        return;
    }
    ui::CurrentBackend().ShowError("Слишком много массивов в контроле!"_cp);
}

namespace {

Array* Resolve(State& s, std::string_view arrayName, ArrayCache* cache, bool create) {
    if (cache && cache->generation == s.generation && cache->index < s.arrays.size()) return &s.arrays[cache->index];
    Array* array = Find(s, arrayName);
    if (!array && create) array = &s.arrays.emplace_back(Array{text::LatinUpper(arrayName), {}});
    if (array && cache) *cache = {s.generation, static_cast<std::size_t>(array - s.arrays.data())};
    return array;
}

std::int32_t Index(std::string_view arrayName, long double key, ArrayCache* cache) {
    State& s = Arrays();
    const std::int32_t k = IntegerKey(key);
    if (arrayName.size() > kNameLength) {
        // Stored names are cut to 20 characters, so a longer name never finds its cells:
        // every call makes a new first slot, and no declared capacity applies to it.
        ++s.longNameCells;
        return 1;
    }
    Array* array = Resolve(s, arrayName, cache, true);
    Slots& slots = array->slots;
    auto [it, created] = slots.byKey.emplace(k, slots.last + 1);
    if (!created) return it->second;
    const std::int32_t slot = ++slots.last;
    const std::string& name = array->name;
    if (array->limitAsOf != s.declarationsMade) {
        auto declared = s.firstDeclaration.find(name);
        array->limit = declared == s.firstDeclaration.end() ? kUndeclaredLimit : declared->second;
        array->limitAsOf = s.declarationsMade;
    }
    const std::int32_t limit = array->limit;
    if (slot > limit)
        ui::CurrentBackend().ShowError("Превышен максимальный размер "_cp + std::to_string(limit) + " массива "_cp +
                                       name);
    return slot;
}

bool HasKey(std::string_view arrayName, long double key, ArrayCache* cache) {
    State& s = Arrays();
    const std::int32_t k = IntegerKey(key);
    if (arrayName.size() > kNameLength) return false;
    const Array* array = Resolve(s, arrayName, cache, false);
    return array && array->slots.byKey.count(k) != 0;
}

}  // namespace

std::int32_t ArrayIndex(std::string_view arrayName, long double key) { return Index(arrayName, key, nullptr); }

std::int32_t ArrayIndex(std::string_view arrayName, long double key, ArrayCache& cache) {
    return Index(arrayName, key, &cache);
}

bool ArrayHasKey(std::string_view arrayName, long double key, ArrayCache& cache) {
    return HasKey(arrayName, key, &cache);
}

bool ArrayHasKey(std::string_view arrayName, long double key) { return HasKey(arrayName, key, nullptr); }

}  // namespace tesma
