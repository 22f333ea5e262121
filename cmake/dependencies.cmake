# The third-party libraries, found through CMake. Natively: Debian's packages and their CMake
# configurations. The cross build takes the header-only libraries from the build machine's include
# folder, staged one entry at a time so that the rest of that folder (the C library's headers) never
# shadows MinGW's, and builds GoogleTest from its sources. Each location found is a cache variable,
# to be set by hand where a library lives elsewhere.
find_package(Threads REQUIRED)

# vantor_stage(<stage folder> <include folder> <entries>...): links the entries of an include folder
# into a folder of the build tree.
function(vantor_stage stage folder)
  file(MAKE_DIRECTORY ${stage})
  foreach(entry ${ARGN})
    if(IS_SYMLINK ${stage}/${entry})
      file(READ_SYMLINK ${stage}/${entry} target)
      if(target STREQUAL "${folder}/${entry}")
        continue()
      endif()
      file(REMOVE ${stage}/${entry})
    endif()
    file(CREATE_LINK ${folder}/${entry} ${stage}/${entry} SYMBOLIC)
  endforeach()
endfunction()

# Headers outside the MinGW root: the cross build searches the build machine's folders for them.
set(vantor_outside_root "")
if(CMAKE_CROSSCOMPILING)
  set(vantor_outside_root NO_CMAKE_FIND_ROOT_PATH)
endif()

# nlohmann-json (vantor_json): Debian's CMake package natively, its staged header folder across.
add_library(vantor_json INTERFACE)
if(CMAKE_CROSSCOMPILING)
  find_path(VANTOR_JSON_INCLUDE_DIR nlohmann/json.hpp ${vantor_outside_root}
            DOC "The folder holding nlohmann/json.hpp (nlohmann-json3-dev)")
  if(NOT VANTOR_JSON_INCLUDE_DIR)
    message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev or set VANTOR_JSON_INCLUDE_DIR")
  endif()
  vantor_stage(${VANTOR_STAGE}/third_party ${VANTOR_JSON_INCLUDE_DIR} nlohmann)
  target_include_directories(vantor_json SYSTEM INTERFACE ${VANTOR_STAGE}/third_party)
else()
  find_package(nlohmann_json 3 REQUIRED)
  target_link_libraries(vantor_json INTERFACE nlohmann_json::nlohmann_json)
endif()

# Standalone Asio (vantor_asio), header-only, without Boost; staged in both builds as it ships no CMake
# package. Programs on Asio link vantor_asio and get its headers, its settings and its system libraries.
find_path(VANTOR_ASIO_INCLUDE_DIR asio.hpp ${vantor_outside_root} DOC "The folder holding asio.hpp (libasio-dev)")
if(NOT VANTOR_ASIO_INCLUDE_DIR)
  message(FATAL_ERROR "asio.hpp not found: install libasio-dev or set VANTOR_ASIO_INCLUDE_DIR")
endif()
vantor_stage(${VANTOR_STAGE}/asio ${VANTOR_ASIO_INCLUDE_DIR} asio asio.hpp)
add_library(vantor_asio INTERFACE)
target_include_directories(vantor_asio SYSTEM INTERFACE ${VANTOR_STAGE}/asio)
target_compile_definitions(vantor_asio INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)
target_link_libraries(vantor_asio INTERFACE Threads::Threads)
if(WIN32)
  target_link_libraries(vantor_asio INTERFACE ws2_32 mswsock)
endif()
if(VANTOR_SANITIZE STREQUAL "thread" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC warns that TSan does not see the fences in Asio's headers; our programs run each io_context on
  # one thread.
  target_compile_options(vantor_asio INTERFACE -Wno-tsan)
endif()

# GoogleTest (VANTOR_GTEST): the system package natively, built from Debian's sources (googletest)
# when cross-building or when the package is missing.
if(NOT VANTOR_FUZZ)
  if(NOT CMAKE_CROSSCOMPILING)
    find_package(GTest QUIET)
  endif()
  if(TARGET GTest::gtest)
    set(VANTOR_GTEST GTest::gtest)
  else()
    find_path(VANTOR_GTEST_SOURCE_DIR googletest/include/gtest/gtest.h PATHS ${CMAKE_SYSTEM_PREFIX_PATH}
              PATH_SUFFIXES src/googletest ${vantor_outside_root} DOC "GoogleTest's sources (googletest)")
    if(NOT VANTOR_GTEST_SOURCE_DIR)
      message(FATAL_ERROR "GoogleTest not found: install googletest or set VANTOR_GTEST_SOURCE_DIR")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${VANTOR_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(VANTOR_GTEST gtest)
  endif()
endif()
