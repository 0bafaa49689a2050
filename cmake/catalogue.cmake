# Turns the message catalogues (po/LOCALE.po) into one C++ table, so that
# the program needs no file at run time. Each entry is a one-line msgid,
# the English text as the program has it, and a one-line msgstr. The
# translations become \x escapes: the table reads the same to every
# compiler, whatever code page it assumes.
#   cmake -DPODIR=po -DOUTPUT=catalogue.cpp -P catalogue.cmake
file(GLOB catalogues "${PODIR}/*.po")
list(SORT catalogues)
set(entries "")
foreach(po IN LISTS catalogues)
  get_filename_component(locale "${po}" NAME_WE)
  file(READ "${po}" text)
  # CMake lists split at ";" and stop splitting inside "[...]".
  string(REPLACE ";" "@semicolon@" text "${text}")
  string(REPLACE "[" "@open@" text "${text}")
  string(REPLACE "]" "@close@" text "${text}")
  string(REGEX MATCHALL "\nmsgid \"[^\n]*\"\nmsgstr \"[^\n]*\"" pairs "${text}")
  foreach(pair IN LISTS pairs)
    string(REGEX REPLACE "^\nmsgid \"(.*)\"\nmsgstr \"(.*)\"$" "\\1" english "${pair}")
    string(REGEX REPLACE "^\nmsgid \"(.*)\"\nmsgstr \"(.*)\"$" "\\2" translated "${pair}")
    if(english STREQUAL "" OR translated STREQUAL "")
      continue() # the header, or an entry not yet translated
    endif()
    foreach(var english translated)
      string(REPLACE "@semicolon@" ";" ${var} "${${var}}")
      string(REPLACE "@open@" "[" ${var} "${${var}}")
      string(REPLACE "@close@" "]" ${var} "${${var}}")
    endforeach()
    string(REPLACE "\\\\" "@backslash@" translated "${translated}")
    string(REPLACE "\\\"" "\"" translated "${translated}")
    string(REPLACE "@backslash@" "\\" translated "${translated}")
    string(HEX "${translated}" hex)
    string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${hex}")
    string(APPEND entries "    {\"${locale}\", \"${english}\",\n     \"${escaped}\"},\n")
  endforeach()
endforeach()
file(WRITE "${OUTPUT}" "// Made from po/*.po by cmake/catalogue.cmake at build time.
#include \"catalogue.h\"

const translation translations[] = {
${entries}};
const std::size_t translationcount = sizeof translations / sizeof translations[0];
")
