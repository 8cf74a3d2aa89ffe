// Time, the process, start-up information, the last error and movable
// global memory.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/core/desktop.h"
#include "platform/win32.h"

using platform::core::desktop;
using platform::core::GlobalMemory;

namespace platform::core {

void set_last_error(DWORD error) { desktop().last_error = error; }

}  // namespace platform::core

DWORD GetLastError() { return desktop().last_error; }
void SetLastError(DWORD error) { desktop().last_error = error; }

DWORD GetTickCount() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const auto milliseconds =
      static_cast<unsigned long long>(now.tv_sec) * 1000ULL + static_cast<unsigned long long>(now.tv_nsec) / 1'000'000ULL;
  return static_cast<DWORD>(milliseconds);  // wraps, as the platform's does
}

void Sleep(DWORD milliseconds) {
  timespec duration{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1'000'000L};
  while (nanosleep(&duration, &duration) != 0) {
  }
}

HMODULE GetModuleHandleA(LPCSTR module_name) {
  // One module: the program. Its handle has the platform's customary value.
  if (module_name != nullptr) return nullptr;
  return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x00400000));
}

void GetStartupInfoA(STARTUPINFOA* info) {
  if (info == nullptr) return;
  std::memset(info, 0, sizeof *info);
  info->cb = sizeof *info;
  info->dwFlags = STARTF_USESHOWWINDOW;
  info->wShowWindow = SW_SHOWNORMAL;
}

void ExitProcess(UINT exit_code) {
  if (desktop().has_driver()) desktop().driver().flush();
  std::fflush(nullptr);
  std::exit(static_cast<int>(exit_code));
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  auto block = std::make_unique<GlobalMemory>();
  if (!block->bytes.allocate(bytes)) {
    platform::core::set_last_error(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  (void)flags;  // every block is movable and zero-filled here
  block->size = bytes;
  return desktop().add<HGLOBAL>(std::move(block));
}

HGLOBAL GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT /*flags*/) {
  GlobalMemory* block = desktop().find<GlobalMemory>(memory);
  if (block == nullptr || block->locks != 0) {
    platform::core::set_last_error(block == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  platform::core::PixelBuffer grown;
  if (!grown.allocate(bytes)) {
    platform::core::set_last_error(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memcpy(grown.data(), block->bytes.data(), bytes < block->size ? bytes : block->size);
  block->bytes = std::move(grown);
  block->size = bytes;
  return memory;
}

LPVOID GlobalLock(HGLOBAL memory) {
  GlobalMemory* block = desktop().find<GlobalMemory>(memory);
  if (block == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++block->locks;
  return block->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL memory) {
  GlobalMemory* block = desktop().find<GlobalMemory>(memory);
  if (block == nullptr || block->locks == 0) return FALSE;
  return --block->locks != 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  if (desktop().find<GlobalMemory>(memory) == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_HANDLE);
    return memory;
  }
  desktop().remove(memory);
  return nullptr;
}

SIZE_T GlobalSize(HGLOBAL memory) {
  const GlobalMemory* block = desktop().find<GlobalMemory>(memory);
  return block != nullptr ? block->size : 0;
}
