# Shared compile options for every target of the project.
add_library(qlnrec_options INTERFACE)
target_compile_options(qlnrec_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual>
  $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra>)
if(QLNREC_WERROR)
  target_compile_options(qlnrec_options INTERFACE -Werror)
endif()
if(QLNREC_SANITIZE)
  target_compile_options(qlnrec_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(qlnrec_options INTERFACE -fsanitize=address,undefined)
endif()
# ThreadSanitizer for the threaded parts (device threads, the modem's serial thread, the wave
# service, the recording lanes); it cannot be combined with the address sanitizer.
option(QLNREC_SANITIZE_THREAD "Build with ThreadSanitizer" OFF)
if(QLNREC_SANITIZE_THREAD)
  target_compile_options(qlnrec_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(qlnrec_options INTERFACE -fsanitize=thread)
endif()
