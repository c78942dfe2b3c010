#pragma once
// The engine library's one export macro: the shared library is built with hidden symbols, and only
// what carries this mark is visible to the program that loads it.
#if defined(_WIN32)
#define QUOLM_EXPORT __declspec(dllexport)
#else
#define QUOLM_EXPORT __attribute__((visibility("default")))
#endif
