# Windows-only targets: the Win32 shell, Vantor.exe, the Win32-level tests and the demo host.
set(VANTOR_WIN_LIBS ws2_32 comctl32 gdi32 user32 msimg32 winmm version comdlg32 shell32)

if(VANTOR_SHELL_SOURCES)
  add_library(vantor_shell STATIC ${VANTOR_SHELL_SOURCES})
  target_link_libraries(vantor_shell PUBLIC vantor_core ${VANTOR_WIN_LIBS})
  target_compile_options(vantor_shell PRIVATE ${VANTOR_WARNINGS})
  set(VANTOR_SHELL vantor_shell)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/src/win/app/winmain.cpp)
  file(GLOB VANTOR_RC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/win/app/*.rc)
  add_executable(Vantor WIN32 ${CMAKE_SOURCE_DIR}/src/win/app/winmain.cpp ${VANTOR_RC})
  target_link_options(Vantor PRIVATE -municode)
  target_link_libraries(Vantor PRIVATE ${VANTOR_SHELL} vantor_core ${VANTOR_WIN_LIBS})
  target_compile_options(Vantor PRIVATE ${VANTOR_WARNINGS})
  set_target_properties(Vantor PROPERTIES OUTPUT_NAME Vantor)
  # windres reports no dependencies: rebuild the resources when anything they include changes.
  file(GLOB_RECURSE VANTOR_RC_INPUTS CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/*.rc ${CMAKE_SOURCE_DIR}/src/*_ids.h ${CMAKE_SOURCE_DIR}/src/win/toolbar/art/*.bmp
       ${CMAKE_SOURCE_DIR}/src/win/app/res/* ${CMAKE_SOURCE_DIR}/src/win/app/vantor.manifest ${CMAKE_SOURCE_DIR}/src/*menu_ids.h ${CMAKE_SOURCE_DIR}/src/*resource_ids.h)
  set_source_files_properties(${VANTOR_RC} PROPERTIES OBJECT_DEPENDS "${VANTOR_RC_INPUTS}")
endif()

file(GLOB VANTOR_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
if(VANTOR_WIN_TESTS)
  add_executable(win_tests ${VANTOR_WIN_TESTS} ${CMAKE_SOURCE_DIR}/tests/main/gtest_main.cpp)
  target_link_libraries(win_tests PRIVATE vantor_test_support ${VANTOR_SHELL} vantor_core ${VANTOR_GTEST} ${VANTOR_WIN_LIBS})
  target_compile_options(win_tests PRIVATE ${VANTOR_WARNINGS})
  add_test(NAME win_tests COMMAND win_tests)
  set_tests_properties(win_tests PROPERTIES TIMEOUT 600)
  # The toolbar and lock indicator tests load the program's bitmaps from the test program itself.
  if(EXISTS ${CMAKE_SOURCE_DIR}/src/win/toolbar/toolbar_art.rc)
    target_sources(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/src/win/toolbar/toolbar_art.rc)
    # windres reports no dependencies: rebuild the resources when a picture changes.
    file(GLOB VANTOR_TOOLBAR_ART CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/win/toolbar/art/*.bmp)
    set_source_files_properties(${CMAKE_SOURCE_DIR}/src/win/toolbar/toolbar_art.rc PROPERTIES OBJECT_DEPENDS "${VANTOR_TOOLBAR_ART}")
  endif()
endif()

file(GLOB VANTOR_PROBE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/probe/*_win.cpp)
if(VANTOR_PROBE_SOURCES)
  add_executable(probe ${VANTOR_PROBE_SOURCES})
  target_link_options(probe PRIVATE -municode)
  target_link_libraries(probe PRIVATE ${VANTOR_WIN_LIBS})
  target_compile_options(probe PRIVATE ${VANTOR_WARNINGS})
endif()

file(GLOB VANTOR_DEMO_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/demo_host/*.cpp)
if(VANTOR_DEMO_SOURCES)
  add_executable(demo_host ${VANTOR_DEMO_SOURCES})
  target_link_libraries(demo_host PRIVATE vantor_test_support vantor_core)
  target_compile_options(demo_host PRIVATE ${VANTOR_WARNINGS})
endif()
