# rollcall_form_data(<out_var> SYMBOL <name> [DIR <folder>] [FORMS <file>...]
#                    [NAMESPACE <ns>] [ROUTINES] [ROUTINE_NAMES <header>]
#                    [IDS <header> IDS_INCLUDE <face header>])
#
# Compiles form descriptions with the host form compiler into one form data block and
# generates a C++ source that embeds it as
#   extern const uint8_t <name>[];  extern const size_t <name>Size;
# (<name> may be namespace-qualified). The windows are FORMS in the order given, then every
# *.form in DIR in file name order. <out_var> receives the generated sources' paths; add them to
# the program's sources.
#
# Forms that bind handlers by name: ROUTINES adds the routine table source (routines of
# namespace <ns>, default app) to <out_var>; ROUTINE_NAMES and IDS generate headers of those
# names in the current binary folder (the routine names; typed unit handles named after the
# units, of the types that <face header> declares).
#
# The native configuration builds formc itself. A cross configuration cannot run what it
# builds, so it takes the native formc from the cache variable ROLLCALL_FORMC.
set(ROLLCALL_FORMC "" CACHE FILEPATH "Host form compiler (formc) for cross builds")

function(rollcall_form_data out_var)
  cmake_parse_arguments(FD "ROUTINES" "SYMBOL;DIR;NAMESPACE;ROUTINE_NAMES;IDS;IDS_INCLUDE" "FORMS"
                        ${ARGN})
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
  set(outputs ${bin} ${cpp})
  set(sources ${cpp})
  set(extra)
  if(FD_NAMESPACE)
    list(APPEND extra --namespace ${FD_NAMESPACE})
  endif()
  if(FD_ROUTINES)
    set(routines ${CMAKE_CURRENT_BINARY_DIR}/${stem}_routines.cpp)
    list(APPEND extra --routines ${routines})
    list(APPEND outputs ${routines})
    list(APPEND sources ${routines})
  endif()
  if(FD_ROUTINE_NAMES)
    list(APPEND extra --routine-names ${CMAKE_CURRENT_BINARY_DIR}/${FD_ROUTINE_NAMES})
    list(APPEND outputs ${CMAKE_CURRENT_BINARY_DIR}/${FD_ROUTINE_NAMES})
  endif()
  if(FD_IDS)
    list(APPEND extra --ids ${CMAKE_CURRENT_BINARY_DIR}/${FD_IDS} --ids-include ${FD_IDS_INCLUDE})
    list(APPEND outputs ${CMAKE_CURRENT_BINARY_DIR}/${FD_IDS})
  endif()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${formc_command} -o ${bin} --depfile ${dep} --cpp ${cpp} --symbol ${FD_SYMBOL}
            ${extra} ${forms}
    DEPENDS ${forms} ${formc_depends}
    DEPFILE ${dep}
    COMMENT "Compiling form descriptions into ${stem}"
    VERBATIM)
  set(${out_var} ${sources} PARENT_SCOPE)
endfunction()
