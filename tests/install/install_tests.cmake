# The installation, the desktop files and the Debian package, each checked by
# a script of tests/install. A script exits 77 (skipped) when a tool it needs
# is missing. The install test installs the existing build into a DESTDIR
# once; the tests of installed programs use that tree.
set(KORRIN_INSTALL_TESTS ${CMAKE_CURRENT_SOURCE_DIR}/install)
set(KORRIN_DATA ${CMAKE_SOURCE_DIR}/data)
set(KORRIN_TEST_DESTDIR ${CMAKE_BINARY_DIR}/install-test)
set(KORRIN_WITH_READER OFF)
if(KORRIN_BUILD_UI)
  set(KORRIN_WITH_READER ON)
endif()

foreach(kind desktop metainfo mime man)
  add_test(NAME data_${kind}_valid COMMAND bash ${KORRIN_INSTALL_TESTS}/validate_data.sh ${kind} ${KORRIN_DATA})
endforeach()

add_test(NAME install_into_destdir
         COMMAND bash ${KORRIN_INSTALL_TESTS}/install_tree.sh ${CMAKE_BINARY_DIR} ${KORRIN_TEST_DESTDIR}
                 ${KORRIN_WITH_READER})
set_tests_properties(install_into_destdir PROPERTIES FIXTURES_SETUP korrin_installed)

set(installed_tests installed_tool installed_reader_opens_packet desktop_registration)
add_test(NAME installed_tool
         COMMAND bash ${KORRIN_INSTALL_TESTS}/installed_tool.sh ${KORRIN_TEST_DESTDIR} $<TARGET_FILE:qwkgen>)
add_test(NAME installed_reader_opens_packet
         COMMAND bash ${KORRIN_INSTALL_TESTS}/installed_reader_opens_packet.sh ${KORRIN_TEST_DESTDIR}
                 $<TARGET_FILE:qwkgen>)
add_test(NAME desktop_registration
         COMMAND bash ${KORRIN_INSTALL_TESTS}/desktop_registration.sh ${KORRIN_TEST_DESTDIR} $<TARGET_FILE:qwkgen>)
set_tests_properties(${installed_tests} PROPERTIES FIXTURES_REQUIRED korrin_installed)
set_tests_properties(installed_reader_opens_packet PROPERTIES TIMEOUT 60)

# The package is cheap to build (seconds): CPack installs the build once more
# into a staging folder of its own. Sanitized builds link their runtimes and
# are never packaged.
if(NOT KORRIN_SANITIZE AND NOT KORRIN_FUZZ)
  add_test(NAME package_contents
           COMMAND bash ${KORRIN_INSTALL_TESTS}/package_contents.sh ${CMAKE_BINARY_DIR} ${KORRIN_WITH_READER})
  set_tests_properties(package_contents PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()

foreach(t IN LISTS installed_tests ITEMS data_desktop_valid data_metainfo_valid data_mime_valid data_man_valid)
  set_tests_properties(${t} PROPERTIES SKIP_RETURN_CODE 77)
endforeach()
