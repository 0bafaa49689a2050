# Turns the message catalogues (po/LOCALE.po) into one C++ table, so that
# the program needs no file at run time. It reads what msgfmt, msgmerge and
# Poedit write: comments, msgid and msgstr strings split over several
# lines, and the escapes \" \\ \n \t. Anything else stops the build with
# the file and line. Untranslated and fuzzy entries are left out, as
# msgfmt leaves them; the tests then name them. The translations become \x
# escapes: the table reads the same to every compiler, whatever code page
# it assumes.
#   cmake -DPODIR=po -DOUTPUT=catalogue.cpp -P catalogue.cmake
cmake_policy(VERSION 3.25)

# A PO string's contents as the text it stands for.
function(unescape var where)
  set(text "${${var}}")
  string(REPLACE "\\\\" "@backslash@" text "${text}")
  string(REPLACE "\\\"" "\"" text "${text}")
  string(REPLACE "\\n" "\n" text "${text}")
  string(REPLACE "\\t" "\t" text "${text}")
  if(text MATCHES "\\\\")
    message(FATAL_ERROR "${where}: an escape other than \\\" \\\\ \\n \\t")
  endif()
  string(REPLACE "@backslash@" "\\" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# Text as the contents of a C++ string literal, every byte as \x.
function(cliteral var text)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${hex}")
  set(${var} "${escaped}" PARENT_SCOPE)
endfunction()

# Adds the entry read so far to entries, unless it is the header, empty or
# fuzzy.
macro(addentry)
  if(NOT msgid STREQUAL "" AND NOT msgstr STREQUAL "" AND NOT fuzzy)
    unescape(msgid "${po}:${entryline}")
    unescape(msgstr "${po}:${entryline}")
    cliteral(english "${msgid}")
    cliteral(translated "${msgstr}")
    string(APPEND entries "    {\"${locale}\",\n     \"${english}\",\n     \"${translated}\"},\n")
  elseif(NOT msgid STREQUAL "")
    message(WARNING "${po}:${entryline}: not translated, or fuzzy: left out")
  endif()
  set(msgid "")
  set(msgstr "")
  set(fuzzy FALSE)
  set(field "")
endmacro()

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
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  set(field "")
  set(msgid "")
  set(msgstr "")
  set(fuzzy FALSE)
  set(seenid FALSE)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    string(REPLACE "@semicolon@" ";" line "${line}")
    string(REPLACE "@open@" "[" line "${line}")
    string(REPLACE "@close@" "]" line "${line}")
    string(STRIP "${line}" line)
    if(line MATCHES "^#,.*fuzzy")
      set(fuzzy TRUE)
    elseif(line STREQUAL "" OR line MATCHES "^#")
      # a blank line or a comment
    elseif(line MATCHES "^msgid \"(.*)\"$")
      if(seenid)
        addentry()
      endif()
      set(seenid TRUE)
      set(entryline ${number})
      set(field msgid)
      set(msgid "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^msgstr \"(.*)\"$" AND field STREQUAL "msgid")
      set(field msgstr)
      set(msgstr "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^\"(.*)\"$" AND NOT field STREQUAL "")
      string(APPEND ${field} "${CMAKE_MATCH_1}")
    else()
      message(FATAL_ERROR "${po}:${number}: cannot read this line: ${line}")
    endif()
  endforeach()
  if(seenid)
    addentry()
  endif()
endforeach()
file(WRITE "${OUTPUT}" "// Made from po/*.po by cmake/catalogue.cmake at build time.
#include \"catalogue.h\"

const translation translations[] = {
${entries}};
const std::size_t translationcount = sizeof translations / sizeof translations[0];
")
