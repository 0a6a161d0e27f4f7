# rollcall_skin_blocks(<out_var>)
#
# Generates the C++ sources that carry the skin library (the built SkinH_EL.dll) and the 33
# skins of skin/skins/ as stored byte blocks, with the symbols of skin/skin_blocks.h. <out_var>
# receives the sources; add them to the program. They are made again whenever the library or
# a skin changes. Windows configuration only (the library target is skinh_el, from skin/).
find_program(ROLLCALL_PYTHON3 python3 REQUIRED)

function(rollcall_skin_blocks out_var)
  set(ROLLCALL_SKIN_DIR ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../skin)
  cmake_path(NORMAL_PATH ROLLCALL_SKIN_DIR)
  if(NOT TARGET skinh_el)
    message(FATAL_ERROR "rollcall_skin_blocks: the skin library target skinh_el is not defined "
                        "(add_subdirectory(skin) comes first, in the Windows configuration)")
  endif()
  file(GLOB skins CONFIGURE_DEPENDS ${ROLLCALL_SKIN_DIR}/skins/*.she)
  list(SORT skins)
  list(LENGTH skins count)
  if(NOT count EQUAL 33)
    message(FATAL_ERROR "rollcall_skin_blocks: ${count} skins in ${ROLLCALL_SKIN_DIR}/skins, not 33")
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/skin_blocks)
  set(sources ${out}/skin_library_image.cpp ${out}/skin_block_table.cpp ${out}/skin_blocks_1.cpp
              ${out}/skin_blocks_2.cpp ${out}/skin_blocks_3.cpp)
  add_custom_command(
    OUTPUT ${sources}
    COMMAND ${ROLLCALL_PYTHON3} ${ROLLCALL_SKIN_DIR}/embed_blocks.py --dll $<TARGET_FILE:skinh_el>
            --out ${out} ${skins}
    DEPENDS skinh_el ${skins} ${ROLLCALL_SKIN_DIR}/embed_blocks.py
    COMMENT "Embedding the skin library and the skins"
    VERBATIM)
  set(${out_var} ${sources} PARENT_SCOPE)
endfunction()
