#include "library.h"

#include <dlfcn.h>

#include <stdexcept>

namespace tesma::hostkit {

void Library::Unload::operator()(void* handle) const noexcept { ::dlclose(handle); }

Library::Library(const std::string& path) : handle_(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) throw std::runtime_error(std::string("cannot load ") + path + ": " + ::dlerror());
    // A library without one of the exports is unloaded again (handle_ goes with the exception).
    auto resolve = [&](const char* name) {
        void* symbol = ::dlsym(handle_.get(), name);
        if (!symbol) throw std::runtime_error(std::string(path) + " does not export " + name);
        return symbol;
    };
    RunControl1 = reinterpret_cast<decltype(RunControl1)>(resolve("RunControl1"));
    RunControl = reinterpret_cast<decltype(RunControl)>(resolve("RunControl"));
    FormIsChecked = reinterpret_cast<decltype(FormIsChecked)>(resolve("FormIsChecked"));
}

}  // namespace tesma::hostkit
