// FetchWebPage and its variant with the status against a loopback HTTP server that runs inside the
// test on a free port.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/values.h"
#include "library_commands/commands.h"
#include "tests/harness/loopback_server.h"

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

// Serves files by path (the path after percent-decoding, as the server's file system names it)
// and keeps the request heads it got.
class FileServer {
 public:
  FileServer() : server_([this](SOCKET s) { Handle(s); }) { server_.Start(); }

  void Serve(const std::string& path, Reply reply) {
    std::lock_guard<std::mutex> lock(m_);
    replies_[path] = std::move(reply);
  }
  uint16_t port() const { return server_.port(); }
  std::string Url(const std::string& rest) const { return server_.Url(rest); }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(m_);
    return requests_;
  }

 private:
  void Handle(SOCKET s) {
    const std::string request = server_.ReadHead(s, 5000);
    if (request.find("\r\n\r\n") == std::string::npos) return;
    Reply reply;
    {
      std::lock_guard<std::mutex> lock(m_);
      requests_.push_back(request);
      auto it = replies_.find(harness::RequestPath(request));
      if (it != replies_.end()) {
        reply = it->second;
      } else {
        reply.status = "404 Not Found";
        reply.body = "<html><body>404: no such file</body></html>";
      }
    }
    if (reply.mode == Reply::kStall) {
      server_.WaitClientClose(s, 30000);
      return;
    }
    std::string head = "HTTP/1.0 " + reply.status + "\r\nContent-Type: text/plain\r\n";
    if (reply.mode == Reply::kWithLength) {
      head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    }
    head += "\r\n";
    if (!server_.Send(s, head)) return;
    if (reply.mode == Reply::kStallInBody) {
      server_.Send(s, reply.body);
      server_.WaitClientClose(s, 30000);
      return;
    }
    if (reply.mode != Reply::kEndless) {
      server_.Send(s, reply.body);
    } else {
      std::string piece(65536, '\0');
      for (size_t sent = 0; sent < reply.endless_size; sent += piece.size()) {
        for (size_t i = 0; i < piece.size(); ++i) piece[i] = PatternByte(sent + i);
        if (!server_.Send(s, piece)) break;
      }
    }
    shutdown(s, SD_SEND);
  }

  std::mutex m_;
  std::map<std::string, Reply> replies_;
  std::vector<std::string> requests_;
  harness::LoopbackServer server_;  // last: stopped first, while the rest still stands
};

// The fetched bytes as a string; the result block is freed here.
struct Fetched {
  bool empty_block = true;
  std::string bytes;
  double seconds = 0;
  int32_t status = -1;  // FetchWebPageWithStatus only
};

Fetched Fetch(const std::string& url, bool with_status = false) {
  Fetched f;
  ArgRecord args[] = {PointerValue(url.c_str(), kTagText), PointerValue(&f.status, kTagAddress)};
  ResultRecord result{};
  const auto start = std::chrono::steady_clock::now();
  if (with_status) {
    FetchWebPageWithStatus(&result, 2, args);
  } else {
    FetchWebPage(&result, 1, args);
  }
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
  int32_t expected_status = 200;
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
  Reply failing;
  failing.status = "500 Internal Server Error";
  failing.body = "<html>the server failed</html>";
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
       "<html><body>404: no such file</body></html>", "/missing.txt", 404},
      {"server error gives its page", "/v.txt", failing, "/v.txt", failing.body, "/v.txt", 500},
  };
}

TEST(WebFetch, AnswersOfALoopbackServer) {
  for (const FetchCase& c : FetchCases()) {
    for (bool with_status : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (with_status ? ", with status" : ""));
      FileServer server;
      server.Serve(c.served_path, c.reply);
      const Fetched f = Fetch(server.Url(c.url_rest), with_status);
      EXPECT_EQ(f.bytes, c.expected_body)
          << "the fetch returns the whole body, whatever the status";
      EXPECT_FALSE(f.empty_block);
      EXPECT_EQ(f.status, with_status ? c.expected_status : -1)
          << "the variant tells the answer's status; the plain fetch writes nowhere";
      const std::vector<std::string> requests = server.Requests();
      ASSERT_EQ(requests.size(), 1u) << "one request per fetch";
      EXPECT_EQ(RequestLine(requests[0]), "GET " + c.expected_target + " HTTP/1.0")
          << "GET over HTTP/1.0, fragment never sent, non-ASCII as percent-encoded UTF-8";
      EXPECT_NE(
          requests[0].find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"
                           "\r\n"),
          std::string::npos);
    }
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
    FileServer probe;  // a port that was free a moment ago and is closed again
    port = probe.port();
  }
  const Fetched f = Fetch("http://127.0.0.1:" + std::to_string(port) + "/x.txt", true);
  EXPECT_TRUE(f.empty_block);
  EXPECT_EQ(f.status, 0) << "no answer, no status";
  EXPECT_LT(f.seconds, 3.0) << "a refused connection must not hold the window";
}

TEST(WebFetch, StallingServerGivesUpWithinTheTimeout) {
  FileServer server;
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
  FileServer server;
  Reply half;
  half.mode = Reply::kStallInBody;
  half.body = "first part";
  server.Serve("/half.txt", half);
  const Fetched f = Fetch(server.Url("/half.txt"));
  EXPECT_EQ(f.bytes, "first part") << "a failed read keeps the bytes read before it";
  EXPECT_LT(f.seconds, kWebTimeoutMs / 1000.0 * 2 + 2);
}

TEST(WebFetch, BodyBeyondTheCapIsCutAtTheCap) {
  FileServer server;
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
  FileServer server;
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
