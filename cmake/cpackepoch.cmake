# Read by CPack before each generator: the .deb takes its time stamps from
# SOURCE_DATE_EPOCH, so give it the one the build was configured with.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_WAVESTARS_EPOCH})
