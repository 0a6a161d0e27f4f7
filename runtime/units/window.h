// The `window` unit type (core library, type 1): the top-level native window of a loaded
// window, made from the window unit's record.
#pragma once

#include <array>

#include "forms/props/window.h"
#include "runtime/library.h"

namespace rc {

constexpr uint32_t kWindowTypeFlags = 0x800000D0;
constexpr uint32_t kWindowPropertyCount = props::window::kCount;

extern const std::array<PropertyEntry, kWindowPropertyCount> kWindowProperties;
void* WindowInterface(int32_t op);

// A window that is to close later (DestroyUnit without "at once") is marked closing and posted
// this private message; it closes when the message comes out of the queue, after the handler
// that asked for it has returned.
constexpr UINT kCloseWindowMessage = 0x8065;
// Posted when the window was hidden or minimised: the change is told when the message comes out
// of the queue, so that a window on its way to being destroyed (which hides it first) tells
// nothing.
constexpr UINT kShowStateMessage = 0x8067;
// The marks live on the window unit; objects of any other type are left alone (false).
bool MarkWindowClosing(UnitObject* window);
bool IsWindowClosing(const UnitObject* window);
// Clears the mark and destroys the native window now. No close request is raised: the runtime
// itself is tearing the window down.
void CloseWindowNow(UnitObject* window);

constexpr DataTypeDescriptor WindowTypeDescriptor() {
  return DataTypeDescriptor{"窗口",
                            "window",
                            nullptr,
                            0,
                            0,
                            kWindowTypeFlags,
                            0,
                            0,
                            nullptr,
                            kWindowPropertyCount,
                            kWindowProperties.data(),
                            &WindowInterface,
                            0,
                            0};
}

}  // namespace rc
