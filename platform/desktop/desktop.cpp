#include "platform/desktop/desktop.h"

#include <algorithm>
#include <new>

namespace kv {
namespace desktop {

namespace {

unsigned ButtonBit(int button) { return button >= 1 && button <= 3 ? 1u << button : 0u; }

bool Contains(const Window& w, int x, int y) {
  return x >= w.x && y >= w.y && x - w.x < w.width && y - w.y < w.height;
}

}  // namespace

void Desktop::SetScreenSize(int width, int height) {
  screenWidth_ = std::max(1, width);
  screenHeight_ = std::max(1, height);
  MovePointer(pointerX_, pointerY_);
}

Window* Desktop::Create(const NativeWindowParams& params) {
  if (params.width <= 0 || params.height <= 0 || params.width > kMaxSurfaceSide ||
      params.height > kMaxSurfaceSide) {
    return nullptr;
  }
  auto w = std::make_unique<Window>();
  w->x = params.x;
  w->y = params.y;
  w->width = params.width;
  w->height = params.height;
  w->popup = params.popup;
  w->title = params.title ? params.title : L"";
  try {
    w->pixels.assign(static_cast<size_t>(params.width) * params.height, 0u);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  windows_.push_back(std::move(w));
  return windows_.back().get();
}

void Desktop::Destroy(Window* w) {
  if (!w) return;
  NativeWindow* native = AsNative(w);
  events_.erase(std::remove_if(events_.begin(), events_.end(),
                               [native](const InputEvent& e) { return e.window == native; }),
                events_.end());
  if (grab_ == w) grab_ = nullptr;
  if (pressedIn_ == w) pressedIn_ = nullptr;
  if (hiddenOver_ == w) hiddenOver_ = nullptr;
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                [w](const std::unique_ptr<Window>& p) { return p.get() == w; }),
                 windows_.end());
}

Window* Desktop::Find(NativeWindow* native) const {
  for (const auto& w : windows_) {
    if (AsNative(w.get()) == native) return w.get();
  }
  return nullptr;
}

void Desktop::Show(Window* w, bool visible) {
  if (!w) return;
  if (visible && !w->visible) w->raised = ++raiseCounter_;
  w->visible = visible;
  if (!visible && grab_ == w) grab_ = nullptr;
}

bool Desktop::Resize(Window* w, int width, int height) {
  if (!w) return false;
  width = std::clamp(width, 1, kMaxSurfaceSide);
  height = std::clamp(height, 1, kMaxSurfaceSide);
  if (width == w->width && height == w->height) return false;
  std::vector<uint32_t> pixels;
  try {
    pixels.assign(static_cast<size_t>(width) * height, 0u);
  } catch (const std::bad_alloc&) {
    return false;
  }
  CopyOverlap(SurfaceOf(w), PixelSurface{pixels.data(), width, height, width});
  w->pixels.swap(pixels);
  w->width = width;
  w->height = height;
  return true;
}

void Desktop::Presented(Window* w, int x, int y, int width, int height) {
  ++w->presents;
  w->lastPresentX = x;
  w->lastPresentY = y;
  w->lastPresentWidth = width;
  w->lastPresentHeight = height;
}

std::vector<Window*> Desktop::Stacking() const {
  std::vector<Window*> order;
  for (const auto& w : windows_) {
    if (w->visible) order.push_back(w.get());
  }
  std::sort(order.begin(), order.end(),
            [](const Window* a, const Window* b) { return a->raised < b->raised; });
  return order;
}

int Desktop::VisibleCount() const {
  return static_cast<int>(std::count_if(windows_.begin(), windows_.end(),
                                        [](const std::unique_ptr<Window>& w) { return w->visible; }));
}

void Desktop::MovePointer(int x, int y) {
  pointerX_ = std::clamp(x, 0, std::max(0, screenWidth_ - 1));
  pointerY_ = std::clamp(y, 0, std::max(0, screenHeight_ - 1));
}

bool Desktop::Grab(Window* w) {
  if (!w || !w->visible) return false;
  grab_ = w;
  return true;
}

void Desktop::SetPointerHidden(Window* w, bool hidden) {
  if (hidden) {
    if (w) hiddenOver_ = w;
  } else if (!w || hiddenOver_ == w) {
    hiddenOver_ = nullptr;
  }
}

Window* Desktop::PointerTarget() const {
  if (grab_) return grab_;
  if (pressedIn_ || pressedOnDesktop_) return pressedIn_;
  Window* best = nullptr;
  for (const auto& p : windows_) {
    Window* w = p.get();
    if (!w->visible || !Contains(*w, pointerX_, pointerY_)) continue;
    if (!best || w->raised > best->raised) best = w;
  }
  return best;
}

Window* Desktop::KeyboardTarget() const {
  Window* best = nullptr;
  for (const auto& p : windows_) {
    Window* w = p.get();
    if (!w->visible || w->popup) continue;
    if (!best || w->raised > best->raised) best = w;
  }
  return best;
}

// An event for `target` with the pointer's place and the held modifiers.
InputEvent Desktop::EventAt(InputEvent::Type type, Window* target) const {
  InputEvent e;
  e.type = type;
  e.window = AsNative(target);
  e.x = pointerX_ - target->x;
  e.y = pointerY_ - target->y;
  e.screenX = pointerX_;
  e.screenY = pointerY_;
  e.alt = modifiers.alt;
  e.shift = modifiers.shift;
  e.ctrl = modifiers.ctrl;
  return e;
}

void Desktop::QueuePointerMove() {
  if (Window* target = PointerTarget()) events_.push_back(EventAt(InputEvent::kMouseMove, target));
}

void Desktop::QueueButton(bool down, int button) {
  const unsigned bit = ButtonBit(button);
  if (!bit || (!down && !(buttonsHeld_ & bit))) return;
  if (down && buttonsHeld_ == 0) {
    pressedIn_ = PointerTarget();
    pressedOnDesktop_ = pressedIn_ == nullptr;
  }
  Window* target = PointerTarget();
  if (down) {
    buttonsHeld_ |= bit;
  } else {
    buttonsHeld_ &= ~bit;
    if (buttonsHeld_ == 0) pressedIn_ = nullptr, pressedOnDesktop_ = false;
  }
  if (!target) return;  // over the bare desktop
  InputEvent e = EventAt(down ? InputEvent::kButtonDown : InputEvent::kButtonUp, target);
  e.button = button;
  events_.push_back(e);
}

void Desktop::QueueKey(bool down, unsigned key, wchar_t ch, bool alt) {
  Window* target = KeyboardTarget();
  if (!target) return;
  InputEvent e = EventAt(down ? InputEvent::kKeyDown : InputEvent::kKeyUp, target);
  e.key = key;
  e.ch = ch;
  e.alt = alt;
  events_.push_back(e);
}

void Desktop::QueueWindowEvent(InputEvent::Type type, Window* w) {
  if (!w) return;
  InputEvent e;
  e.type = type;
  e.window = AsNative(w);
  e.screenX = pointerX_;
  e.screenY = pointerY_;
  events_.push_back(e);
}

void Desktop::QueueResize(Window* w, int width, int height) {
  if (!w || !Resize(w, width, height)) return;
  QueueWindowEvent(InputEvent::kResized, w);
  events_.back().width = w->width;
  events_.back().height = w->height;
}

bool Desktop::Poll(InputEvent* event) {
  if (events_.empty()) return false;
  if (event) *event = events_.front();
  events_.pop_front();
  return true;
}

}  // namespace desktop
}  // namespace kv
