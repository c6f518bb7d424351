#include "bare_compositor.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-server-core.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace kv_compositor {

namespace {

// Every request is taken and none answered; a destructor (each offered
// interface's first request is its destroy, or it has none) ends its object.
int Dispatch(const void*, void* target, uint32_t opcode, const wl_message* message, wl_argument*) {
  if (opcode == 0 && std::strcmp(message->name, "destroy") == 0)
    wl_resource_destroy(static_cast<wl_resource*>(target));
  return 0;
}

void Bind(wl_client* client, void* data, uint32_t version, uint32_t id) {
  const auto* interface = static_cast<const wl_interface*>(data);
  wl_resource* resource = wl_resource_create(client, interface, static_cast<int>(version), id);
  if (!resource) {
    wl_client_post_no_memory(client);
    return;
  }
  wl_resource_set_dispatcher(resource, &Dispatch, nullptr, nullptr, nullptr);
}

}  // namespace

bool BareCompositor::Start(const std::vector<std::pair<const wl_interface*, int>>& globals) {
  char dir[] = "/tmp/kv-bare-wayland-XXXXXX";
  if (!mkdtemp(dir)) return false;
  dir_ = dir;
  socket_ = dir_ + "/wayland-0";
  display_ = wl_display_create();
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket_.c_str(), sizeof(address.sun_path) - 1);
  if (!display_ || fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(fd, 8) != 0 || wl_display_add_socket_fd(display_, fd) != 0) {
    if (fd >= 0) close(fd);
    Stop();
    return false;
  }
  for (const auto& g : globals)
    wl_global_create(display_, g.first, g.second, const_cast<wl_interface*>(g.first), &Bind);
  running_ = true;
  thread_ = std::thread([this] {
    wl_event_loop* loop = wl_display_get_event_loop(display_);
    while (running_) {
      wl_event_loop_dispatch(loop, 50);
      wl_display_flush_clients(display_);
    }
  });
  return true;
}

void BareCompositor::Stop() {
  running_ = false;
  if (thread_.joinable()) thread_.join();
  if (display_) wl_display_destroy(display_);
  display_ = nullptr;
  if (!dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  dir_.clear();
  socket_.clear();
}

}  // namespace kv_compositor
