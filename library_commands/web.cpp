// The internet and application-interface library commands: FetchWebPage on WinINet and
// OpenWebPage through the shell. Both run on the user-interface thread.
#include <windows.h>
#include <wininet.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "base/library_shutdown.h"
#include "library_commands/commands.h"

namespace rc {

const char kDefaultWebAddress[] = "https://www.example.com/";

namespace {

constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr DWORD kChunkWithoutLength = 10240;
constexpr DWORD kChunkMax = 102400;

struct InternetCloser {
  void operator()(void* h) const {
    if (h != nullptr) InternetCloseHandle(h);
  }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

// Opened by the first fetch and kept until the program ends.
InternetHandle g_internet;

// Proxy settings of the library. No command of this program sets them, so they stay empty and
// the fetch goes direct; the options are still written as the library always wrote them.
const std::string g_proxy;
const std::string g_proxy_user;
const std::string g_proxy_password;

// Reads a header value as a decimal integer the way the C library's atoi does: leading blanks
// and a sign allowed, stopping at the first non-digit, 0 without digits; saturates.
long long LeadingInteger(const char* s) {
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  long long value = 0;
  for (; *s >= '0' && *s <= '9'; ++s) {
    if (value < (1LL << 40)) value = value * 10 + (*s - '0');
  }
  return negative ? -value : value;
}

std::string CutAtFragment(const std::string& s) {
  return s.substr(0, s.find('#'));
}

void AppendPercent(std::string* out, unsigned char byte) {
  static const char kHex[] = "0123456789ABCDEF";
  out->push_back('%');
  out->push_back(kHex[byte >> 4]);
  out->push_back(kHex[byte & 15]);
}

bool NeedsEscape(unsigned char c) {
  return c <= 0x20 || c >= 0x7F;
}

// Empty when the text is not valid GBK.
std::string GbkToUtf8(const std::string& gbk) {
  const int wide_length = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk.data(),
                                              static_cast<int>(gbk.size()), nullptr, 0);
  if (wide_length <= 0) return {};
  std::wstring wide(wide_length, L'\0');
  MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk.data(), static_cast<int>(gbk.size()), &wide[0],
                      wide_length);
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string utf8(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, &utf8[0], length, nullptr, nullptr);
  return utf8;
}

struct UrlParts {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  std::string host, user, password, object;
  INTERNET_PORT port = 0;
};

// Splits the address without escaping anything; false when it is not a usable URL.
bool SplitUrl(const std::string& url, UrlParts* parts) {
  const DWORD size = static_cast<DWORD>(url.size()) + 1;
  std::vector<char> scheme(size), host(size), user(size), password(size), path(size), extra(size);
  URL_COMPONENTSA c{};
  c.dwStructSize = sizeof c;
  c.lpszScheme = scheme.data();
  c.dwSchemeLength = size;
  c.lpszHostName = host.data();
  c.dwHostNameLength = size;
  c.lpszUserName = user.data();
  c.dwUserNameLength = size;
  c.lpszPassword = password.data();
  c.dwPasswordLength = size;
  c.lpszUrlPath = path.data();
  c.dwUrlPathLength = size;
  c.lpszExtraInfo = extra.data();
  c.dwExtraInfoLength = size;
  if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
  if (c.dwHostNameLength == 0) return false;
  parts->scheme = c.nScheme;
  parts->host.assign(host.data(), c.dwHostNameLength);
  parts->user.assign(user.data(), c.dwUserNameLength);
  parts->password.assign(password.data(), c.dwPasswordLength);
  parts->object.assign(path.data(), c.dwUrlPathLength);
  parts->object.append(extra.data(), c.dwExtraInfoLength);
  if (parts->object.empty()) parts->object = "/";
  parts->port = c.nPort;
  return true;
}

void SetTimeouts(HINTERNET h) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    DWORD ms = kWebTimeoutMs;
    InternetSetOptionA(h, option, &ms, sizeof ms);
  }
}

HINTERNET InternetSession() {
  if (g_internet) return g_internet.get();
  const bool proxy = !g_proxy.empty();
  HINTERNET h = InternetOpenA(kAgent, proxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT,
                              proxy ? g_proxy.c_str() : nullptr, nullptr, 0);
  if (h == nullptr) return nullptr;
  // Connections and requests inherit these; without them a dead server held the window for
  // minutes.
  SetTimeouts(h);
  g_internet.reset(h);
  return h;
}

// One fetch on its worker thread. The caller takes `out` when the worker is done or the
// deadline has passed, whichever comes first; from then on the worker adds nothing and stops at
// its next read.
struct FetchJob {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  bool abandoned = false;
  std::vector<unsigned char> out;
  DWORD status = 0;  // of the answer read, once its head has come

  // Adds read bytes; false once the caller has gone.
  bool Add(const unsigned char* bytes, size_t n) {
    std::lock_guard<std::mutex> lock(m);
    if (abandoned) return false;
    out.insert(out.end(), bytes, bytes + n);
    return true;
  }
  bool Abandoned() {
    std::lock_guard<std::mutex> lock(m);
    return abandoned;
  }
  void SetStatus(DWORD value) {
    std::lock_guard<std::mutex> lock(m);
    if (!abandoned) status = value;
  }
};

// What a fetch read by its deadline.
struct Answer {
  std::vector<unsigned char> body;
  DWORD status = 0;
};

bool IsRedirection(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The Location header of the answer as an absolute address, resolved against `base`; empty
// when there is none.
std::string RedirectTarget(HINTERNET request, const std::string& base) {
  std::vector<char> location(1024);
  DWORD size = static_cast<DWORD>(location.size());
  if (!HttpQueryInfoA(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size > 65536) return {};
    location.resize(size + 1);
    size = static_cast<DWORD>(location.size());
    if (!HttpQueryInfoA(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) return {};
  }
  const std::string relative(location.data(), size);
  std::vector<char> combined(base.size() + relative.size() + 16);
  DWORD length = static_cast<DWORD>(combined.size());
  if (!InternetCombineUrlA(base.c_str(), relative.c_str(), combined.data(), &length,
                           ICU_NO_ENCODE)) {
    return {};
  }
  return std::string(combined.data(), length);
}

// A connection and its sent request.
struct Sent {
  InternetHandle connection;
  InternetHandle request;
  std::string redirect;  // where a redirection that is to be followed points
  DWORD status = 0;
};

// Makes the request for one address; false when nothing was answered.
bool Send(const std::string& address, HINTERNET internet, bool follow, Sent* out) {
  UrlParts url;
  if (!SplitUrl(address, &url)) return false;
  // Redirections are followed here, not by the library, which follows a loop for ever.
  DWORD flags =
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
  if (url.scheme == INTERNET_SCHEME_HTTPS) {
    flags |= INTERNET_FLAG_SECURE;
  } else if (url.scheme != INTERNET_SCHEME_HTTP) {
    return false;  // only HTTP requests are made on the connection
  }
  out->connection.reset(InternetConnectA(
      internet, url.host.c_str(), url.port, url.user.empty() ? nullptr : url.user.c_str(),
      url.password.empty() ? nullptr : url.password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
  if (!out->connection) return false;

  INTERNET_PROXY_INFO proxy{};
  if (!g_proxy.empty()) {
    proxy.dwAccessType = INTERNET_OPEN_TYPE_PROXY;
    proxy.lpszProxy = g_proxy.c_str();
  }
  InternetSetOptionA(internet, INTERNET_OPTION_PROXY, &proxy, sizeof proxy);
  InternetSetOptionA(out->connection.get(), INTERNET_OPTION_PROXY_USERNAME,
                     const_cast<char*>(g_proxy_user.c_str()),
                     static_cast<DWORD>(g_proxy_user.size() + 1));
  InternetSetOptionA(out->connection.get(), INTERNET_OPTION_PROXY_PASSWORD,
                     const_cast<char*>(g_proxy_password.c_str()),
                     static_cast<DWORD>(g_proxy_password.size() + 1));

  const std::string object = EscapeRequestPath(CutAtFragment(url.object));
  const char* accept[] = {"Accept: */* \r\n", nullptr};
  out->request.reset(HttpOpenRequestA(out->connection.get(), "GET", object.c_str(), "HTTP/1.0",
                                      nullptr, accept, flags, 0));
  if (!out->request) return false;
  // Wine's WinINet does not hand the session's timeouts down to its requests.
  SetTimeouts(out->request.get());
  char headers[] = "Accept: */*\r\n\r\n";
  if (!HttpSendRequestA(out->request.get(), headers, sizeof headers - 1, nullptr, 0)) return false;

  DWORD status_size = sizeof out->status;
  if (!HttpQueryInfoA(out->request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                      &out->status, &status_size, nullptr)) {
    out->status = 0;
  }
  if (follow && IsRedirection(out->status)) {
    out->redirect = RedirectTarget(out->request.get(), address);
  }
  return true;
}

void Fetch(std::string address, HINTERNET internet, FetchJob* job) {
  address = CutAtFragment(address);
  Sent sent;
  for (int hop = 0;; ++hop) {
    sent.request.reset();  // before its connection
    sent.connection.reset();
    sent.redirect.clear();
    if (!Send(address, internet, hop < kWebMaxRedirects, &sent)) return;
    if (sent.redirect.empty()) break;
    if (job->Abandoned()) return;
    address = CutAtFragment(sent.redirect);
  }
  HINTERNET request = sent.request.get();
  job->SetStatus(sent.status);

  // A body is as long as its length says, even where the library would read on.
  size_t limit = kWebReadCap;
  DWORD chunk = kChunkWithoutLength;
  char length_text[32] = {};
  DWORD length_size = sizeof length_text;
  if (HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, length_text, &length_size, nullptr)) {
    length_text[sizeof length_text - 1] = '\0';
    const long long length = LeadingInteger(length_text);
    if (length > 0) {
      chunk = static_cast<DWORD>(length < kChunkMax ? length + 1 : kChunkMax);
      limit = static_cast<size_t>(std::min<long long>(length, kWebReadCap));
    }
  }

  std::vector<unsigned char> buffer(chunk);
  for (size_t size = 0; size < limit;) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(chunk, limit - size));
    DWORD got = 0;
    const bool ok = InternetReadFile(request, buffer.data(), want, &got) != FALSE;
    got = std::min(got, want);
    if (!job->Add(buffer.data(), got) || !ok || got == 0) break;
    size += got;
  }
}

// Fetch on a worker, waited for at most kWebDeadlineMs: a server that trickles its answer
// keeps every single read within the timeouts and would hold the window for as long as it
// likes. What was read by the deadline is the result, as after a failed read.
Answer FetchWithDeadline(const std::string& address) {
  HINTERNET internet = InternetSession();
  if (internet == nullptr) return {};
  auto job = std::make_shared<FetchJob>();
  try {
    std::thread([job, address, internet] {
      Fetch(address, internet, job.get());
      std::lock_guard<std::mutex> lock(job->m);
      job->done = true;
      job->cv.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return {};
  }
  std::unique_lock<std::mutex> lock(job->m);
  job->cv.wait_for(lock, std::chrono::milliseconds(kWebDeadlineMs), [&] { return job->done; });
  job->abandoned = true;
  return {std::move(job->out), job->status};
}

// The command's result: the bytes read as a byte block; the empty block without an address.
Answer FetchInto(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* arg = OptionalArg(argc, args, 0);
  const char* address = arg != nullptr ? static_cast<const char*>(SlotPointer(*arg)) : nullptr;
  if (address == nullptr || *address == '\0') return {};
  Answer answer = FetchWithDeadline(address);
  SetSlotPointer(result,
                 BytesToByteBlock(answer.body.data(), static_cast<ptrdiff_t>(answer.body.size())));
  return answer;
}

}  // namespace

std::string EscapeRequestPath(const std::string& gbk_path) {
  if (std::none_of(gbk_path.begin(), gbk_path.end(),
                   [](char c) { return NeedsEscape(static_cast<unsigned char>(c)); })) {
    return gbk_path;
  }
  const std::string utf8 = GbkToUtf8(gbk_path);
  std::string out;
  for (unsigned char c : utf8.empty() ? gbk_path : utf8) {
    if (NeedsEscape(c)) {
      AppendPercent(&out, c);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

void FetchWebPage(ResultRecord* result, int argc, ArgRecord* args) {
  FetchInto(result, argc, args);
}

void FetchWebPageWithStatus(ResultRecord* result, int argc, ArgRecord* args) {
  const Answer answer = FetchInto(result, argc, args);
  const ArgRecord* out = OptionalArg(argc, args, 1);
  int32_t* status = out != nullptr ? static_cast<int32_t*>(SlotPointer(*out)) : nullptr;
  if (status != nullptr) *status = static_cast<int32_t>(answer.status);
}

void OpenWebPage(ResultRecord*, int argc, ArgRecord* args) {
  const ArgRecord* arg = OptionalArg(argc, args, 0);
  const char* address = kDefaultWebAddress;
  if (arg != nullptr) {
    address = static_cast<const char*>(SlotPointer(*arg));
    if (address == nullptr) address = "";
  }
  HWND parent = FindWindowExA(nullptr, nullptr, nullptr, "Microsoft Internet Explorer");
  ShellExecuteA(parent, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

void ShutdownLibraryCommands() {
  g_internet.reset();
}

namespace {

// Linked only with the web commands, this file leaves its shutdown to the runtime's shutdown;
// the program's start routine runs long after static initialisation.
const bool g_shutdown_registered = (AddLibraryCommandsShutdown(&ShutdownLibraryCommands), true);

}  // namespace

}  // namespace rc
