// A window that the window manager gives another size: the new surface is
// taken, the menu bar spans it, the procedure hears of it, and nothing
// drawn before or through a context handed out before is lost.
#include <algorithm>

#include "platform/rt/resources.h"
#include "platform/user/look.h"
#include "platform/user/user_internal.h"
#include "res/resource.h"
#include "tests/user/message_log.h"

namespace kv {
namespace test {
namespace {

using WindowResize = LoggedWindowTest;

constexpr uint32_t kFace = 0xD4D0C8;  // the menu bar's face colour, as 0x00RRGGBB

uint32_t SurfacePixel(HWND w, int x, int y) {
  const PixelSurface s = headless::PresentedSurface(w);
  return s.pixels[static_cast<size_t>(y) * s.stride + x] & 0xFFFFFF;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// A red box, its edge drawn in the default black pen.
void Box(HDC dc, int left, int top, int right, int bottom) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(dc, red);
  Rectangle(dc, left, top, right, bottom);
  SelectObject(dc, old);
  DeleteObject(red);
}

const Logged* LastOf(HWND w, UINT message) {
  const Logged* found = nullptr;
  for (const Logged& l : Log())
    if (l.hwnd == w && l.message == message) found = &l;
  return found;
}

TEST_F(WindowResize, AWiderWindowGetsAMenuBarAcrossAndTheProcedureHearsOfIt) {
  HMENU menu = LoadMenuW(rt::ProgramInstance(), MAKEINTRESOURCEW(IDR_MAIN_MENU));
  HWND w = CreateMainGeometryWindow(LoggingProc, menu);
  ASSERT_NE(w, nullptr);
  ShowWindow(w, SW_SHOWNORMAL);
  UpdateWindow(w);
  RECT outerBefore;
  GetWindowRect(w, &outerBefore);

  // A frame drawn at the usual size, and a context still out when the
  // manager acts (a program may keep one across its message loop).
  HDC dc = GetDC(w);
  ASSERT_NE(dc, nullptr);
  Box(dc, 10, 10, 20, 20);
  Log().clear();

  headless::ResizeWindow(w, 1300, 800);
  Pump();

  RECT client, outer;
  GetClientRect(w, &client);
  GetWindowRect(w, &outer);
  EXPECT_EQ(client.right, 1300);
  EXPECT_EQ(client.bottom, 780);
  EXPECT_EQ(outer.left, outerBefore.left);
  EXPECT_EQ(outer.right - outerBefore.right, 300);
  EXPECT_EQ(outer.bottom - outerBefore.bottom, 180);
  const Logged* size = LastOf(w, WM_SIZE);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(LOWORD(size->lParam), 1300);
  EXPECT_EQ(HIWORD(size->lParam), 780);
  std::vector<UINT> seen = MessagesOf(w);
  EXPECT_NE(std::find(std::find(seen.begin(), seen.end(), WM_SIZE), seen.end(), WM_PAINT),
            seen.end())
      << "no paint after the size";

  // The bar spans the whole width; the new client part is black (the class
  // brush paints nothing); what was drawn is where it was.
  for (int x : {5, 999, 1000, 1299}) EXPECT_EQ(SurfacePixel(w, x, 2), kFace) << x;
  EXPECT_EQ(SurfacePixel(w, 1200, 20 + 300), 0u);
  EXPECT_EQ(SurfacePixel(w, 15, 20 + 15), 0xFF0000u);
  RECT shown = headless::LastPresentRect(w);
  EXPECT_EQ(shown.right - shown.left, 1300);
  EXPECT_EQ(shown.bottom - shown.top, 800);

  // The context handed out before draws into the new pixels, and giving it
  // back shows what it drew.
  Box(dc, 1250, 700, 1260, 710);
  EXPECT_EQ(ReleaseDC(w, dc), 1);
  EXPECT_EQ(SurfacePixel(w, 1255, 20 + 705), 0xFF0000u);
  shown = headless::LastPresentRect(w);
  EXPECT_EQ(shown.right, 1260);
  EXPECT_EQ(shown.bottom, 20 + 710);

  // Made smaller than asked, the window keeps working: drawing the usual
  // frame is clipped to what there is.
  headless::ResizeWindow(w, 600, 300);
  Pump();
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 280);
  EXPECT_EQ(SurfacePixel(w, 599, 2), kFace);
  dc = GetDC(w);
  Box(dc, 0, 0, 1000, 600);
  EXPECT_EQ(ReleaseDC(w, dc), 1);
  EXPECT_EQ(SurfacePixel(w, 599, 299), 0xFF0000u);
  shown = headless::LastPresentRect(w);
  EXPECT_EQ(shown.right, 600);
  EXPECT_EQ(shown.bottom, 300);
  DestroyWindow(w);
}

}  // namespace
}  // namespace test
}  // namespace kv
