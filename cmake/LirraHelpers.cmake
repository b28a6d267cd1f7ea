# Warnings are errors in our own code only (not in generated moc files or third-party headers).
function(lirra_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A shared library that exports only the names its linker version script `map` lists, placed
# in `folder` (the app folder or one below it).
function(lirra_shared_output target map folder)
  target_link_options(${target} PRIVATE "-Wl,--version-script=${map}")
  set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY "${folder}" LINK_DEPENDS "${map}")
endfunction()
