// The update server's address, set when the program is built: the one object that carries it
// (app/config.h).
namespace app::config {

extern const char kUpdateServer[] = ROLLCALL_UPDATE_SERVER;

}  // namespace app::config
