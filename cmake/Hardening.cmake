# The hardening Debian builds with: fortified libc calls, a stack
# protector, position-independent executables, read-only relocations bound
# at start. Left out of the sanitizer and fuzzing builds, which instrument
# the same calls themselves.
if(NOT PORTANA_SANITIZE AND NOT PORTANA_FUZZ)
  add_compile_options(-fstack-protector-strong
                      $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
                      $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  add_link_options(-pie -Wl,-z,relro -Wl,-z,now)
endif()
