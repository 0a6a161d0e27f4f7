// The update check against servers that misbehave, served from inside the test on the test
// build's address: a huge body, one byte a second (in the headers and in the body), a length
// that lies either way, a reset in the middle of the body, a redirect loop, answers that are not
// HTTP, a port that speaks only TLS, and a server that never answers. The program always answers
// again within a bounded time, with the box that fits what it read, and its memory stays bounded.
// The scenario needs the port to itself: the robust suite runs it in a network namespace.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/robust_support.h"
#include "tests/harness/loopback_server.h"

using namespace robust;

namespace {

enum class Mode {
  kVersion,       // "6.0" with its length
  kHuge,          // 64 MB without a length
  kTrickleBody,   // headers, then one byte a second
  kTrickleHead,   // the headers themselves one byte a second
  kLengthLong,    // states 100000 bytes, sends 3 and holds the connection
  kLengthShort,   // states 3 bytes, sends a megabyte
  kReset,         // half the stated body, then a reset
  kRedirectLoop,  // 302 to itself, for ever
  kRedirectOnce,  // 302 to another path, which holds the version
  kNotHttp,       // a line of another protocol, then the connection closes
  kBinary,        // random bytes, then the connection closes
  kTlsAlert,      // a TLS server's answer to bytes that are no ClientHello
  kTlsSilent,     // a TLS server waiting for the rest of a ClientHello
  kReject,        // accepts and closes at once
};

int TestPort() {
  char port[16] = "47631";
  GetEnvironmentVariableA("ROLLCALL_TEST_PORT", port, sizeof port);
  return atoi(port);
}

// One listener on the program's update address; each connection is answered by the mode set
// when it came, on a thread of its own that ends when the test stops the server.
class MisbehavingServer {
 public:
  MisbehavingServer()
      : server_([this](SOCKET s) {
          ++requests_;
          Serve(s, mode_);
        }) {
    ok_ = server_.Start(uint16_t(TestPort()), 0);
  }
  bool ok() const { return ok_; }
  void Set(Mode mode) { mode_ = mode; }
  int requests() const { return requests_; }

 private:
  bool Send(SOCKET s, const std::string& bytes) { return server_.Send(s, bytes); }
  bool ClientClosed(SOCKET s, DWORD ms) { return server_.WaitClientClose(s, ms); }
  std::string Request(SOCKET s) { return server_.ReadHead(s, 1000); }

  void Serve(SOCKET s, Mode mode) {
    const char* ok = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n";
    switch (mode) {
      case Mode::kVersion:
        Request(s);
        Send(s, std::string(ok) + "Content-Length: 3\r\n\r\n6.0");
        return;
      case Mode::kHuge: {
        Request(s);
        if (!Send(s, std::string(ok) + "\r\n")) return;
        const std::string block(1 << 16, 'A');
        for (int i = 0; i < 1024 && Send(s, block); ++i) {
        }
        return;
      }
      case Mode::kTrickleBody:
        Request(s);
        if (!Send(s, std::string(ok) + "\r\n")) return;
        for (int i = 0; i < 120 && Send(s, "7") && !ClientClosed(s, 1000); ++i) {
        }
        return;
      case Mode::kTrickleHead: {
        Request(s);
        const std::string head = std::string(ok) + "X-Slow: " + std::string(200, 'z');
        for (size_t i = 0; i < head.size() && Send(s, head.substr(i, 1)) && !ClientClosed(s, 1000);
             ++i) {
        }
        return;
      }
      case Mode::kLengthLong:
        Request(s);
        if (Send(s, std::string(ok) + "Content-Length: 100000\r\n\r\n7.0")) ClientClosed(s, 60000);
        return;
      case Mode::kLengthShort:
        Request(s);
        Send(s, std::string(ok) + "Content-Length: 3\r\n\r\n6.0" + std::string(1 << 20, 'B'));
        return;
      case Mode::kReset: {
        Request(s);
        Send(s, std::string(ok) + "Content-Length: 2000\r\n\r\n" + std::string(1000, 'C'));
        ::Sleep(200);
        linger hard{1, 0};
        setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
        return;
      }
      case Mode::kRedirectLoop:
        Request(s);
        Send(s, "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" + std::to_string(TestPort()) +
                    "/loop\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
      case Mode::kRedirectOnce:
        if (Request(s).find("/moved") != std::string::npos) {
          Send(s, std::string(ok) + "Content-Length: 3\r\n\r\n6.0");
        } else {
          Send(s, "HTTP/1.1 302 Found\r\nLocation: /moved\r\nContent-Length: 0\r\n\r\n");
        }
        return;
      case Mode::kNotHttp:
        Request(s);
        Send(s, "SSH-2.0-OpenSSH_9.2p1\r\n");
        return;
      case Mode::kBinary: {
        Request(s);
        Bytes random(99);
        Send(s, random.Take(5000));
        return;
      }
      case Mode::kTlsAlert:
        // "GET " is no TLS record: a TLS server answers with a fatal alert and closes.
        Request(s);
        Send(s, std::string("\x15\x03\x03\x00\x02\x02\x32", 7));
        return;
      case Mode::kTlsSilent:
        // A record header that states more bytes than came: it waits for them.
        ClientClosed(s, 60000);
        return;
      case Mode::kReject:
        return;
    }
  }

  bool ok_ = false;
  std::atomic<Mode> mode_{Mode::kVersion};
  std::atomic<int> requests_{0};
  harness::LoopbackServer server_;  // last: stopped first, while the rest still stands
};

constexpr char kLatest[] = "当前已是最新版！ | 无需更新！";
constexpr char kNoServer[] = "遇到错误！无法连接服务器！ | 请稍后再试！";
constexpr char kOffer[] = "发现新版本！是否下载更新包？ | 发现新版！更新否？";

TEST(RobustUpdate, MisbehavingServersNeverHoldTheProgram) {
  MisbehavingServer server;
  ASSERT_TRUE(server.ok()) << "the update port is taken";
  Program p;
  ASSERT_TRUE(p.Start());
  const Usage before = p.Resources();

  struct Case {
    const char* what;
    Mode mode;
    const char* box;  // what the bytes read give
  } cases[] = {
      {"the version", Mode::kVersion, kLatest},
      {"a huge body", Mode::kHuge, kOffer},
      // What was read by the deadline: nothing, or the first bytes.
      {"one byte a second in the body", Mode::kTrickleBody, nullptr},
      {"one byte a second in the headers", Mode::kTrickleHead, kNoServer},
      {"a length longer than the body", Mode::kLengthLong, kOffer},
      {"a length shorter than the body", Mode::kLengthShort, kLatest},
      {"a reset in the body", Mode::kReset, kOffer},
      {"a redirect loop", Mode::kRedirectLoop, kNoServer},
      {"a redirect to the version", Mode::kRedirectOnce, kLatest},
      // What the library makes of answers that are not HTTP is its own business: a box comes.
      {"not HTTP", Mode::kNotHttp, nullptr},
      {"random bytes", Mode::kBinary, nullptr},
      {"a TLS port's alert", Mode::kTlsAlert, nullptr},
      {"a TLS port waiting for a ClientHello", Mode::kTlsSilent, kNoServer},
      {"a closed connection", Mode::kReject, kNoServer},
      {"the version again", Mode::kVersion, kLatest},
  };
  double worst_seconds = 0, peak_mb = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    server.Set(c.mode);
    const DWORD clicked = GetTickCount();
    Click(p.update);
    MessageBoxInfo box = p.proc->WaitMessageBox(40000);
    const double seconds = (GetTickCount() - clicked) / 1000.0;
    ASSERT_TRUE(box) << "no answer after " << seconds << " s";
    // The driver reads texts with SMTO_ABORTIFHUNG: after the long wait the thread counts as
    // hung until it has taken a message, so the box is read once the window answers.
    EXPECT_TRUE(WaitUntil([&] { return Answers(p.main); }, 3000));
    box = p.proc->WaitMessageBox(1000);
    ASSERT_TRUE(box);
    std::printf("%-40s %5.1f s  %s (%d requests in all)\n", c.what, seconds, box.caption.c_str(),
                server.requests());
    worst_seconds = std::max(worst_seconds, seconds);
    // Connect, send and receive give up after 5 s each, and the whole fetch after 15 s.
    EXPECT_LT(seconds, 17.0);
    const std::string shown = box.text + " | " + box.caption;
    if (c.box != nullptr) {
      EXPECT_EQ(shown, c.box);
    }
    EXPECT_TRUE(Answers(p.main));
    peak_mb = std::max(peak_mb, p.Resources().private_mb);
    // Yes keeps the program running (No would end it): the browser gets the addresses.
    Answer(box, shown == kOffer ? IDYES : IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box.hwnd); }));
    EXPECT_TRUE(p.Alive());
  }
  const Usage after = p.Resources();
  std::printf(
      "update: worst %.1f s; private %.1f MB before, %.1f MB at most, %.1f MB after; "
      "%lu threads before, %lu after\n",
      worst_seconds, before.private_mb, peak_mb, after.private_mb, before.threads, after.threads);
  RecordProperty("worst_seconds", int(worst_seconds));
  RecordProperty("peak_private_mb", int(peak_mb));
  // The read cap is 16 MiB: the body, its copies as a byte block and as a caption.
  EXPECT_LT(peak_mb, before.private_mb + 120);
  EXPECT_LT(after.private_mb, before.private_mb + 40);
  EXPECT_TRUE(p.Ends());
}

}  // namespace
