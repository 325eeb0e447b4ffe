#pragma once

#if defined(DATA_LIBRARY)
#define DATA_EXPORT __attribute__((visibility("default")))
#else
#define DATA_EXPORT __attribute__((visibility("default")))
#endif
