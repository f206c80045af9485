# Applied per target so that third-party code is not held to our warning level.
function(corvath_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  if(CORVATH_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
