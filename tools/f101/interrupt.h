#pragma once
// Ctrl-C between the library's runs. While a run shows its window the library takes Ctrl-C as
// its stop button; before and between runs this flag keeps it, so that a command stops at the
// next run instead of dying half-way through its own work.
namespace tesma::f101 {

void CatchInterrupt();
bool Interrupted();

}  // namespace tesma::f101
