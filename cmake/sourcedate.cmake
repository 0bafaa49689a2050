# The one time stamped into the packages and the Windows exe, so that two
# builds of one commit give the same bytes: SOURCE_DATE_EPOCH where it is
# set, else the date of the newest entry in doc/changelog, so that a release
# bump moves it. Sets wavestars_epoch, in seconds since 1970 UTC.

set(changelog_file ${PROJECT_SOURCE_DIR}/doc/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog_file})

# Days from 1970-01-01 to the given date of the Gregorian calendar.
function(daysfromcivil year month day result)
  if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
    math(EXPR month "${month} + 9")
  else()
    math(EXPR month "${month} - 3")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR yoe "${year} - ${era} * 400")
  math(EXPR doy "(153 * ${month} + 2) / 5 + ${day} - 1")
  math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
  math(EXPR days "${era} * 146097 + ${doe} - 719468")
  set(${result} ${days} PARENT_SCOPE)
endfunction()

# The first trailer line, " -- NAME <ADDRESS>  Thu, 10 Dec 2026 12:00:00 +0000",
# is the newest entry's.
function(changelogepoch file result)
  file(STRINGS ${file} trailer REGEX "^ -- " LIMIT_COUNT 1)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  if(NOT trailer MATCHES
     ", ([0-9]+) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) ([-+])([0-9][0-9])([0-9][0-9])$")
    message(FATAL_ERROR "${file}: expected a trailer line ending in a date such as "
                        "\"Thu, 10 Dec 2026 12:00:00 +0000\", found \"${trailer}\"")
  endif()
  list(FIND months ${CMAKE_MATCH_2} month)
  math(EXPR month "${month} + 1")
  daysfromcivil(${CMAKE_MATCH_3} ${month} ${CMAKE_MATCH_1} days)
  math(EXPR offset "${CMAKE_MATCH_8} * 3600 + ${CMAKE_MATCH_9} * 60")
  if(CMAKE_MATCH_7 STREQUAL "+") # local time is ahead of UTC
    math(EXPR offset "0 - ${offset}")
  endif()
  math(EXPR seconds "${days} * 86400 + ${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6} + ${offset}")
  set(${result} ${seconds} PARENT_SCOPE)
endfunction()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(wavestars_epoch $ENV{SOURCE_DATE_EPOCH})
  if(NOT wavestars_epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"${wavestars_epoch}\", expected whole seconds since 1970")
  endif()
else()
  changelogepoch(${changelog_file} wavestars_epoch)
endif()
