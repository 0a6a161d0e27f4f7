// The update check: the maker's server publishes the version of the newest release as a text
// file; any difference from this program's own version text counts as a new release.
#include "app/app.h"
#include "app/config.h"

namespace app {
namespace {

using namespace main_window;

std::string ServerAddress(const char* path) {
  std::string server = config::kUpdateServer;
  // The paths bring their own slash; a server configured with one at its end would double it.
  if (!server.empty() && server.back() == '/') server.pop_back();
  return server + path;
}

}  // namespace

std::string FetchPublishedVersion() {
  if (config::kUpdateServer[0] == '\0') return std::string();
  int status = 0;
  const Bytes page = FetchWebPage(ServerAddress("/vavedivoderizor/随机点名器版本.txt"), &status);
  // An error page (a missing file, a failing server, a proxy's refusal) is no version: taken as
  // one, it would offer an update, and declining the offer ends the program.
  if (status >= 400) return std::string();
  return ToText(page);
}

void OnUpdateButtonClick(Event&) {
  标签3.set_caption(FetchPublishedVersion());
  if (标签3.caption().empty()) {
    MsgBox("遇到错误！无法连接服务器！", kBoxWarning, "请稍后再试！");
    return;
  }
  if (标签2.caption() != 标签3.caption()) {
    if (MsgBox("发现新版本！是否下载更新包？", kBoxYesNo, "发现新版！更新否？") == kAnswerYes) {
      OpenWebPage(config::kDownloadUrl);
      OpenWebPage(config::kShareUrl);
      OpenWebPage(ServerAddress("/vavedivoderizor/下载地址.txt"));
      OpenWebPage(ServerAddress("/"));
    } else {
      ExitProgram(0);
    }
    return;
  }
  MsgBox("当前已是最新版！", kBoxInformation, "无需更新！");
}

}  // namespace app
