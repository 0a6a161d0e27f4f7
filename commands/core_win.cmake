# The core commands that need the Windows API and the runtime: files, the settings file, the
# message box, windows and music. Windows only.
add_library(rollcall_core_commands_win STATIC
  ${CMAKE_CURRENT_LIST_DIR}/clipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ini_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/msgbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windows_cmd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/full_screen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/music_cmd.cpp)
target_link_libraries(rollcall_core_commands_win PUBLIC rollcall_core rollcall_runtime
                      rollcall_library_commands user32 gdi32)
