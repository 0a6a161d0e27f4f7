// FetchWebPage against a loopback HTTP server that runs inside the test on a free port.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/values.h"
#include "library_commands/commands.h"

namespace rc {
namespace {

// How the server answers one path.
struct Reply {
  enum Mode { kWithLength, kWithoutLength, kStall, kStallInBody, kEndless };
  Mode mode = kWithLength;
  std::string status = "200 OK";
  std::string body;
  size_t endless_size = 0;  // kEndless: bytes offered before the server gives up
};

char PatternByte(size_t i) {
  return static_cast<char>('a' + i % 26);
}

std::string PercentDecode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out.push_back(static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

class LoopbackServer {
 public:
  LoopbackServer() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listener_, 8);
    int len = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    stop_event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
  }

  ~LoopbackServer() {
    stop_ = true;
    SetEvent(stop_event_);
    thread_.join();
    closesocket(listener_);
    CloseHandle(stop_event_);
    WSACleanup();
  }

  // path: the request path as the server's file system names it, after percent-decoding.
  void Serve(const std::string& path, Reply reply) {
    std::lock_guard<std::mutex> lock(m_);
    replies_[path] = std::move(reply);
  }

  uint16_t port() const { return port_; }
  std::string Url(const std::string& rest) const {
    return "http://127.0.0.1:" + std::to_string(port_) + rest;
  }

  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(m_);
    return requests_;
  }

 private:
  void Run() {
    while (!stop_) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(listener_, &set);
      timeval tv{0, 50 * 1000};
      if (select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
      SOCKET s = accept(listener_, nullptr, nullptr);
      if (s == INVALID_SOCKET) continue;
      Handle(s);
      closesocket(s);
    }
  }

  void Handle(SOCKET s) {
    DWORD timeout = 5000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&timeout), sizeof timeout);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<char*>(&timeout), sizeof timeout);
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
      const int n = recv(s, buf, sizeof buf, 0);
      if (n <= 0) break;
      request.append(buf, n);
    }
    const size_t sp1 = request.find(' ');
    const size_t sp2 = request.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos) return;
    const std::string target = request.substr(sp1 + 1, sp2 - sp1 - 1);
    Reply reply;
    {
      std::lock_guard<std::mutex> lock(m_);
      requests_.push_back(request);
      auto it = replies_.find(PercentDecode(target.substr(0, target.find('?'))));
      if (it != replies_.end()) {
        reply = it->second;
      } else {
        reply.status = "404 Not Found";
        reply.body = "<html><body>404: no such file</body></html>";
      }
    }
    if (reply.mode == Reply::kStall) {
      WaitForSingleObject(stop_event_, 30000);
      return;
    }
    std::string head = "HTTP/1.0 " + reply.status + "\r\nContent-Type: text/plain\r\n";
    if (reply.mode == Reply::kWithLength) {
      head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    }
    head += "\r\n";
    if (!SendAll(s, head)) return;
    if (reply.mode == Reply::kStallInBody) {
      SendAll(s, reply.body);
      WaitForSingleObject(stop_event_, 30000);
      return;
    }
    if (reply.mode != Reply::kEndless) {
      SendAll(s, reply.body);
    } else {
      std::string piece(65536, '\0');
      for (size_t sent = 0; sent < reply.endless_size && !stop_; sent += piece.size()) {
        for (size_t i = 0; i < piece.size(); ++i) piece[i] = PatternByte(sent + i);
        if (!SendAll(s, piece)) break;
      }
    }
    shutdown(s, SD_SEND);
  }

  static bool SendAll(SOCKET s, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
      const int n = send(s, data.data() + done, static_cast<int>(data.size() - done), 0);
      if (n <= 0) return false;
      done += n;
    }
    return true;
  }

  SOCKET listener_ = INVALID_SOCKET;
  uint16_t port_ = 0;
  HANDLE stop_event_ = nullptr;
  std::atomic<bool> stop_{false};
  std::mutex m_;
  std::map<std::string, Reply> replies_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// The fetched bytes as a string; the result block is freed here.
struct Fetched {
  bool empty_block = true;
  std::string bytes;
  double seconds = 0;
};

Fetched Fetch(const std::string& url) {
  ArgRecord arg = PointerValue(url.c_str(), kTagText);
  ResultRecord result{};
  const auto start = std::chrono::steady_clock::now();
  FetchWebPage(&result, 1, &arg);
  Fetched f;
  f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  void* block = SlotPointer(result);
  f.empty_block = block == nullptr;
  if (block != nullptr) {
    f.bytes.assign(reinterpret_cast<const char*>(ByteBlockData(block)), ByteBlockLength(block));
    FreeMem(block);
  }
  return f;
}

std::string RequestLine(const std::string& request) {
  return request.substr(0, request.find("\r\n"));
}

struct FetchCase {
  const char* name;
  std::string served_path;  // as the server names the file (UTF-8)
  Reply reply;
  std::string url_rest;  // appended to http://127.0.0.1:port, GBK as the program has it
  std::string expected_body;
  std::string expected_target;  // the request target on the wire
};

std::string Repeat(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = PatternByte(i);
  return s;
}

std::vector<FetchCase> FetchCases() {
  Reply plain;
  plain.body = "6.0\r\n";
  Reply version;
  version.body = "v6.1";
  Reply unsized;
  unsized.mode = Reply::kWithoutLength;
  unsized.body = Repeat(30000);  // three reads of the chunk used without a length
  Reply large;
  large.body = Repeat(250000);  // a length above the largest chunk: several reads
  return {
      {"plain file", "/version.txt", plain, "/version.txt", plain.body, "/version.txt"},
      {"Chinese file name", u8"/vavedivoderizor/随机点名器版本.txt", version,
       "/vavedivoderizor/随机点名器版本.txt", version.body,
       "/vavedivoderizor/%E9%9A%8F%E6%9C%BA%E7%82%B9%E5%90%8D%E5%99%A8%E7%89%88%E6%9C%AC.txt"},
      {"fragment cut", "/page.txt", plain, "/page.txt#frag", plain.body, "/page.txt"},
      {"fragment after a query", "/q.txt", plain, "/q.txt?a=1#frag", plain.body, "/q.txt?a=1"},
      {"no Content-Length", "/unsized.txt", unsized, "/unsized.txt", unsized.body, "/unsized.txt"},
      {"body above the largest chunk", "/large.bin", large, "/large.bin", large.body, "/large.bin"},
      {"missing file gives the error body", "/other.txt", plain, "/missing.txt",
       "<html><body>404: no such file</body></html>", "/missing.txt"},
  };
}

TEST(WebFetch, AnswersOfALoopbackServer) {
  for (const FetchCase& c : FetchCases()) {
    SCOPED_TRACE(c.name);
    LoopbackServer server;
    server.Serve(c.served_path, c.reply);
    const Fetched f = Fetch(server.Url(c.url_rest));
    EXPECT_EQ(f.bytes, c.expected_body) << "the fetch returns the whole body, status unread";
    EXPECT_FALSE(f.empty_block);
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u) << "one request per fetch";
    EXPECT_EQ(RequestLine(requests[0]), "GET " + c.expected_target + " HTTP/1.0")
        << "GET over HTTP/1.0, fragment never sent, non-ASCII as percent-encoded UTF-8";
    EXPECT_NE(requests[0].find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"
                               "\r\n"),
              std::string::npos);
  }
}

TEST(WebFetch, EmptyOrUnusableAddressGivesTheEmptyBlock) {
  for (const char* url : {"", "not a url", "ftp://127.0.0.1:1/x", "http://"}) {
    SCOPED_TRACE(url);
    const Fetched f = Fetch(url);
    EXPECT_TRUE(f.empty_block) << "failures give the empty byte block (null)";
  }
  ResultRecord result{};
  FetchWebPage(&result, 0, nullptr);
  EXPECT_EQ(SlotPointer(result), nullptr) << "an omitted address gives the empty byte block";
}

TEST(WebFetch, UnreachablePortReturnsEmptyQuickly) {
  uint16_t port;
  {
    LoopbackServer probe;  // a port that was free a moment ago and is closed again
    port = probe.port();
  }
  const Fetched f = Fetch("http://127.0.0.1:" + std::to_string(port) + "/x.txt");
  EXPECT_TRUE(f.empty_block);
  EXPECT_LT(f.seconds, 3.0) << "a refused connection must not hold the window";
}

TEST(WebFetch, StallingServerGivesUpWithinTheTimeout) {
  LoopbackServer server;
  Reply stall;
  stall.mode = Reply::kStall;
  server.Serve("/slow.txt", stall);
  const Fetched f = Fetch(server.Url("/slow.txt"));
  EXPECT_TRUE(f.empty_block) << "nothing was read";
  EXPECT_LT(f.seconds, kWebTimeoutMs / 1000.0 * 2 + 2)
      << "a silent server must not freeze the window for minutes";
  RecordProperty("stall_seconds", std::to_string(f.seconds));
}

TEST(WebFetch, ServerFallingSilentInTheBodyKeepsWhatWasRead) {
  LoopbackServer server;
  Reply half;
  half.mode = Reply::kStallInBody;
  half.body = "first part";
  server.Serve("/half.txt", half);
  const Fetched f = Fetch(server.Url("/half.txt"));
  EXPECT_EQ(f.bytes, "first part") << "a failed read keeps the bytes read before it";
  EXPECT_LT(f.seconds, kWebTimeoutMs / 1000.0 * 2 + 2);
}

TEST(WebFetch, BodyBeyondTheCapIsCutAtTheCap) {
  LoopbackServer server;
  Reply endless;
  endless.mode = Reply::kEndless;
  endless.endless_size = kWebReadCap + (1u << 20);
  server.Serve("/endless", endless);
  const Fetched f = Fetch(server.Url("/endless"));
  ASSERT_EQ(f.bytes.size(), kWebReadCap) << "reading stops at the cap and keeps what was read";
  for (size_t i = 0; i < f.bytes.size(); i += 4099) {
    ASSERT_EQ(f.bytes[i], PatternByte(i)) << "byte " << i;
  }
}

TEST(WebFetch, InternetHandleSurvivesShutdownAndReopens) {
  LoopbackServer server;
  Reply again;
  again.body = "again";
  server.Serve("/r", again);
  ASSERT_EQ(Fetch(server.Url("/r")).bytes, "again");
  ShutdownLibraryCommands();
  EXPECT_EQ(Fetch(server.Url("/r")).bytes, "again") << "a later fetch opens a new handle";
}

TEST(WebEscapePath, RequestPathsAsBrowsersSendThem) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"/plain/file.txt?a=1&b=2", "/plain/file.txt?a=1&b=2"},
      {"/already%20escaped", "/already%20escaped"},
      {"/a b", "/a%20b"},
      {"/点名", "/%E7%82%B9%E5%90%8D"},
      // 0x81 0x40 is a GBK character whose trail byte is ASCII '@'.
      {"/\x81\x40", "/%E4%B8%82"},
      // Not GBK (a lone lead byte at the end): the bytes are encoded as they stand.
      {"/x\x81", "/x%81"},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeRequestPath(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace rc
