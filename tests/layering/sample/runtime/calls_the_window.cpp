// Reaches up without any include: the host's function is declared here by hand.
namespace sample::host {
int Height();
}

namespace sample::runtime {

int Height() { return host::Height(); }

}  // namespace sample::runtime
