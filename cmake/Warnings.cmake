# Warnings for our own targets (not for third-party code).
function(qw_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
endfunction()
