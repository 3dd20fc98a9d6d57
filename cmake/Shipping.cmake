# The shipped programs are optimised across their files when they link:
# inlined and merged over file bounds, the launcher came out about 26 KB
# smaller in code and unwind tables, the configurator about 56 KB.
#
# Each program is compiled from the sources of the libraries it holds, a
# second time, with the optimiser's intermediate code; the libraries the
# tests link stay ordinary objects. MinGW's 32-bit linker cannot mix the
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
    target_compile_options(${program} PRIVATE "$<$<CONFIG:Release>:-flto>")
    target_link_options(${program} PRIVATE
                        "$<$<CONFIG:Release>:-flto;-flto-partition=one>")
  endif()
endfunction()
