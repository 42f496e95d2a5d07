#include "toolkit/toolkit_start.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include <dlfcn.h>

#if defined(__SANITIZE_ADDRESS__)
#define TN_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TN_LEAK_CHECKS 1
#endif
#endif

#ifdef TN_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>

ToolkitStartScope::ToolkitStartScope() { __lsan_disable(); }
ToolkitStartScope::~ToolkitStartScope() { __lsan_enable(); }
#else
ToolkitStartScope::ToolkitStartScope() = default;
ToolkitStartScope::~ToolkitStartScope() = default;
#endif

void start_gtk_patiently(int* argc, char*** argv) {
    using InitCheck = int (*)(int*, char***);
    auto init = reinterpret_cast<InitCheck>(dlsym(RTLD_DEFAULT, "gtk_init_check"));
    if (!init) return;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!init(argc, argv) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

GlSkippedScope::GlSkippedScope() {
    if (!std::getenv("GDK_GL")) set_ = ::setenv("GDK_GL", "disable", 0) == 0;
}

GlSkippedScope::~GlSkippedScope() {
    if (set_) ::unsetenv("GDK_GL");
}
