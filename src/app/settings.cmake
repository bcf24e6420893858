# The settings-file routines (PublicMod, ProfileFile), a library of their own so that tests
# link them without the main window.
add_library(quillon_settings STATIC PublicMod.cpp PublicMod.h ProfileFile.cpp ProfileFile.h)
target_include_directories(quillon_settings PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(quillon_settings PUBLIC Qt6::Core)
