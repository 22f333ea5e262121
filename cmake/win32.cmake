# The Win32 front end, layered as the core is: shell base < controls, toolbar and indicator, dialogs <
# the main window and WinMain; and its tests and the end-to-end tests' probe.
set(VANTOR_WIN_LIBS ws2_32 comctl32 gdi32 user32 msimg32 winmm version comdlg32 shell32)

vantor_layer(vantor_win_base win/base LINKS vantor_look ${VANTOR_WIN_LIBS})
vantor_layer(vantor_win_controls win/controls LINKS vantor_win_base)
vantor_layer(vantor_win_toolbar win/toolbar LINKS vantor_win_base vantor_interpreter)
vantor_layer(vantor_win_dialogs win/dialogs LINKS vantor_win_base vantor_forms vantor_interpreter)

# The main window and start-up: a library (the Win32 tests drive it too) and the program around it.
vantor_layer(vantor_win_app win/app EXCLUDE winmain.cpp
             LINKS vantor_win_controls vantor_win_toolbar vantor_win_dialogs vantor_session vantor_devices)

# The version resource (and with it the About box) takes the project's version.
string(JOIN "," VANTOR_VERSION_COMMAS ${VANTOR_VERSION_NUMBERS})
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/vantor_version.h CONTENT
     "// The program's version, written by the build from the project's version.\n#define VANTOR_VERSION_NUMBERS ${VANTOR_VERSION_COMMAS}\n#define VANTOR_VERSION_TEXT \"${PROJECT_VERSION}\"\n")
file(GLOB VANTOR_RC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/win/app/*.rc)
add_executable(Vantor WIN32 ${CMAKE_SOURCE_DIR}/src/win/app/winmain.cpp ${VANTOR_RC})
target_link_options(Vantor PRIVATE -municode)
target_link_libraries(Vantor PRIVATE vantor_win_app)
target_include_directories(Vantor PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_compile_options(Vantor PRIVATE ${VANTOR_WARNINGS})
set_target_properties(Vantor PROPERTIES OUTPUT_NAME Vantor)
# windres reports no dependencies: rebuild the resources when anything they include changes.
file(GLOB_RECURSE VANTOR_RC_INPUTS CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/src/*.rc ${CMAKE_SOURCE_DIR}/src/*_ids.h ${CMAKE_SOURCE_DIR}/src/win/toolbar/art/*.bmp
     ${CMAKE_SOURCE_DIR}/src/win/app/res/* ${CMAKE_SOURCE_DIR}/src/win/app/vantor.manifest)
list(APPEND VANTOR_RC_INPUTS ${CMAKE_BINARY_DIR}/generated/vantor_version.h)
set_source_files_properties(${VANTOR_RC} PROPERTIES OBJECT_DEPENDS "${VANTOR_RC_INPUTS}")

file(GLOB VANTOR_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
if(VANTOR_WIN_TESTS)
  add_executable(win_tests ${VANTOR_WIN_TESTS} ${CMAKE_SOURCE_DIR}/tests/main/gtest_main.cpp
                 ${CMAKE_SOURCE_DIR}/src/win/toolbar/toolbar_art.rc)
  target_link_libraries(win_tests PRIVATE vantor_test_support vantor_win_app ${VANTOR_GTEST})
  target_compile_options(win_tests PRIVATE ${VANTOR_WARNINGS})
  add_test(NAME win_tests COMMAND win_tests)
  set_tests_properties(win_tests PROPERTIES TIMEOUT 600)
  # The toolbar and lock indicator tests load the program's bitmaps from the test program itself.
  file(GLOB VANTOR_TOOLBAR_ART CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/win/toolbar/art/*.bmp)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/src/win/toolbar/toolbar_art.rc PROPERTIES
                              OBJECT_DEPENDS "${VANTOR_TOOLBAR_ART}")
endif()

file(GLOB VANTOR_PROBE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/probe/*_win.cpp)
if(VANTOR_PROBE_SOURCES)
  add_executable(probe ${VANTOR_PROBE_SOURCES})
  target_link_options(probe PRIVATE -municode)
  target_link_libraries(probe PRIVATE ${VANTOR_WIN_LIBS})
  target_compile_options(probe PRIVATE ${VANTOR_WARNINGS})
endif()

# The round-trip measurement's yardstick (docs/performance.md).
add_executable(bare_client WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/bare_client_win.cpp)
target_link_options(bare_client PRIVATE -municode)
target_link_libraries(bare_client PRIVATE ws2_32 user32 shell32)
target_compile_options(bare_client PRIVATE ${VANTOR_WARNINGS})

# A check of the host link (SChannel) against any host, for administrators and developers (tools/tls_check).
add_executable(tls_check EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tools/tls_check/tls_check_win.cpp)
target_link_libraries(tls_check PRIVATE vantor_platform)
target_compile_options(tls_check PRIVATE ${VANTOR_WARNINGS})
