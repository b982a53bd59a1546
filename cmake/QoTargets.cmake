# Flags every target of the project shares. Sanitizers are applied per target
# (not globally) so that the guard's own test can be built without them:
# AddressSanitizer owns SIGSEGV and would hide what the guard does.
function(qo_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QO_SANITIZE)
    qo_target_sanitize(${target})
  endif()
  if(QO_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()

function(qo_target_sanitize target)
  target_compile_options(${target} PRIVATE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(${target} PRIVATE -fsanitize=address,undefined)
endfunction()
