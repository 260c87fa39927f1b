# Where `cmake --install` puts the program's files. The program finds its
# filter module and manual relative to itself (beside it in the build tree,
# at these places in an installed one), so an installed tree can move.
include(GNUInstallDirs)

# The filter module is the program's own, not a library for others: it goes
# into a private folder that no library search path names.
set(ORVEX_INSTALL_FILTERDIR "lib/orvex")
set(ORVEX_INSTALL_MANUALDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/orvex/manual")
set(ORVEX_INSTALL_MANDIR "${CMAKE_INSTALL_MANDIR}/man1")

# The same places seen from the program's folder ("../lib/orvex").
foreach(kind FILTERDIR MANUALDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}" OR IS_ABSOLUTE "${ORVEX_INSTALL_${kind}}")
    message(FATAL_ERROR "the install folders must be relative to the prefix")
  endif()
  file(RELATIVE_PATH ORVEX_${kind}_FROM_PROGRAM "/${CMAKE_INSTALL_BINDIR}" "/${ORVEX_INSTALL_${kind}}")
endforeach()
