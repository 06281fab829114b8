# Warnings stay private to our own targets so third-party headers never break the build.
function(project_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wsign-conversion -Wnon-virtual-dtor)
  if(VELTRANO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
