# One warnings target that every library links.
add_library(portana_warnings INTERFACE)
target_compile_options(portana_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wold-style-cast
  $<$<BOOL:${PORTANA_WERROR}>:-Werror>)
target_compile_definitions(portana_warnings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(PORTANA_SANITIZE)
  target_compile_options(portana_warnings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(portana_warnings INTERFACE -fsanitize=address,undefined)
endif()
if(PORTANA_FUZZ)
  target_compile_options(portana_warnings INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(portana_warnings INTERFACE -fsanitize=address,undefined)
endif()
