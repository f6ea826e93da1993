# Installation: the program in the binary folder, the shipped tables and
# exhibits in the data folder, a desktop entry and an icon where desktops
# look for them. The installed program finds its tables relative to its own
# folder, so any CMAKE_INSTALL_PREFIX works.
include(GNUInstallDirs)
set(MARVESSA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/marvessa)
file(RELATIVE_PATH data_from_bin /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${MARVESSA_INSTALL_DATADIR})
target_compile_definitions(marvessa_core PRIVATE MARVESSA_DATA_FROM_BIN="${data_from_bin}")

install(TARGETS marvessa RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(table qvault ces qvaultusr)
  foreach(ext DAT IDX BLB)
    install(FILES ${MARVESSA_RUNTIME_DIR}/${table}.${ext} DESTINATION ${MARVESSA_INSTALL_DATADIR})
  endforeach()
endforeach()
install(DIRECTORY ${MARVESSA_RUNTIME_DIR}/exhibits DESTINATION ${MARVESSA_INSTALL_DATADIR})
install(FILES ${PROJECT_SOURCE_DIR}/app/desktop/marvessa.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/app/desktop/marvessa.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The install tree checked as a desktop would see it, and the first start
# of the installed program by a user who cannot write beside it.
add_test(NAME InstallTree
         COMMAND ${PROJECT_SOURCE_DIR}/app/install_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(InstallTree PROPERTIES TIMEOUT 120)
