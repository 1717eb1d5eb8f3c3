#include "runtime/arrays.h"

#include <cmath>

#include "platform/errors.h"
#include "platform/text/cp1251.h"
#include "platform/ui/backend.h"
#include "runtime/run.h"

using namespace tesma::literals;

namespace tesma {

namespace runtime {

namespace {

constexpr std::size_t kNameLength = 20;
constexpr std::int32_t kUndeclaredLimit = 99999999;

bool SameName(std::string_view stored, std::string_view name) {
    if (stored.size() != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (stored[i] != text::LatinUpper(name[i])) return false;
    return true;
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

ControlArrays::Array* ControlArrays::Find(std::string_view name) {
    for (Array& a : arrays_)
        if (SameName(a.name, name)) return &a;
    return nullptr;
}

void ControlArrays::Reset() {
    ++generation_;
    declarations_ = {};
    firstDeclaration_.clear();
    ++declarationsMade_;
    arrays_.clear();
    longNameCells_ = 0;
}

void ControlArrays::FreeCells() {
    ++generation_;
    arrays_.clear();
    longNameCells_ = 0;
}

void ControlArrays::Declare(std::string_view arrayName, std::int32_t maxSize) {
    std::string name = text::LatinUpper(arrayName);
    for (Declaration& d : declarations_) {
        if (!d.name.empty()) continue;
        d.name = name.substr(0, kNameLength);
        d.size = maxSize;
        firstDeclaration_.emplace(d.name, maxSize);
        ++declarationsMade_;
        return;
    }
    ui::CurrentBackend().ShowError("Слишком много массивов в контроле!"_cp);
}

ControlArrays::Array* ControlArrays::Resolve(std::string_view arrayName, ArrayCache* cache, bool create) {
    if (cache && cache->generation == generation_ && cache->index < arrays_.size()) return &arrays_[cache->index];
    Array* array = Find(arrayName);
    if (!array && create) array = &arrays_.emplace_back(Array{text::LatinUpper(arrayName), {}});
    if (array && cache) *cache = {generation_, static_cast<std::size_t>(array - arrays_.data())};
    return array;
}

std::int32_t ControlArrays::Index(std::string_view arrayName, long double key, ArrayCache* cache) {
    const std::int32_t k = IntegerKey(key);
    if (arrayName.size() > kNameLength) {
        // Stored names are cut to 20 characters, so a longer name never finds its cells:
        // every call makes a new first slot, and no declared capacity applies to it.
        ++longNameCells_;
        return 1;
    }
    Array* array = Resolve(arrayName, cache, true);
    auto [it, created] = array->slotOfKey.emplace(k, array->lastSlot + 1);
    if (!created) return it->second;
    const std::int32_t slot = ++array->lastSlot;
    const std::string& name = array->name;
    if (array->limitAsOf != declarationsMade_) {
        auto declared = firstDeclaration_.find(name);
        array->limit = declared == firstDeclaration_.end() ? kUndeclaredLimit : declared->second;
        array->limitAsOf = declarationsMade_;
    }
    const std::int32_t limit = array->limit;
    if (slot > limit)
        ui::CurrentBackend().ShowError("Превышен максимальный размер "_cp + std::to_string(limit) + " массива "_cp +
                                       name);
    return slot;
}

bool ControlArrays::HasKey(std::string_view arrayName, long double key, ArrayCache* cache) {
    const std::int32_t k = IntegerKey(key);
    if (arrayName.size() > kNameLength) return false;
    const Array* array = Resolve(arrayName, cache, false);
    return array && array->slotOfKey.count(k) != 0;
}

}  // namespace runtime

namespace {

runtime::ControlArrays& Arrays() { return runtime::CurrentRun().Arrays; }

}  // namespace

void ResetArrays() { Arrays().Reset(); }

void FreeArrayCells() { Arrays().FreeCells(); }

void DeclareArray(std::string_view arrayName, std::int32_t maxSize) { Arrays().Declare(arrayName, maxSize); }

std::int32_t ArrayIndex(std::string_view arrayName, long double key) { return Arrays().Index(arrayName, key, nullptr); }

std::int32_t ArrayIndex(std::string_view arrayName, long double key, ArrayCache& cache) {
    return Arrays().Index(arrayName, key, &cache);
}

bool ArrayHasKey(std::string_view arrayName, long double key) { return Arrays().HasKey(arrayName, key, nullptr); }

bool ArrayHasKey(std::string_view arrayName, long double key, ArrayCache& cache) {
    return Arrays().HasKey(arrayName, key, &cache);
}

}  // namespace tesma
