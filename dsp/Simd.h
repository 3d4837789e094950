#pragma once
// The vector instructions the library may use. SSE2 is part of x86-64 and
// needs no check; AVX code is compiled per function (target("avx")) and
// chosen at run time with __builtin_cpu_supports, so one build runs on every
// x86-64 processor.
#if defined(__x86_64__)
#include <immintrin.h>
#define TOVDSP_HAVE_SSE 1
#define TOVDSP_HAVE_AVX 1
#elif defined(__SSE__)
#include <xmmintrin.h>
#define TOVDSP_HAVE_SSE 1
#endif
