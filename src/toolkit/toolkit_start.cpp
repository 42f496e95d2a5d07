#include "toolkit/toolkit_start.h"

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
