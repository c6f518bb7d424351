// What window managers and tools read of our windows.
#include "x11_fixture.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include "platform/rt/program.h"

namespace kv_x11_test {
namespace {

// What window managers and tools read: both titles, the class the program
// is described by, the close protocol, a fixed size at the asked place;
// dialogs name their owner; drop-downs are left alone by the manager.
TEST_F(X11BackendTest, WindowsCarryTheirHints) {
  const kv::rt::ProgramDescription before = kv::rt::Program();
  kv::rt::ProgramDescription described;
  described.name = "tester";
  described.title = "Tester";
  kv::rt::SetProgramDescription(described);
  NativeWindow* main = MakeWindow(203, 225, 300, 200, L"Kelvara");
  ASSERT_NE(main, nullptr);
  ShowAndWait(main);
  Window xw = xt::XWindowOf(backend_.get(), main);
  EXPECT_EQ(probe_->TextProperty(xw, "WM_NAME"), "Kelvara");
  EXPECT_EQ(probe_->TextProperty(xw, "_NET_WM_NAME"), "Kelvara");

  // The backend only flushes; the probe is another connection, so wait until
  // the server has taken the new title before reading it.
  backend_->SetTitle(main, L"Caf\u00e9 \u20ac \U0001F600");
  XSync(xt::DisplayOf(backend_.get()), False);
  EXPECT_EQ(probe_->TextProperty(xw, "WM_NAME"), "Caf\xe9 ? ?");
  EXPECT_EQ(probe_->TextProperty(xw, "_NET_WM_NAME"),
            "Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80");
  backend_->SetTitle(main, nullptr);
  XSync(xt::DisplayOf(backend_.get()), False);
  EXPECT_EQ(probe_->TextProperty(xw, "WM_NAME"), "");

  XClassHint cls{};
  ASSERT_TRUE(XGetClassHint(probe_->display(), xw, &cls));
  EXPECT_STREQ(cls.res_name, "tester");
  EXPECT_STREQ(cls.res_class, "Tester");
  XFree(cls.res_name);
  XFree(cls.res_class);
  kv::rt::SetProgramDescription(before);

  Atom* protocols = nullptr;
  int count = 0;
  ASSERT_TRUE(XGetWMProtocols(probe_->display(), xw, &protocols, &count));
  Atom deleteWindow = XInternAtom(probe_->display(), "WM_DELETE_WINDOW", False);
  bool hasDelete = false;
  for (int i = 0; i < count; ++i) hasDelete |= protocols[i] == deleteWindow;
  XFree(protocols);
  EXPECT_TRUE(hasDelete);

  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(probe_->display(), xw, &hints, &supplied));
  EXPECT_TRUE(hints.flags & USPosition);
  EXPECT_TRUE(hints.flags & PMinSize);
  EXPECT_TRUE(hints.flags & PMaxSize);
  EXPECT_EQ(hints.min_width, 300);
  EXPECT_EQ(hints.max_width, 300);
  EXPECT_EQ(hints.min_height, 200);
  EXPECT_EQ(hints.max_height, 200);
  EXPECT_EQ(probe_->CardinalProperty(xw, "_NET_WM_PID", XA_CARDINAL),
            std::vector<long>{static_cast<long>(getpid())});

  auto found = probe_->FindMapped("");
  ASSERT_TRUE(found.has_value());  // the title was cleared above
  EXPECT_EQ(found->x, 203);
  EXPECT_EQ(found->y, 225);
  EXPECT_EQ(found->width, 300);
  EXPECT_EQ(found->height, 200);
  EXPECT_FALSE(found->overrideRedirect);
  int ox = -1, oy = -1;
  backend_->SurfaceOrigin(main, &ox, &oy);
  EXPECT_EQ(ox, 203);
  EXPECT_EQ(oy, 225);

  NativeWindow* dialog = MakeWindow(250, 260, 120, 80, L"Kelvara", main);
  NativeWindow* popup = MakeWindow(210, 250, 90, 70, L"", main, true);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(popup, nullptr);
  ShowAndWait(dialog);
  ShowAndWait(popup);
  Window xd = xt::XWindowOf(backend_.get(), dialog);
  Window xp = xt::XWindowOf(backend_.get(), popup);
  EXPECT_EQ(probe_->TransientFor(xd), xw);
  Atom dialogType = XInternAtom(probe_->display(), "_NET_WM_WINDOW_TYPE_DIALOG", False);
  EXPECT_EQ(probe_->CardinalProperty(xd, "_NET_WM_WINDOW_TYPE", XA_ATOM),
            std::vector<long>{static_cast<long>(dialogType)});
  bool popupOverride = false, dialogOverride = true;
  for (const auto& t : probe_->MappedTopLevels()) {
    if (t.id == xp) popupOverride = t.overrideRedirect;
    if (t.id == xd) dialogOverride = t.overrideRedirect;
  }
  EXPECT_TRUE(popupOverride);
  EXPECT_FALSE(dialogOverride);

  // Hidden windows leave the screen; destroying the owner first is harmless.
  // The unmap must have reached the server before the probe looks.
  backend_->ShowWindow(popup, false);
  XSync(xt::DisplayOf(backend_.get()), False);
  int mapped = 0;
  for (const auto& t : probe_->MappedTopLevels()) mapped += t.id == xp;
  EXPECT_EQ(mapped, 0);
  backend_->DestroyWindow(main);
  backend_->DestroyWindow(dialog);
  backend_->DestroyWindow(popup);
}

}  // namespace
}  // namespace kv_x11_test
