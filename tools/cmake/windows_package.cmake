# The Windows build ends here: no Debian package, no manual pages; tools/package
# windows makes its zip from the programs.
if(QUARNET_TESTS AND QUARNET_LINUX_BUILD)
  # The program under Wine against the Linux build's simulator on a pseudo-terminal.
  add_test(NAME WindowsProgram.ListsAndUpdatesTheDemoSystemUnderWine
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-end-to-end ${CMAKE_BINARY_DIR} ${QUARNET_LINUX_BUILD})
  set_tests_properties(WindowsProgram.ListsAndUpdatesTheDemoSystemUnderWine PROPERTIES TIMEOUT 600)
endif()
