#pragma once
// VT_KERNEL marks a hot pixel loop to be compiled twice, for AVX2 and for the x86-64
// baseline; the loader picks what the processor has. Sanitizer builds take the baseline
// only: the loader resolves the choice before ThreadSanitizer's runtime is up, and so
// the sanitized test runs check the baseline while the normal ones check AVX2.

#if defined(__x86_64__) && defined(__has_attribute) && !defined(VT_BASELINE_KERNELS_ONLY)
#if __has_attribute(target_clones)
#define VT_KERNEL __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef VT_KERNEL
#define VT_KERNEL
#endif
