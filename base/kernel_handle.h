// A kernel object's handle (a file, an event, a semaphore) that closes itself. Null and
// INVALID_HANDLE_VALUE, the two ways the system's calls report a failure, are both no handle.
// Windows only.
#pragma once

#include <windows.h>

namespace rc {

class KernelHandle {
 public:
  explicit KernelHandle(HANDLE h) : h_(h) {}
  ~KernelHandle() {
    if (ok()) CloseHandle(h_);
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  bool ok() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

}  // namespace rc
