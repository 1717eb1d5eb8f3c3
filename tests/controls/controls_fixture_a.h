#pragma once
// A small, consistent chapter А: two active and two passive accounts whose turnovers are the
// entries of four transactions, the previous month's closing balances equal to this month's
// opening ones, and a chart that knows every account.
#include "chapter_fixture.h"

namespace tesma::testing {

inline std::vector<Account> CurrentA() {
    return {
        {"10207", "П", {300, 0, 300, 0, 0, 0, 0, 0, 0, 300, 0, 300}},
        {"20202", "а", {100, 0, 100, 50, 0, 50, 30, 0, 30, 120, 0, 120}},
        {"30102", "А", {400, 100, 500, 200, 50, 250, 100, 20, 120, 500, 130, 630}},
        {"40702", "П", {200, 100, 300, 130, 20, 150, 250, 50, 300, 320, 130, 450}},
        {"79999 (ИТОГО)", "А", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"79999 (ИТОГО)", "П", {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
    };
}

inline std::vector<Account> PreviousA() {
    return {
        {"10207", "П", {0, 0, 0, 0, 0, 0, 0, 0, 0, 300, 0, 300}},
        {"20202", "А", {0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 100}},
        {"30102", "А", {0, 0, 0, 0, 0, 0, 0, 0, 0, 400, 100, 500}},
        {"40702", "П", {0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 100, 300}},
        {"79999 (ИТОГО)", "А", {0, 0, 0, 0, 0, 0, 0, 0, 0, 500, 100, 600}},
        {"79999 (ИТОГО)", "П", {0, 0, 0, 0, 0, 0, 0, 0, 0, 500, 100, 600}},
    };
}

inline std::vector<ChartAccount> ChartA() {
    return {{"10207", "2"}, {"20202", "1"}, {"30102", "1"}, {"40702", "2"}, {"80101", "1"}, {"91203", "2"}};
}

}  // namespace tesma::testing
