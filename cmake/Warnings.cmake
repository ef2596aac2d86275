# Warnings are set per target, so that third-party code and generated moc files keep their own.
function(vv_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(VV_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
