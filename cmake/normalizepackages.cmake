# Run by CPack after each generator: rewrites the archives it made so that
# they depend only on what they hold and on the release's time.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.(tar\\.gz|zip|deb)$")
    continue()
  endif()
  if(NOT CPACK_WAVESTARS_PYTHON)
    message(FATAL_ERROR "${package}: making it reproducible needs python3, which the configure did not find")
  endif()
  execute_process(
    COMMAND ${CPACK_WAVESTARS_PYTHON} ${CPACK_WAVESTARS_NORMALIZER} ${CPACK_WAVESTARS_EPOCH} ${package}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
