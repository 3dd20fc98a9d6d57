# The launcher, which stays resident and whose size is watched, is optimised
# across its files when it links: inlined and merged over file bounds it
# came out about 26 KB smaller in code and unwind tables.
#
# It is compiled from the sources of the libraries it holds, a second time,
# with the optimiser's intermediate code; the libraries the tests link stay
# ordinary objects. The configurator and the extension would shrink too
# (about 56 and 10 KB), but compiling them twice costs every build more
# than a minute. MinGW's 32-bit linker cannot mix the
# two (inline functions come out defined twice), and fat objects do not
# help: the linker loads the optimiser for them whether asked or not.
#
# MinGW-w64 GCC 12 stops with an internal compiler error
# (binds_to_current_def_p, in a std::deque member) when it splits a program
# into partitions to optimise them in parallel; the whole program as one
# partition builds.

# vorlane_ship(program library...): the program holds the libraries' code,
# each library named (not only those it links directly), and the system
# libraries they link.
function(vorlane_ship program)
  set(libraries ${ARGN})
  foreach(library ${libraries})
    get_target_property(sources ${library} SOURCES)
    get_target_property(folder ${library} SOURCE_DIR)
    foreach(source ${sources})
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${folder}")
      target_sources(${program} PRIVATE "${source}")
    endforeach()
    get_target_property(includes ${library} INCLUDE_DIRECTORIES)
    if(includes)
      target_include_directories(${program} PRIVATE ${includes})
    endif()
    get_target_property(linked ${library} LINK_LIBRARIES)
    foreach(item ${linked})
      if(item AND NOT item IN_LIST libraries)
        target_link_libraries(${program} PRIVATE ${item})
      endif()
    endforeach()
  endforeach()
  if(WIN32)
    target_precompile_headers(${program} PRIVATE ${vorlane_product_header_list})
    target_compile_options(${program} PRIVATE "$<$<CONFIG:Release>:-flto;-Oz;-fno-threadsafe-statics;-fno-ident>")
    target_link_options(${program} PRIVATE
                        "$<$<CONFIG:Release>:-flto;-flto-partition=one;-Oz;-fno-ident>")
  endif()
endfunction()

# Most of a product file's compile time is parsing windows.h and the
# standard headers: one header compiled once per build serves every
# library, and the launcher's optimiser build has one of its own.
if(WIN32)
  set(vorlane_product_header_list
    <windows.h> <shellapi.h> <algorithm> <atomic> <chrono> <cstdint> <deque>
    <functional> <list> <map> <memory> <mutex> <optional> <string>
    <string_view> <unordered_map> <vector>)
  file(WRITE "${CMAKE_BINARY_DIR}/vorlane_product_headers.cpp" "")
  add_library(vorlane_product_headers OBJECT
              "${CMAKE_BINARY_DIR}/vorlane_product_headers.cpp")
  target_precompile_headers(vorlane_product_headers PRIVATE
                            ${vorlane_product_header_list})
  vorlane_warnings(vorlane_product_headers)
endif()

function(vorlane_product_headers target)
  if(WIN32)
    target_precompile_headers(${target} REUSE_FROM vorlane_product_headers)
  endif()
endfunction()
