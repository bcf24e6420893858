# quillon_library(<target> SOURCES <files...> [PUBLIC <targets...>] [PRIVATE <targets...>]
#                 [PREFIX <include prefix>])
#
# One static library per folder. Its headers are reachable only as "<prefix>/<Header>.h" and only
# from targets that link it: each library publishes a folder of its own under
# <build>/include/<target>/ holding links to just its headers. No target sees src/ as a whole, so
# an include against the layers (a lower folder including an upper one) fails to compile instead
# of building silently. The prefix defaults to the folder's path below src/ (or below the
# repository for sim/ and tests/).
function(quillon_library name)
  cmake_parse_arguments(L "" "PREFIX" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  if(NOT L_PREFIX)
    file(RELATIVE_PATH L_PREFIX ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    if(L_PREFIX MATCHES "^\\.\\.")
      file(RELATIVE_PATH L_PREFIX ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
      string(REGEX REPLACE "^tests/" "" L_PREFIX ${L_PREFIX})
    endif()
  endif()
  add_library(${name} STATIC ${L_SOURCES})
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${root})
  foreach(source ${L_SOURCES})
    if(source MATCHES "\\.h$")
      get_filename_component(header ${source} ABSOLUTE)
      file(RELATIVE_PATH relative ${CMAKE_CURRENT_SOURCE_DIR} ${header})
      get_filename_component(folder ${root}/${L_PREFIX}/${relative} DIRECTORY)
      file(MAKE_DIRECTORY ${folder})
      file(CREATE_LINK ${header} ${root}/${L_PREFIX}/${relative} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE})
endfunction()

# quillon_program(<target> SOURCES <files...> LIBS <targets...>): a program of this project,
# installed into the prefix's bin folder by `cmake --install` and in the .deb.
include(GNUInstallDirs)
function(quillon_program name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_LIBS})
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
