// The 32-bit program's entry point, ahead of the C runtime's: the program
// computes on SSE2, so a processor without it is told so before any of the
// program's code (the runtime's start-up and static initialisers included)
// could fault on an SSE2 instruction. Built with general registers only; the
// program file's test checks that nothing on the way here uses SSE2.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cpuid.h>

// MinGW-w64's start-up for a GUI program: the runtime, then wWinMain.
extern "C" int WinMainCRTStartup();

namespace {

// What the processor itself reports: Windows reads the same bit, but a
// layer under it (an emulator, an old hypervisor) may not pass it on.
bool ProcessorHasSse2() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE2) != 0 &&
         IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE);
}

} // namespace

extern "C" int QuadranglerEntry() {
  if (!ProcessorHasSse2()) {
    MessageBoxW(nullptr, L"This program needs a processor with SSE2.", L"3 x 3-Minute Quadrangler",
                MB_OK | MB_ICONERROR);
    ExitProcess(1);
  }
  return WinMainCRTStartup();
}
