# The release: `cmake --build <windows build> --target package` makes Vantor-<version>-win64.zip with the
# stripped programs, a sample settings file for the demo host and the deployment notes.
install(TARGETS Vantor RUNTIME DESTINATION .)
foreach(tool vantor-headless vantor-trace)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION .)
  endif()
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/deploy/Vantor.ini ${CMAKE_SOURCE_DIR}/deploy/DEPLOY.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vantor)
set(CPACK_PACKAGE_VENDOR Vantor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Vantor-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
