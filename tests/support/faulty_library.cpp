// A library of the tests' own that a host loads in place of libtesmaC.so (TESMA_LIB): it hands
// every call on to the real library, except for a report folder whose path says otherwise, where
// the run crashes ("crash-in-run") or never ends ("hang-in-run"), as a fault in the library would.
// Built for the tests only, shipped nowhere.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "tesma/tesmaC.h"

namespace {

void* RealLibrary() {
    static void* handle = ::dlopen(TESMA_REAL_LIB, RTLD_NOW | RTLD_LOCAL);
    if (!handle) std::abort();
    return handle;
}

template <typename Fn>
Fn Real(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RealLibrary(), name));
}

void Misbehave(const char* dataDir) {
    if (std::strstr(dataDir, "crash-in-run")) std::abort();
    if (std::strstr(dataDir, "hang-in-run"))
        for (;;) ::pause();
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) bool RunControl1(
    void* owner, int32_t table_id, int32_t pass_through, int32_t mode, int32_t instance_id, double report_date,
    const char* protocol_path, const char* data_dir, const char* override_dir, const void* const* forms,
    int32_t form_count, const void* const* tables, int32_t table_count, const void* const* fields, int32_t field_count,
    const void* const* extras, int32_t extra_count) {
    Misbehave(data_dir);
    return Real<decltype(&::RunControl1)>("RunControl1")(owner, table_id, pass_through, mode, instance_id, report_date,
                                                         protocol_path, data_dir, override_dir, forms, form_count,
                                                         tables, table_count, fields, field_count, extras, extra_count);
}

__attribute__((visibility("default"))) bool RunControl(void* owner, int32_t table_id, int32_t pass_through,
                                                       int32_t mode, int32_t instance_id, double report_date,
                                                       const char* protocol_path, const char* data_dir,
                                                       const void* const* forms, int32_t form_count,
                                                       const void* const* tables, int32_t table_count,
                                                       const void* const* fields, int32_t field_count,
                                                       const void* const* extras, int32_t extra_count) {
    Misbehave(data_dir);
    return Real<decltype(&::RunControl)>("RunControl")(owner, table_id, pass_through, mode, instance_id, report_date,
                                                       protocol_path, data_dir, forms, form_count, tables, table_count,
                                                       fields, field_count, extras, extra_count);
}

__attribute__((visibility("default"))) bool FormIsChecked(int32_t table_id, int32_t mode) {
    return Real<decltype(&::FormIsChecked)>("FormIsChecked")(table_id, mode);
}
}
