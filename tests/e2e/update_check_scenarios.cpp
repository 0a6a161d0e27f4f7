// The update check on the real program against a web server inside the test, on the loopback
// port the test build gives the program (scripts/build.sh, ROLLCALL_TEST_PORT): the version
// fetched at start, the "latest" box, the offer for a version text that differs by a line
// break, its Yes that hands four pages to the browser, the error box of a server that is down or
// answers with an error status, and a portal's page taken as a new version whose No ends the
// program; and the program built without an update address, which asks nobody.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/harness/driver.h"
#include "tests/harness/loopback_server.h"

using namespace harness;

namespace {

constexpr char kMainTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kIni[] = "[Running State]\r\nFirst run=no\r\n";
constexpr char kVersionPath[] = "/vavedivoderizor/随机点名器版本.txt";
constexpr char kNotFound[] = "<html><body>404 Not Found</body></html>";
constexpr char kPortalPage[] = "<html><head><title>Wi-Fi login</title></head></html>";
constexpr char kNoConnection[] = "遇到错误！无法连接服务器！ | 请稍后再试！";

// The port scripts/build.sh built the program for.
uint16_t TestPort() {
  char text[16] = {};
  const DWORD n = GetEnvironmentVariableA("ROLLCALL_TEST_PORT", text, sizeof text);
  const int port = n > 0 && n < sizeof text ? std::atoi(text) : 0;
  return uint16_t(port > 0 && port < 65536 ? port : 47631);
}

std::string Recode(const std::string& text, UINT from, UINT to) {
  const int n = MultiByteToWideChar(from, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(from, 0, text.data(), int(text.size()), &wide[0], n);
  const int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(size_t(m), '\0');
  WideCharToMultiByte(to, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
  return out;
}

// The maker's server: the version file as it is served, a 404 page for everything else.
class UpdateServer {
 public:
  UpdateServer() : server_([this](SOCKET s) { Handle(s); }) {}

  // Listens on the test port; another run may still hold it for a while.
  bool Start() { return server_.Start(TestPort()); }
  // Down: connections are refused.
  void Stop() { server_.Stop(); }

  // The version file's answer: its status line and body.
  void Serve(const std::string& status, const std::string& body) {
    std::lock_guard<std::mutex> lock(m_);
    status_ = status;
    body_ = body;
  }
  void Publish(const std::string& version) { Serve("200 OK", version); }
  // Every connection held without an answer, as by a server that hangs.
  void Hang() {
    std::lock_guard<std::mutex> lock(m_);
    hang_ = true;
  }
  // The paths asked for, percent-decoded (UTF-8).
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(m_);
    return requests_;
  }
  int Connections() {
    std::lock_guard<std::mutex> lock(m_);
    return connections_;
  }

 private:
  void Handle(SOCKET s) {
    bool hang;
    {
      std::lock_guard<std::mutex> lock(m_);
      ++connections_;
      hang = hang_;
    }
    if (hang) {
      server_.WaitClientClose(s, 30000);
      return;
    }
    const std::string path = RequestPath(server_.ReadHead(s));
    if (path.empty()) return;
    std::string status = "404 Not Found", body = kNotFound;
    {
      std::lock_guard<std::mutex> lock(m_);
      requests_.push_back(path);
      if (path == Recode(kVersionPath, 936, CP_UTF8)) {
        status = status_;
        body = body_;
      }
    }
    server_.Send(s, "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\n\r\n" + body);
    // The client closes first, so that the port can be listened on again at once.
    shutdown(s, SD_SEND);
    server_.WaitClientClose(s, 3000);
  }

  std::mutex m_;
  std::string status_ = "404 Not Found", body_ = kNotFound;
  bool hang_ = false;
  int connections_ = 0;
  std::vector<std::string> requests_;
  LoopbackServer server_;  // last: stopped first, while the rest still stands
};

// The addresses handed to the browser since the test began, one a line (UTF-8): the Wine test
// environment's browser appends them to the file ROLLCALL_BROWSER_LOG names.
class BrowserLog {
 public:
  BrowserLog() : path_(EnvPath("ROLLCALL_BROWSER_LOG")) {
    if (path_.empty()) return;
    offset_ = Read().size();
  }
  bool available() const { return !path_.empty(); }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(Read().substr(offset_));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string path_;
  size_t offset_ = 0;
};

struct Program {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND main = nullptr, button = nullptr, own = nullptr, checked = nullptr, at_start = nullptr;

  double start_seconds = 0;  // from the process start to the main window shown

  explicit Program(const char* exe = "rollcall.exe") {
    dir.Write("dede.ini", kIni);
    const DWORD started = GetTickCount();
    proc = std::make_unique<Process>(dir, exe);
    main = proc->WaitWindow(kMainTitle, 20000);
    start_seconds = (GetTickCount() - started) / 1000.0;
    if (main == nullptr) return;
    button = FindChildAt(main, "Button", 8, 342);
    // The hidden labels: the own version, the version the button fetched, the one fetched at
    // start.
    own = FindChildAt(main, "Label", 24, 32);
    checked = FindChildAt(main, "Label", 24, 72);
    at_start = FindChildAt(main, "Label", 24, 112);
  }
  bool found() const { return main && button && own && checked && at_start; }

  // Clicks the button and waits for the box it brings.
  MessageBoxInfo Check() const {
    Click(button);
    return proc->WaitMessageBox();
  }
};

std::string Says(const MessageBoxInfo& box) {
  return box.text + " | " + box.caption;
}

TEST(UpdateCheckScenario,
     LatestThenOfferAcceptedThenServerDownThenErrorStatusesThenPortalDeclined) {
  UpdateServer server;
  ASSERT_TRUE(server.Start()) << "the test port " << TestPort() << " stays taken";
  server.Publish("6.0");
  BrowserLog browser;
  Program p;
  ASSERT_TRUE(p.found());

  // At start the version is fetched into the hidden label, and nothing is shown.
  EXPECT_EQ(WindowText(p.at_start), "6.0");
  EXPECT_EQ(WindowText(p.checked), "XXXX检查XXXX");
  EXPECT_EQ(WindowText(p.own), "6.0");
  EXPECT_FALSE(p.proc->HasMessageBox());
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], Recode(kVersionPath, 936, CP_UTF8));

  // The same text: up to date.
  MessageBoxInfo box = p.Check();
  EXPECT_EQ(Says(box), "当前已是最新版！ | 无需更新！");
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  Answer(box, IDOK);
  EXPECT_EQ(WindowText(p.checked), "6.0");
  EXPECT_EQ(server.Requests().size(), 2u) << "every click fetches afresh";

  // A line break after it is a difference: the offer; Yes opens the direct download, the
  // share page, the download list and the home page, and the program goes on. (Wine hands each
  // page to a browser process of its own, started one after the other but running side by
  // side, so the pages reach the log in an order of their own: the four are compared as a set.)
  server.Publish("6.0\r\n");
  box = p.Check();
  EXPECT_EQ(Says(box), "发现新版本！是否下载更新包？ | 发现新版！更新否？");
  EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
  Answer(box, IDYES);
  EXPECT_EQ(WindowText(p.checked), "6.0\r\n");
  if (browser.available()) {
    EXPECT_TRUE(WaitUntil([&] { return browser.Lines().size() >= 4; }, 20000));
    std::vector<std::string> pages = browser.Lines();
    std::sort(pages.begin(), pages.end());
    const std::string root = "http://127.0.0.1:" + std::to_string(TestPort());
    EXPECT_EQ(pages, (std::vector<std::string>{
                         root + "/", root + "/download/rollcall-setup.exe", root + "/share/",
                         root + Recode("/vavedivoderizor/下载地址.txt", 936, CP_UTF8)}));
  }
  EXPECT_TRUE(p.proc->running());
  EXPECT_FALSE(p.proc->HasMessageBox());

  // The server down: the error box; the fetched text is empty.
  server.Stop();
  box = p.Check();
  EXPECT_EQ(Says(box), kNoConnection);
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  Answer(box, IDOK);
  EXPECT_EQ(WindowText(p.checked), "");

  // Up again but answering with an error status: no version, however the page reads.
  ASSERT_TRUE(server.Start());
  for (const char* status : {"400 Bad Request", "404 Not Found", "500 Internal Server Error"}) {
    SCOPED_TRACE(status);
    server.Serve(status, std::string("<html><body>") + status + "</body></html>");
    box = p.Check();
    EXPECT_EQ(Says(box), kNoConnection) << "an answer of status 400 or above is no connection";
    Answer(box, IDOK);
    EXPECT_EQ(WindowText(p.checked), "");
  }

  // A portal's login page comes with status 200: only the status is judged, so the page is taken
  // as the version and the offer comes; No ends the program at once with exit code 0.
  server.Serve("200 OK", kPortalPage);
  box = p.Check();
  EXPECT_EQ(Says(box), "发现新版本！是否下载更新包？ | 发现新版！更新否？");
  EXPECT_EQ(WindowText(p.checked), kPortalPage);
  Answer(box, IDNO);
  DWORD code = 1;
  EXPECT_TRUE(p.proc->WaitExit(3000, &code)) << "No ends the program";
  EXPECT_EQ(code, 0u);
}

TEST(UpdateCheckScenario, ErrorStatusAtStartAndABuildWithoutAddress) {
  UpdateServer server;
  ASSERT_TRUE(server.Start()) << "the test port " << TestPort() << " stays taken";
  {
    // The version file missing at start: asked for, and nothing taken from the error page.
    Program p;
    ASSERT_TRUE(p.found());
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(WindowText(p.at_start), "") << "an error page is no version";
  }

  // Without an address the program asks nobody: a server that hangs would hold its start and
  // the button for seconds, and sees no connection.
  server.Hang();
  const int before = server.Connections();
  Program p("rollcall_no_address.exe");
  ASSERT_TRUE(p.found());
  EXPECT_LT(p.start_seconds, 10.0) << "the start waits for no server";
  EXPECT_EQ(WindowText(p.at_start), "");
  const DWORD clicked = GetTickCount();
  MessageBoxInfo box = p.Check();
  const double check_seconds = (GetTickCount() - clicked) / 1000.0;
  EXPECT_EQ(Says(box), kNoConnection);
  EXPECT_LT(check_seconds, 2.0) << "the box comes at once";
  Answer(box, IDOK);
  EXPECT_EQ(WindowText(p.checked), "");
  EXPECT_EQ(server.Connections(), before) << "a build without an address makes no request";
}

}  // namespace
