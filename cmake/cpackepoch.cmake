# Read by CPack before each generator. The .deb's entries and the stripped
# exe's link time follow SOURCE_DATE_EPOCH, so give them the time the build
# was configured with.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_WAVESTARS_EPOCH})
