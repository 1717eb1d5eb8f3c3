#pragma once
// libtesmaC.so loaded with dlopen, its three exports resolved, as a host application does.
#include <memory>
#include <string>

#include "tesma/tesmaC.h"

namespace tesma::hostkit {

class Library {
public:
    // Loads the library at `path`; a failure is std::runtime_error with dlerror's text.
    explicit Library(const std::string& path);
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    decltype(&::RunControl1) RunControl1 = nullptr;
    decltype(&::RunControl) RunControl = nullptr;
    decltype(&::FormIsChecked) FormIsChecked = nullptr;

private:
    struct Unload {
        void operator()(void* handle) const noexcept;
    };
    std::unique_ptr<void, Unload> handle_;
};

}  // namespace tesma::hostkit
