#pragma once
// Which control procedures run for a pair (table id, mode), in their order.
#include <cstdint>
#include <functional>
#include <vector>

namespace tesma::host {

inline constexpr std::int32_t ModeControl = 4;
inline constexpr std::int32_t ModeSort = 7;
inline constexpr std::int32_t ModePrepare = 8;

inline constexpr std::int32_t TableChapterA = 466472;
inline constexpr std::int32_t TableChapterB = 466473;
inline constexpr std::int32_t TableChapterV = 466474;
inline constexpr std::int32_t TableChapterG = 466475;
inline constexpr std::int32_t TableMessageRequisites = 474667;
inline constexpr std::int32_t TableChapterD = 583102;

using Procedure = void (*)();

std::vector<Procedure> ProceduresFor(std::int32_t tableId, std::int32_t mode);

// Runs the procedures of the pair; every one of them runs to its end.
void Dispatch(std::int32_t tableId, std::int32_t passThroughArg, std::int32_t mode);

// For tests of the run driver: while it lives, Dispatch runs these procedures for every pair
// instead of the table's.
class ScopedDispatchOverride {
public:
    explicit ScopedDispatchOverride(std::vector<std::function<void()>> procedures);
    ~ScopedDispatchOverride();
    ScopedDispatchOverride(const ScopedDispatchOverride&) = delete;
    ScopedDispatchOverride& operator=(const ScopedDispatchOverride&) = delete;
};

// Whether anything runs for the pair.
bool FormIsChecked(std::int32_t tableId, std::int32_t mode);

}  // namespace tesma::host
