#include "tests/harness/loopback_server.h"

#include <algorithm>
#include <cctype>

namespace harness {
namespace {

// Waits up to ms for bytes (or the end) on a socket; false on a timeout.
bool Readable(SOCKET s, DWORD ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv{long(ms / 1000), long(ms % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &tv) > 0;
}

}  // namespace

LoopbackServer::LoopbackServer(Serve serve) : serve_(std::move(serve)) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
}

LoopbackServer::~LoopbackServer() {
  Stop();
  WSACleanup();
}

bool LoopbackServer::Start(uint16_t port, DWORD wait_ms) {
  Stop();
  const DWORD start = GetTickCount();
  for (;;) {
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL reuse = TRUE;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
               sizeof reuse);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    int len = sizeof addr;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        listen(listener_, 16) == 0 &&
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
      port_ = ntohs(addr.sin_port);
      stop_ = false;
      accept_thread_ = std::thread([this] { AcceptLoop(); });
      return true;
    }
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
    if (GetTickCount() - start >= wait_ms) return false;
    ::Sleep(100);
  }
}

void LoopbackServer::Stop() {
  if (!accept_thread_.joinable()) return;
  stop_ = true;
  accept_thread_.join();
  closesocket(listener_);
  listener_ = INVALID_SOCKET;
  std::vector<std::thread> connections;
  {
    std::lock_guard<std::mutex> lock(m_);
    connections.swap(connections_);
  }
  for (std::thread& t : connections) t.join();
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackServer::AcceptLoop() {
  while (!stop_) {
    if (!Readable(listener_, 20)) continue;
    SOCKET s = accept(listener_, nullptr, nullptr);
    if (s == INVALID_SOCKET) continue;
    std::lock_guard<std::mutex> lock(m_);
    connections_.emplace_back([this, s] {
      serve_(s);
      closesocket(s);
    });
  }
}

std::string LoopbackServer::ReadHead(SOCKET s, DWORD ms) const {
  std::string head;
  const DWORD start = GetTickCount();
  while (!stop_ && head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 &&
         GetTickCount() - start < ms) {
    if (!Readable(s, 50)) continue;
    char buf[4096];
    const int n = recv(s, buf, sizeof buf, 0);
    if (n <= 0) break;
    head.append(buf, size_t(n));
  }
  return head;
}

bool LoopbackServer::Send(SOCKET s, const std::string& bytes) const {
  for (size_t at = 0; at < bytes.size();) {
    if (stop_) return false;
    const int n = send(s, bytes.data() + at, int(std::min<size_t>(bytes.size() - at, 65536)), 0);
    if (n <= 0) return false;
    at += size_t(n);
  }
  return !stop_;
}

bool LoopbackServer::WaitClientClose(SOCKET s, DWORD ms) const {
  const DWORD start = GetTickCount();
  while (!stop_ && GetTickCount() - start < ms) {
    if (!Readable(s, 50)) continue;
    char buf[4096];
    if (recv(s, buf, sizeof buf, 0) <= 0) return true;
  }
  return false;
}

std::string RequestPath(const std::string& head) {
  const size_t sp1 = head.find(' ');
  const size_t sp2 = sp1 == std::string::npos ? sp1 : head.find(' ', sp1 + 1);
  if (sp2 == std::string::npos) return std::string();
  const std::string target = head.substr(sp1 + 1, sp2 - sp1 - 1);
  const std::string path = target.substr(0, target.find('?'));
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '%' && i + 2 < path.size() &&
        isxdigit(static_cast<unsigned char>(path[i + 1])) &&
        isxdigit(static_cast<unsigned char>(path[i + 2]))) {
      out.push_back(char(std::stoi(path.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(path[i]);
    }
  }
  return out;
}

}  // namespace harness
