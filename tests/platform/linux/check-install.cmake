# Installs the build into a scratch prefix and checks that the help page lands
# where the installed program looks for it (<prefix>/bin/../share/stellwick/help).
# Usage: cmake -DBUILD_DIR=<build> -DPREFIX=<scratch> -P check-install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result})")
endif()
set(page "${PREFIX}/share/stellwick/help/window-access.html")
if(NOT EXISTS "${page}")
  message(FATAL_ERROR "not installed: ${page}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
