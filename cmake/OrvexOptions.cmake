# Warnings and sanitizers shared by every target of the project.
add_library(orvex_build_options INTERFACE)
target_compile_options(orvex_build_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Woverloaded-virtual -Wimplicit-fallthrough -Wno-missing-field-initializers)

if(ORVEX_WERROR)
  target_compile_options(orvex_build_options INTERFACE -Werror)
endif()

if(ORVEX_SANITIZE AND ORVEX_TSAN)
  message(FATAL_ERROR "ORVEX_SANITIZE and ORVEX_TSAN cannot be combined")
endif()

if(ORVEX_SANITIZE)
  set(_orvex_san -fsanitize=address,undefined -fno-sanitize-recover=undefined
                 -fno-omit-frame-pointer)
  target_compile_options(orvex_build_options INTERFACE ${_orvex_san})
  target_link_options(orvex_build_options INTERFACE ${_orvex_san})
endif()

if(ORVEX_TSAN)
  set(_orvex_tsan -fsanitize=thread -fno-omit-frame-pointer)
  target_compile_options(orvex_build_options INTERFACE ${_orvex_tsan})
  target_link_options(orvex_build_options INTERFACE ${_orvex_tsan})
endif()

# orvex_library(name SOURCES ... PUBLIC_LIBS ... LIBS ...)
# PUBLIC_LIBS: what the library's own headers include, so its users get it
# too; LIBS: what only its sources use.
function(orvex_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC orvex_build_options ${ARG_PUBLIC_LIBS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()
