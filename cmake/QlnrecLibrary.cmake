# qlnrec_library(target DIR dir LIBS ...): a static library of every .cpp/.h/.ui/.qrc file below
# dir (new files join at the next build).
#
# A library exports only its own headers: its folder is linked into a private include tree
# (build/include/<target>/<folder>), so "#include \"telephony/line_state.h\"" works only in code
# that links qlnrec_telephony, and a missing link dependency is a compile error, not a surprise.
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
  qlnrec_export_folder(${target} ${L_DIR})
  target_link_libraries(${target} PUBLIC ${L_LIBS} PRIVATE qlnrec_options)
endfunction()

# qlnrec_export_folder(target dir): makes dir's headers includable as "<dir relative to the
# project>/x.h" by target and everything that links it, and nothing else of the project.
function(qlnrec_export_folder target dir)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${dir})
  set(tree ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(parent ${tree}/${rel} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${tree}/${rel})
    file(CREATE_LINK ${dir} ${tree}/${rel} SYMBOLIC)
  endif()
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE $<BUILD_INTERFACE:${tree}>)
  else()
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${tree}>)
  endif()
endfunction()

# qlnrec_forbid_link(target forbidden): fails the configuration when target links forbidden,
# directly or through any library it links (for example widgets below the windows' layer).
function(qlnrec_forbid_link target forbidden)
  set(queue ${target})
  set(seen "")
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(aliased ${current} ALIASED_TARGET)
    if(aliased)
      list(APPEND queue ${aliased})
    endif()
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${current} ${property})
      if(libs)
        foreach(lib ${libs})
          string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
          if(lib STREQUAL forbidden)
            message(FATAL_ERROR "${target} must not link ${forbidden}, but ${current} links it")
          endif()
          list(APPEND queue ${lib})
        endforeach()
      endif()
    endforeach()
  endwhile()
endfunction()
