# Warnings are errors in our own code only (not in generated moc files or third-party headers).
function(lirra_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
