#include "runtime/library_state.h"

namespace tesma::runtime {

LibraryState& Library() {
    static LibraryState state;
    return state;
}

}  // namespace tesma::runtime
