# Installs the build into a scratch prefix: every file in its standard place,
# the desktop entry and the AppStream metadata valid.
# Usage: cmake -DBUILD_DIR=<build> -DPREFIX=<scratch> -DAPP_ID=<id> -P check-install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result})")
endif()

foreach(file bin/stellwick share/applications/${APP_ID}.desktop share/metainfo/${APP_ID}.metainfo.xml
             share/icons/hicolor/scalable/apps/${APP_ID}.svg share/stellwick/help/window-access.html)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
# The update checks' download module, beside the program's libraries.
file(GLOB_RECURSE module "${PREFIX}/lib*/stellwick/stellwick-network.so")
if(NOT module)
  message(FATAL_ERROR "not installed: the network module")
endif()

execute_process(COMMAND desktop-file-validate "${PREFIX}/share/applications/${APP_ID}.desktop"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "desktop entry: ${output}")
endif()
execute_process(COMMAND appstreamcli validate --no-net "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "metainfo: ${output}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
