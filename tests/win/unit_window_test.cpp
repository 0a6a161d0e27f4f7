// The life of a unit window's object: deleted with its window, except when the window dies
// inside its own creation, where the caller still holds the object and deletes it (every
// runtime-class unit type does on a failed create; a delete by the window too would be twice).
#include "runtime/units/unit_window.h"

#include <gtest/gtest.h>

namespace rc {
namespace {

constexpr wchar_t kClass[] = L"RcTestLifeUnit";
int g_deleted = 0;

class LifeUnit : public UnitWindow {
 public:
  explicit LifeUnit(bool refuse_create)
      : UnitWindow(0x52000001, 0x16000001), refuse_(refuse_create) {}
  ~LifeUnit() override { ++g_deleted; }
  bool Make() {
    return CreateTopLevel(kClass, "", WS_POPUP, 0, POINT{0, 0}, SIZE{20, 20}, nullptr);
  }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_CREATE && refuse_) return -1;
    return Default(msg, wp, lp);
  }

 private:
  bool refuse_;
};

TEST(UnitWindowLife, AWindowDyingInItsCreateLeavesTheObjectToTheCaller) {
  ASSERT_TRUE(UnitWindow::RegisterUnitClass(kClass, 0));
  g_deleted = 0;

  auto* refused = new LifeUnit(true);
  EXPECT_FALSE(refused->Make());
  EXPECT_EQ(g_deleted, 0) << "the window got the object on WM_NCCREATE, but its creator holds it";
  EXPECT_EQ(refused->hwnd(), nullptr);
  delete refused;
  EXPECT_EQ(g_deleted, 1);

  auto* made = new LifeUnit(false);
  ASSERT_TRUE(made->Make());
  const HWND hwnd = made->hwnd();
  EXPECT_EQ(UnitWindow::FromHwnd(hwnd), made);
  DestroyWindow(hwnd);
  EXPECT_EQ(g_deleted, 2) << "a window that was made takes its object with it";
  EXPECT_EQ(UnitWindow::FromHwnd(hwnd), nullptr);
}

}  // namespace
}  // namespace rc
