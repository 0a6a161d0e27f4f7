# rollcall_form_data(<out_var> SYMBOL <name> [DIR <folder>] [FORMS <file>...])
#
# Compiles form descriptions with the host form compiler into one form data block and
# generates a C++ source that embeds it as
#   extern const uint8_t <name>[];  extern const size_t <name>Size;
# (<name> may be namespace-qualified). The windows are FORMS in the order given, then every
# *.form in DIR in file name order. <out_var> receives the generated source's path; add it to
# the program's sources.
#
# The native configuration builds formc itself. A cross configuration cannot run what it
# builds, so it takes the native formc from the cache variable ROLLCALL_FORMC.
set(ROLLCALL_FORMC "" CACHE FILEPATH "Host form compiler (formc) for cross builds")

function(rollcall_form_data out_var)
  cmake_parse_arguments(FD "" "SYMBOL;DIR" "FORMS" ${ARGN})
  if(NOT FD_SYMBOL)
    message(FATAL_ERROR "rollcall_form_data: SYMBOL is required")
  endif()
  set(forms ${FD_FORMS})
  if(FD_DIR)
    file(GLOB dir_forms CONFIGURE_DEPENDS ${FD_DIR}/*.form)
    list(SORT dir_forms)
    list(APPEND forms ${dir_forms})
  endif()

  if(TARGET formc)
    set(formc_command $<TARGET_FILE:formc>)
    set(formc_depends formc)
  elseif(ROLLCALL_FORMC)
    set(formc_command ${ROLLCALL_FORMC})
    set(formc_depends ${ROLLCALL_FORMC})
  else()
    message(FATAL_ERROR "rollcall_form_data: no form compiler. Build the native configuration "
                        "first and pass -DROLLCALL_FORMC=<native build>/tools/formc/formc")
  endif()

  string(MAKE_C_IDENTIFIER "${FD_SYMBOL}" stem)
  set(bin ${CMAKE_CURRENT_BINARY_DIR}/${stem}.bin)
  set(cpp ${CMAKE_CURRENT_BINARY_DIR}/${stem}.cpp)
  set(dep ${CMAKE_CURRENT_BINARY_DIR}/${stem}.d)
  add_custom_command(
    OUTPUT ${bin} ${cpp}
    COMMAND ${formc_command} -o ${bin} --depfile ${dep} --cpp ${cpp} --symbol ${FD_SYMBOL}
            ${forms}
    DEPENDS ${forms} ${formc_depends}
    DEPFILE ${dep}
    COMMENT "Compiling form descriptions into ${stem}"
    VERBATIM)
  set(${out_var} ${cpp} PARENT_SCOPE)
endfunction()
