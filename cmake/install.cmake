# What `cmake --install` puts where, and the packages CPack makes of it.
# Two builds of one commit give the same packages, byte for byte: see
# sourcedate.cmake for the time they carry.

# Whatever the builder's umask: folders 0755, files 0644, the program 0755.
set(fileperms OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(programperms OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${programperms})

if(WIN32)
  # strip gives the exe a new link time stamp unless SOURCE_DATE_EPOCH says.
  install(CODE "set(ENV{SOURCE_DATE_EPOCH} ${wavestars_epoch})")
  # One folder: the program, with its notes beside it in Notepad's line ends.
  # The Chinese ones start with a byte-order mark: Notepad before Windows 10
  # 1903 would take UTF-8 without it for the ANSI code page.
  install(TARGETS wavestars RUNTIME DESTINATION . PERMISSIONS ${programperms})
  # The sample beside it, so that a double-click on the unzipped program
  # draws at once.
  install(FILES ${sample} DESTINATION . PERMISSIONS ${fileperms})
  string(ASCII 239 187 191 bom)
  foreach(doc README.md:README.txt README.zh-CN.md:README.zh-CN.txt README.zh-TW.md:README.zh-TW.txt
              LICENSE:LICENSE.txt)
    string(REPLACE ":" ";" doc ${doc})
    list(GET doc 0 source)
    list(GET doc 1 target)
    file(READ ${PROJECT_SOURCE_DIR}/${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    if(source MATCHES "zh-")
      set(text "${bom}${text}")
    endif()
    file(WRITE ${PROJECT_BINARY_DIR}/${target} "${text}")
    install(FILES ${PROJECT_BINARY_DIR}/${target} DESTINATION . PERMISSIONS ${fileperms})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${source})
  endforeach()
else()
  include(GNUInstallDirs)
  install(TARGETS wavestars RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} PERMISSIONS ${programperms})
  # Not under doc/, which minimal Debian and Ubuntu images leave out.
  install(FILES ${sample} DESTINATION ${CMAKE_INSTALL_DATADIR}/wavestars PERMISSIONS ${fileperms})
  # Debian wants them compressed, without a timestamp in the header.
  set(manpage ${PROJECT_BINARY_DIR}/wavestars.1.gz)
  set(chinesemanpage ${PROJECT_BINARY_DIR}/zh_CN/wavestars.1.gz)
  set(traditionalmanpage ${PROJECT_BINARY_DIR}/zh_TW/wavestars.1.gz)
  set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/zh_CN ${PROJECT_BINARY_DIR}/zh_TW)
  foreach(pair doc/wavestars.1:${manpage} doc/zh_CN/wavestars.1:${chinesemanpage}
               doc/zh_TW/wavestars.1:${traditionalmanpage} doc/changelog:${changelog})
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 source)
    list(GET pair 1 target)
    add_custom_command(
      OUTPUT ${target}
      COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/${source} > ${target}
      DEPENDS ${PROJECT_SOURCE_DIR}/${source})
  endforeach()
  add_custom_target(compresseddocs ALL DEPENDS ${manpage} ${chinesemanpage} ${traditionalmanpage} ${changelog})
  install(FILES ${manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 PERMISSIONS ${fileperms})
  # Where man looks under a zh_CN and a zh_TW locale.
  install(FILES ${chinesemanpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/zh_CN/man1 PERMISSIONS ${fileperms})
  install(FILES ${traditionalmanpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/zh_TW/man1 PERMISSIONS ${fileperms})
  install(FILES ${changelog} README.md README.zh-CN.md README.zh-TW.md DESTINATION ${CMAKE_INSTALL_DOCDIR} PERMISSIONS ${fileperms})
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright PERMISSIONS ${fileperms})
endif()

set(CPACK_PACKAGE_VENDOR "The wavestars developers")
set(CPACK_PACKAGE_CONTACT "The wavestars developers <wavestars@example.org>")
set(CPACK_PACKAGE_DESCRIPTION "wavestars reads ./Alarm02.wav and draws its waveform as rows of stars,
time running down the screen, then prints the file's main header values
under Chinese labels and waits for one value before it exits.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

# CPack stamps the .deb with SOURCE_DATE_EPOCH, set for it from the
# configure's choice. The archives are mended afterwards: CPack writes the
# .tar.gz and .zip entries in directory order, with the builder as owner
# and the time of the build, and the .deb's members with the umask's modes.
find_package(Python3 COMPONENTS Interpreter QUIET)
set(CPACK_WAVESTARS_EPOCH ${wavestars_epoch})
set(CPACK_WAVESTARS_PYTHON ${Python3_EXECUTABLE})
set(CPACK_WAVESTARS_NORMALIZER ${PROJECT_SOURCE_DIR}/tools/normalizearchive.py)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpackepoch.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/normalizepackages.cmake)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr) # the .tar.gz holds the same tree as the .deb
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
