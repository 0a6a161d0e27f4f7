// Addresses the program uses, set when it is built (CMake cache variables of the same names).
#pragma once

namespace app::config {

// Scheme, host and port of the maker's web server: the version file, the download list and
// the home page live there. Empty in a build without one: the update check then asks nobody.
// Defined in update_server.cpp alone, so that a second program can be linked from the same
// objects with another address.
extern const char kUpdateServer[];
// The installer of the newest release and its share page, on a file-sharing service.
inline constexpr char kDownloadUrl[] = ROLLCALL_DOWNLOAD_URL;
inline constexpr char kShareUrl[] = ROLLCALL_SHARE_URL;
// The discussion group's join page (countdown window).
inline constexpr char kGroupUrl[] = ROLLCALL_GROUP_URL;
// The maker's web address, at the end of the default banner text.
inline constexpr char kMakerUrl[] = ROLLCALL_MAKER_URL;

}  // namespace app::config
