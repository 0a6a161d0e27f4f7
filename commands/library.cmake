# Library commands and the music player: WinINet, shell, mixer, waveOut and ACM. Windows only.
add_library(rollcall_commands_win STATIC
  ${CMAKE_CURRENT_LIST_DIR}/web.cpp
  ${CMAKE_CURRENT_LIST_DIR}/volume.cpp
  ${CMAKE_CURRENT_LIST_DIR}/music_player.cpp)
target_link_libraries(rollcall_commands_win PUBLIC rollcall_core wininet winmm msacm32 shell32
                      user32)
# The Windows tests of these commands run their own loopback HTTP server.
target_link_libraries(rollcall_commands_win INTERFACE ws2_32)
