# Libraries the Windows cross build takes from the build machine, because
# mingw-w64 has no packaged build of them: GoogleTest is compiled from the
# sources of Debian's googletest package, and nlohmann_json (header-only) is
# copied on its own into the build tree. Adding /usr/include itself to the
# include path would pull glibc headers into the Windows build.

set(SPINDREL_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
set(SPINDREL_NLOHMANN_JSON_INCLUDE_DIR /usr/include CACHE PATH "Directory holding nlohmann/json.hpp")

if(NOT TARGET GTest::gtest)
  if(NOT EXISTS ${SPINDREL_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${SPINDREL_GOOGLETEST_SOURCE_DIR} (package googletest)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${SPINDREL_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

if(NOT TARGET nlohmann_json::nlohmann_json)
  set(_json_header_dir ${SPINDREL_NLOHMANN_JSON_INCLUDE_DIR}/nlohmann)
  if(NOT EXISTS ${_json_header_dir}/json.hpp)
    message(FATAL_ERROR "nlohmann/json.hpp not found in ${SPINDREL_NLOHMANN_JSON_INCLUDE_DIR} (package nlohmann-json3-dev)")
  endif()
  set(_json_staged_dir ${CMAKE_BINARY_DIR}/third_party/include)
  file(COPY ${_json_header_dir} DESTINATION ${_json_staged_dir})
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${_json_staged_dir})
endif()
