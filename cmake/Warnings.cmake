# Warnings every target of the project builds with.
function(qt27_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(QT27_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
