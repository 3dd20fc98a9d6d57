# The programs' own code is optimised across its files when a program
# links: inlined and merged over file bounds, the launcher came out about
# 26 KB smaller in code and unwind tables, and the configurator about 56 KB.
# Only our code carries the intermediate form; gtest and the tests' own
# files are compiled as before, so a test program's link optimises only
# the product code it holds, the same code the programs ship.
#
# Every Windows link goes through the optimiser: the linker takes the
# intermediate code whether asked or not, and the alternative, fat objects
# linked without it, gave duplicate definitions here.
#
# MinGW-w64 GCC 12 stops with an internal compiler error
# (binds_to_current_def_p, in a std::deque member) when it splits a program
# into partitions to optimise them in parallel; the whole program as one
# partition builds.
if(WIN32)
  add_link_options("$<$<CONFIG:Release>:-flto;-flto-partition=one>")
endif()

function(vorlane_shipped target)
  if(WIN32)
    target_compile_options(${target} PRIVATE "$<$<CONFIG:Release>:-flto>")
  endif()
endfunction()
