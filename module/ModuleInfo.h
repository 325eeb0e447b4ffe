#pragma once

#include <cstddef>

// The registration text the host reads with GetModuleInfo: 62 bytes of GBK
// text and the terminating zero, returned exactly as stored.
const char *registrationText();
constexpr std::size_t registrationTextSize() { return 63; }
