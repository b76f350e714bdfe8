# Writes the manual page of veltrane from what "veltrane --help" prints, into the template
# veltrane.1.in. Run as a script:
#   cmake -DPROGRAM=path/to/veltrane -DTEMPLATE=veltrane.1.in -DOUTPUT=veltrane.1
#         -DVERSION=1.0.0 -P ManPage.cmake
#
# The help has a heading line, then each form of the command line at an indent of two with
# its explanation at an indent of six, then, after an empty line, a closing paragraph. The
# forms become the synopsis and the options list; the paragraph follows the list.
cmake_minimum_required(VERSION 3.20)

execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help failed (${result})")
endif()

# A character of three UTF-8 bytes: the Chinese characters and their punctuation.
string(ASCII 224 LEAD_FIRST)
string(ASCII 239 LEAD_LAST)
string(ASCII 128 TRAIL_FIRST)
string(ASCII 191 TRAIL_LAST)
set(WIDE_CHAR "[${LEAD_FIRST}-${LEAD_LAST}][${TRAIL_FIRST}-${TRAIL_LAST}][${TRAIL_FIRST}-${TRAIL_LAST}]")
# CMake lists do not split inside square brackets: brackets travel as control characters
# until the page is written.
string(ASCII 2 OPEN)
string(ASCII 3 CLOSE)

# A help text as troff: backslashes and dashes escaped, options in bold.
function(troff_text out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(\\\\-\\\\-[a-z]+)" "\\\\fB\\1\\\\fR" text "${text}")
  if(text MATCHES "^[.']")
    set(text "\\&${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# One form of the command line: the program and options in bold, what the user supplies in
# italics, the brackets of optional parts plain.
function(troff_form out form)
  string(REPLACE " " ";" words "${form}")
  set(result "")
  foreach(word IN LISTS words)
    string(REGEX MATCH "^(${OPEN}*)(.*[^${CLOSE}])(${CLOSE}*)$" parts "${word}")
    set(open "${CMAKE_MATCH_1}")
    set(core "${CMAKE_MATCH_2}")
    set(close "${CMAKE_MATCH_3}")
    string(REPLACE "-" "\\-" core "${core}")
    if(core MATCHES "^(veltrane|\\\\-.*)$")
      set(core "\\fB${core}\\fR")
    else()
      set(core "\\fI${core}\\fR")
    endif()
    list(APPEND result "${open}${core}${close}")
  endforeach()
  list(JOIN result " " result)
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Continuation lines of one text run on: Chinese lines join without a space, others with one.
function(append_line var line)
  set(text "${${var}}")
  if(text STREQUAL "")
    set(text "${line}")
  elseif(text MATCHES "[^ -~]$")
    set(text "${text}${line}")
  else()
    set(text "${text} ${line}")
  endif()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# groff breaks lines only at spaces, and Chinese text has none: a text line gets a break point
# (\:) after every wide character, except before closing punctuation and after opening
# punctuation, and a line that ends in one runs on into the next without a space (\c).
function(break_points out text)
  string(REGEX REPLACE "(${WIDE_CHAR})" "\\1\\\\:" text "${text}")
  foreach(punct "，" "。" "、" "；" "：" "）" "”" "！" "？")
    string(REPLACE "\\:${punct}" "${punct}" text "${text}")
  endforeach()
  foreach(punct "（" "“")
    string(REPLACE "${punct}\\:" "${punct}" text "${text}")
  endforeach()
  string(REGEX REPLACE "\\\\:$" "\\\\c" text "${text}")
  string(REGEX REPLACE "(${WIDE_CHAR})$" "\\1\\\\c" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(split_lines out text)
  string(REPLACE "[" "${OPEN}" text "${text}")
  string(REPLACE "]" "${CLOSE}" text "${text}")
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

split_lines(lines "${help}")
set(forms "")
set(explanations "")
set(current "")
set(notes "")
set(in_notes FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^  veltrane( |$)" AND NOT in_notes)
    if(NOT forms STREQUAL "")
      list(APPEND explanations "${current}")
    endif()
    string(STRIP "${line}" line)
    list(APPEND forms "${line}")
    set(current "")
  elseif(line MATCHES "^      [^ ]" AND NOT in_notes)
    string(STRIP "${line}" line)
    troff_text(line "${line}")
    # A line that starts with an option is a note of its own about that option.
    if(line MATCHES "^\\\\fB" AND NOT current STREQUAL "")
      set(current "${current}\n.br\n${line}")
    else()
      append_line(current "${line}")
    endif()
  elseif(line STREQUAL "" AND NOT forms STREQUAL "")
    set(in_notes TRUE)
  elseif(in_notes)
    troff_text(line "${line}")
    append_line(notes "${line}")
  endif()
endforeach()
list(APPEND explanations "${current}")

list(LENGTH forms count)
if(count EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help names no form of the command line")
endif()

set(MAN_SYNOPSIS "")
set(MAN_OPTIONS "")
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  list(GET forms ${i} form)
  list(GET explanations ${i} explanation)
  troff_form(form "${form}")
  string(APPEND MAN_SYNOPSIS "${form}\n.br\n")
  string(APPEND MAN_OPTIONS ".TP\n${form}\n${explanation}\n")
endforeach()
string(REGEX REPLACE "\n.br\n$" "" MAN_SYNOPSIS "${MAN_SYNOPSIS}")
string(REGEX REPLACE "\n$" "" MAN_OPTIONS "${MAN_OPTIONS}")
set(MAN_NOTES "${notes}")

# The date of the sources (SOURCE_DATE_EPOCH, when set), so that a rebuild gives the same page.
string(TIMESTAMP MAN_DATE "%Y-%m-%d" UTC)
set(PROJECT_VERSION "${VERSION}")
file(READ "${TEMPLATE}" page)
string(CONFIGURE "${page}" page @ONLY)

# The page's text lines (not its requests and comments) get their break points; the name line
# stays as it is, for whatis and apropos read it as it stands.
split_lines(lines "${page}")
set(page "")
set(previous "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^[.']" AND NOT previous STREQUAL ".SH NAME")
    break_points(line "${line}")
  endif()
  string(APPEND page "${line}\n")
  set(previous "${line}")
endforeach()
string(REGEX REPLACE "\n\n$" "\n" page "${page}")
string(REPLACE "${OPEN}" "[" page "${page}")
string(REPLACE "${CLOSE}" "]" page "${page}")
file(WRITE "${OUTPUT}" "${page}")
