// Marks the library's exported entry points. On Windows the module definition
// file decides what is exported; elsewhere everything is hidden but these.
#ifndef TARN_PLATFORM_EXPORT_H
#define TARN_PLATFORM_EXPORT_H

#if defined(_WIN32)
#define TARN_EXPORT
#else
#define TARN_EXPORT __attribute__((visibility("default")))
#endif

#endif
