# The settings-file routines (PublicMod, ProfileFile) and where the file lives (IniLocation), a
# library of their own so that tests link them without the main window.
include(GNUInstallDirs)
quillon_library(quillon_settings
  SOURCES PublicMod.cpp PublicMod.h ProfileFile.cpp ProfileFile.h IniLocation.cpp IniLocation.h
  PUBLIC Qt6::Core)
# Only this file sees the install location, so a changed prefix rebuilds one file.
set_source_files_properties(IniLocation.cpp PROPERTIES COMPILE_DEFINITIONS
  "QUILLON_INSTALL_BINDIR=\"${CMAKE_INSTALL_FULL_BINDIR}\"")
