// A library for the tests of the DLL calls, built twice by mingw: with the decorated
// stdcall names ("Order3@12") and with --kill-at ("Order3"). OrderN folds its N
// arguments in order, so that a wrong order or count shows in the result.

#include <windows.h>
#include <float.h>
#include <xmmintrin.h>

#include <cstdint>
#include <cstring>

#define PROBE_EXPORT extern "C" __declspec(dllexport)

static uint32_t Fold(uint32_t hash, uint32_t value) { return hash * 31u + value; }

PROBE_EXPORT uint32_t __stdcall Order0() { uint32_t h = 17u; return h; }
PROBE_EXPORT uint32_t __stdcall Order1(uint32_t a1) { uint32_t h = 17u; h = Fold(h, a1); return h; }
PROBE_EXPORT uint32_t __stdcall Order2(uint32_t a1, uint32_t a2) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); return h; }
PROBE_EXPORT uint32_t __stdcall Order3(uint32_t a1, uint32_t a2, uint32_t a3) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); return h; }
PROBE_EXPORT uint32_t __stdcall Order4(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); return h; }
PROBE_EXPORT uint32_t __stdcall Order5(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); return h; }
PROBE_EXPORT uint32_t __stdcall Order6(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); return h; }
PROBE_EXPORT uint32_t __stdcall Order7(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); h = Fold(h, a7); return h; }
PROBE_EXPORT uint32_t __stdcall Order8(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7, uint32_t a8) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); h = Fold(h, a7); h = Fold(h, a8); return h; }
PROBE_EXPORT uint32_t __stdcall Order9(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7, uint32_t a8, uint32_t a9) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); h = Fold(h, a7); h = Fold(h, a8); h = Fold(h, a9); return h; }
PROBE_EXPORT uint32_t __stdcall Order10(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7, uint32_t a8, uint32_t a9, uint32_t a10) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); h = Fold(h, a7); h = Fold(h, a8); h = Fold(h, a9); h = Fold(h, a10); return h; }
PROBE_EXPORT uint32_t __stdcall Order11(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7, uint32_t a8, uint32_t a9, uint32_t a10, uint32_t a11) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); h = Fold(h, a7); h = Fold(h, a8); h = Fold(h, a9); h = Fold(h, a10); h = Fold(h, a11); return h; }
PROBE_EXPORT uint32_t __stdcall Order12(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7, uint32_t a8, uint32_t a9, uint32_t a10, uint32_t a11, uint32_t a12) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); h = Fold(h, a7); h = Fold(h, a8); h = Fold(h, a9); h = Fold(h, a10); h = Fold(h, a11); h = Fold(h, a12); return h; }
PROBE_EXPORT uint32_t __stdcall Order13(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7, uint32_t a8, uint32_t a9, uint32_t a10, uint32_t a11, uint32_t a12, uint32_t a13) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); h = Fold(h, a7); h = Fold(h, a8); h = Fold(h, a9); h = Fold(h, a10); h = Fold(h, a11); h = Fold(h, a12); h = Fold(h, a13); return h; }
PROBE_EXPORT uint32_t __stdcall Order14(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7, uint32_t a8, uint32_t a9, uint32_t a10, uint32_t a11, uint32_t a12, uint32_t a13, uint32_t a14) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); h = Fold(h, a7); h = Fold(h, a8); h = Fold(h, a9); h = Fold(h, a10); h = Fold(h, a11); h = Fold(h, a12); h = Fold(h, a13); h = Fold(h, a14); return h; }
PROBE_EXPORT uint32_t __stdcall Order15(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7, uint32_t a8, uint32_t a9, uint32_t a10, uint32_t a11, uint32_t a12, uint32_t a13, uint32_t a14, uint32_t a15) { uint32_t h = 17u; h = Fold(h, a1); h = Fold(h, a2); h = Fold(h, a3); h = Fold(h, a4); h = Fold(h, a5); h = Fold(h, a6); h = Fold(h, a7); h = Fold(h, a8); h = Fold(h, a9); h = Fold(h, a10); h = Fold(h, a11); h = Fold(h, a12); h = Fold(h, a13); h = Fold(h, a14); h = Fold(h, a15); return h; }

PROBE_EXPORT int32_t __stdcall MinusOne() { return -1; }
PROBE_EXPORT int32_t __stdcall MaxLong() { return 0x7FFFFFFF; }
PROBE_EXPORT uint32_t __stdcall MinLong() { return 0x80000000u; }
// cdecl: the caller cleans the stack.
PROBE_EXPORT int32_t __cdecl CSum(int32_t a, int32_t b, int32_t c) { return a + b + c; }
// Returns in st(0), which the caller must not leave on the x87 stack.
PROBE_EXPORT double __stdcall Half(int32_t a) { return a / 2.0; }
// Leaves the x87 rounding and precision and the SSE rounding changed.
PROBE_EXPORT int32_t __stdcall SpoilFpu() {
  _control87(_RC_DOWN | _PC_24, _MCW_RC | _MCW_PC);
  _mm_setcsr((_mm_getcsr() & ~0x6000u) | 0x2000u);
  return 1;
}
PROBE_EXPORT int32_t __stdcall Fault() {
  volatile int32_t* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
PROBE_EXPORT int32_t __stdcall WriteText(char* buffer) {
  std::strcpy(buffer, "aus der DLL");
  return 11;
}
