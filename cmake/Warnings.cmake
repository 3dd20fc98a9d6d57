# Our own code builds clean with these; third-party code is left alone.
option(VORLANE_WERROR "Treat warnings in our own code as errors" OFF)

function(vorlane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(VORLANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
