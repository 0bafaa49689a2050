# Makes one locale that the tests run the program in, such as zh_CN.GBK,
# from glibc's sources (Debian's locales package) into LOCALEDIR, and
# touches STAMP. A program run with LOCPATH=LOCALEDIR finds it there: no
# root, and nothing written outside the build tree. Where localedef or the
# sources are missing it makes nothing and says so, and the tests that need
# the locale skip, saying the same; without the stamp, the next build tries
# again.
#
#   cmake -DLOCALEDIR=DIR -DLOCALE=zh_CN.GBK -DSTAMP=FILE -P makelocale.cmake

string(REGEX MATCH "^([^.]+)\\.(.+)$" matched "${LOCALE}")
set(source ${CMAKE_MATCH_1})  # zh_CN: /usr/share/i18n/locales/zh_CN
set(charmap ${CMAKE_MATCH_2}) # GBK: /usr/share/i18n/charmaps/GBK.gz
file(REMOVE_RECURSE ${LOCALEDIR}/${LOCALE})
file(MAKE_DIRECTORY ${LOCALEDIR})
find_program(localedef localedef)
if(NOT matched OR NOT localedef)
  message(WARNING "cannot make the locale ${LOCALE} for the tests: no localedef; its tests will be skipped")
else()
  execute_process(
    COMMAND ${localedef} -i ${source} -f ${charmap} ${LOCALEDIR}/${LOCALE}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
  if(result EQUAL 0)
    get_filename_component(stampdir ${STAMP} DIRECTORY)
    file(MAKE_DIRECTORY ${stampdir}) # Ninja makes an output's folder, Make does not
    file(TOUCH ${STAMP})
  else()
    file(REMOVE_RECURSE ${LOCALEDIR}/${LOCALE}) # half made would not load
    message(WARNING "cannot make the locale ${LOCALE} for the tests (localedef -i ${source} -f ${charmap}: "
                    "${output}); its tests will be skipped. On Debian the locales package has the sources.")
  endif()
endif()
