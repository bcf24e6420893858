# The settings-file routines (PublicMod, ProfileFile), a library of their own so that tests
# link them without the main window.
quillon_library(quillon_settings
  SOURCES PublicMod.cpp PublicMod.h ProfileFile.cpp ProfileFile.h
  PUBLIC Qt6::Core)
