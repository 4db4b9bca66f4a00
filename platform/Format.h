// Marks a function that takes a printf-style format, so that callers' format
// strings are checked with the C99 rules on every target (MinGW's plain
// "printf" archetype would check against msvcrt's printf instead).
#ifndef TARN_PLATFORM_FORMAT_H
#define TARN_PLATFORM_FORMAT_H

#if defined(__MINGW32__)
#define TARN_PRINTF_FORMAT(formatIndex, firstArg) __attribute__((format(gnu_printf, formatIndex, firstArg)))
#else
#define TARN_PRINTF_FORMAT(formatIndex, firstArg) __attribute__((format(printf, formatIndex, firstArg)))
#endif

#endif
