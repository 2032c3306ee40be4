# qlnrec_library(target DIR dir LIBS ...): a static library of every .cpp/.h/.ui/.qrc file below
# dir (new files join at the next build), with the project root on the include path.
function(qlnrec_library target)
  cmake_parse_arguments(L "" "DIR" "LIBS;EXCLUDE" ${ARGN})
  if(NOT L_DIR)
    set(L_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${L_DIR}/*.cpp ${L_DIR}/*.h ${L_DIR}/*.ui ${L_DIR}/*.qrc)
  foreach(ex ${L_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "${ex}")
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${L_LIBS} PRIVATE qlnrec_options)
endfunction()
