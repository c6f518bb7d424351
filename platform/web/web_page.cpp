// The calls into the page (web/page.js). Asyncify keeps the module's stack
// across Yield: the game's pump never returns to the browser, so the
// browser is let in from inside it.
#include "platform/web/web_page.h"

#include <emscripten.h>

namespace {

// Asked on every pass of the game's pump: nothing is allocated when the
// queue is empty, which it nearly always is.
EM_JS(int, kv_page_next_event, (int* out), {
  return kvPage.nextEvent(HEAP32, out >> 2) ? 1 : 0;
});

// Listed in ASYNCIFY_IMPORTS (cmake/web.cmake): the module sleeps in it.
EM_JS(void, kv_page_yield, (int ms), {
  Asyncify.handleSleep(function(wakeUp) { kvPage.sleep(ms, wakeUp); });
});

EM_JS(void, kv_page_set_screen_size, (int w, int h), { kvPage.setScreenSize(w, h); });
EM_JS(void, kv_page_blit, (const uint8_t* rgba, int w, int h), { kvPage.blit(HEAPU8, rgba, w, h); });
EM_JS(int, kv_page_painted, (), { return kvPage.paintedSinceBlit() ? 1 : 0; });
EM_JS(void, kv_page_set_title, (const char* title), { kvPage.setTitle(UTF8ToString(title)); });
EM_JS(void, kv_page_set_cursor_hidden, (int hidden), { kvPage.setCursorHidden(hidden != 0); });
EM_JS(void, kv_page_request_lock, (), { kvPage.requestLock(); });
EM_JS(void, kv_page_exit_lock, (), { kvPage.exitLock(); });
EM_JS(void, kv_page_started, (), { kvPage.mainStarted(); });
EM_JS(void, kv_page_ended, (), { kvPage.ended(); });

}  // namespace

namespace kv {
namespace web {

bool NextPageEvent(PageEvent* event) {
  int fields[10] = {};
  if (!kv_page_next_event(fields)) return false;
  event->kind = fields[0];
  event->x = fields[1];
  event->y = fields[2];
  event->dx = fields[3];
  event->dy = fields[4];
  event->button = fields[5];
  event->key = fields[6];
  event->ch = fields[7];
  event->mods = fields[8];
  event->locked = fields[9];
  return true;
}

void Yield(int ms) { kv_page_yield(ms); }
double NowMs() { return emscripten_get_now(); }
void SetScreenSize(int width, int height) { kv_page_set_screen_size(width, height); }
void Blit(const uint8_t* rgba, int width, int height) { kv_page_blit(rgba, width, height); }
bool PaintedSinceBlit() { return kv_page_painted() != 0; }
void SetTitle(const char* utf8) { kv_page_set_title(utf8); }
void SetCursorHidden(bool hidden) { kv_page_set_cursor_hidden(hidden ? 1 : 0); }
void RequestPointerLock() { kv_page_request_lock(); }
void ExitPointerLock() { kv_page_exit_lock(); }
void ShowStarted() { kv_page_started(); }
void ShowEnded() { kv_page_ended(); }

}  // namespace web
}  // namespace kv
