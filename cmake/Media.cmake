# The program's sound files, beside it in the runtime output folder of rollcall
# (${CMAKE_BINARY_DIR}/bin): the background music v5.15njyls.wav and the countdown alarm
# v5.15gxj.mp3, both made by scripts/make_music.sh with sox and lame. Target: rollcall_media.
#
# The program runs without them (no music, no alarm), so a machine without sox or lame still
# builds it, with a warning.
include_guard(GLOBAL)

find_program(ROLLCALL_SOX sox)
find_program(ROLLCALL_LAME lame)
set(ROLLCALL_MEDIA_DIR ${CMAKE_BINARY_DIR}/bin)
set(ROLLCALL_MEDIA_FILES ${ROLLCALL_MEDIA_DIR}/v5.15njyls.wav ${ROLLCALL_MEDIA_DIR}/v5.15gxj.mp3)

if(ROLLCALL_SOX AND ROLLCALL_LAME)
  add_custom_command(
    OUTPUT ${ROLLCALL_MEDIA_FILES}
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/make_music.sh ${ROLLCALL_MEDIA_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_music.sh
    COMMENT "Making the background music and the alarm sound"
    VERBATIM)
  add_custom_target(rollcall_media DEPENDS ${ROLLCALL_MEDIA_FILES})
else()
  message(WARNING "sox or lame is missing: the program is built without its sound files")
  add_custom_target(rollcall_media)
endif()
