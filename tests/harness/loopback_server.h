// A TCP server on 127.0.0.1 for tests that serve what they test: the update check's version
// file, web fetches, servers that misbehave. It accepts on a thread of its own and hands each
// connection to the test's function on a thread of its own, closing the connection after. The
// reading and writing helpers give up once the server is stopped, so that no connection
// outlives Stop, however slow the test made it.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace harness {

class LoopbackServer {
 public:
  using Serve = std::function<void(SOCKET)>;
  explicit LoopbackServer(Serve serve);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Listens on `port` (0: a free one). A port another run held a moment ago may stay taken
  // for a while: it is tried again for up to wait_ms.
  bool Start(uint16_t port = 0, DWORD wait_ms = 20000);
  // Down: connections are refused from now on; returns once every connection being served
  // has ended.
  void Stop();

  uint16_t port() const { return port_; }
  std::string Url(const std::string& path) const;

  // The request head up to its empty line, or what came within ms.
  std::string ReadHead(SOCKET s, DWORD ms = 3000) const;
  // Sends all of it; false once the client is gone or the server stops.
  bool Send(SOCKET s, const std::string& bytes) const;
  // Waits up to ms for the client to close, reading what it sends; true when it closed.
  bool WaitClientClose(SOCKET s, DWORD ms) const;

 private:
  void AcceptLoop();

  Serve serve_;
  SOCKET listener_ = INVALID_SOCKET;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{true};
  std::thread accept_thread_;
  std::mutex m_;
  std::vector<std::thread> connections_;  // joined by Stop
};

// The path a request head asks for: its target without the query, percent-decoded.
std::string RequestPath(const std::string& head);

}  // namespace harness
