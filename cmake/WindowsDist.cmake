# `windows-dist` (make windows): the programs for Windows laid out with the
# DLLs they load, the setup program and the portable ZIP, in the build's
# dist/ folder (scripts/windows-dist).
set(PLOVA_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
add_custom_target(windows-dist
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/windows-dist
          --out ${PLOVA_DIST_DIR} --version ${PROJECT_VERSION} --qt ${PLOVA_MINGW_QT}
          --icon ${CMAKE_BINARY_DIR}/app/ui/plova.ico
          $<TARGET_FILE:plova> $<TARGET_FILE:plova-cli> $<TARGET_FILE:mainunit-sim>
  DEPENDS plova plova-cli mainunit-sim
  COMMENT "Laying out the Windows programs, the setup program and the portable ZIP"
  VERBATIM)
