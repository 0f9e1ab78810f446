# Writes versino-print's manual page and its bash completion from what `versino-print --help` says,
# so that the options, their values and the synopsis are described in one place only: the program.
# The hand-written rest of the page is MAN_TEMPLATE, with @SYNOPSIS@, @OPTIONS_ROFF@ and @ARGUMENTS_ROFF@
# where the sections taken from the help go.
#
#   cmake -DPROGRAM=versino-print -DMAN_TEMPLATE=… -DMAN_OUT=… -DCOMPLETION_TEMPLATE=…
#         -DCOMPLETION_OUT=… -DVERSION=… -DDATE=YYYY-MM-DD -P FromHelp.cmake
#
# The help is read as QCommandLineParser writes it, whatever language its headings are in: the usage
# lines up to the first empty line; prose; entries indented by two blanks (an option when they begin
# with "-", else an argument) whose description runs on in lines indented further.
cmake_minimum_required(VERSION 3.25)

foreach(var PROGRAM MAN_TEMPLATE MAN_OUT COMPLETION_TEMPLATE COMPLETION_OUT VERSION DATE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "FromHelp.cmake needs -D${var}=…")
  endif()
endforeach()

# A sanitizer build of the program may report leaks at exit; they say nothing about its help.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                        "${PROGRAM}" --help
                OUTPUT_VARIABLE help RESULT_VARIABLE result ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help failed (${result}): ${err}")
endif()
string(ASCII 31 semicolon)
string(ASCII 29 open)
string(ASCII 30 close)
# CMake lists split at ";": keep the help's own semicolons as a placeholder until written out.
# Brackets too: a list element with an open "[" would swallow the separators after it.
string(REPLACE ";" "${semicolon}" help "${help}")
string(REPLACE "[" "${open}" help "${help}")
string(REPLACE "]" "${close}" help "${help}")
string(REPLACE "\n" ";" lines "${help}")

# roff for one line of help text: backslashes escaped, option names with real minus signs, and no
# line that roff would take for a request.
function(to_roff text out)
  string(REPLACE "${semicolon}" ";" text "${text}")
  string(REPLACE "${open}" "[" text "${text}")
  string(REPLACE "${close}" "]" text "${text}")
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|[][ (/|])--([a-zA-Z0-9])" "\\1\\\\-\\\\-\\2" text "${text}")
  string(REGEX REPLACE "(^|[][ (/|])-([a-zA-Z0-9])" "\\1\\\\-\\2" text "${text}")
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(stage usage)          # usage, then prose and entries
set(synopsis "")          # one roff paragraph per usage line
set(usage_line "")
set(entries "")           # indices 0..n-1 of the entries, with entry_<i>_head / entry_<i>_text
set(count 0)
set(prose_extensions "")  # the file extensions the prose and the arguments name
foreach(line IN LISTS lines)
  string(REGEX REPLACE "[ \t\r]+$" "" line "${line}")
  if(stage STREQUAL "usage")
    # A usage line names the program (after the help's own heading word, "Usage:", or indented
    # under it) and then options or arguments, not prose ("versino-print prints ..."); an indented
    # line without it continues the one before. Anything else ends them.
    if(line MATCHES "^[^ ]* +(versino-print( [-[A-Z${open}].*)?)$")
      if(NOT usage_line STREQUAL "")
        list(APPEND synopsis "${usage_line}")
      endif()
      set(usage_line "${CMAKE_MATCH_1}")
      continue()
    elseif(line MATCHES "^ +([^ ].*)$" AND NOT usage_line STREQUAL "")
      string(APPEND usage_line " ${CMAKE_MATCH_1}")
      continue()
    endif()
    if(NOT usage_line STREQUAL "")
      list(APPEND synopsis "${usage_line}")
    endif()
    set(stage body)
  endif()
  if(line MATCHES "^  ([^ ].*)$")
    # An entry: its names, then two or more blanks, then the start of its description.
    set(entry "${CMAKE_MATCH_1}")
    string(FIND "${entry}" "  " gap)
    if(gap GREATER -1)
      string(SUBSTRING "${entry}" 0 ${gap} head)
      string(SUBSTRING "${entry}" ${gap} -1 text)
      string(STRIP "${text}" text)
    else()
      set(head "${entry}")
      set(text "")
    endif()
    set(entry_${count}_head "${head}")
    set(entry_${count}_text "${text}")
    set(current ${count})
    math(EXPR count "${count} + 1")
  elseif(line MATCHES "^   +([^ ].*)$" AND DEFINED current)
    string(APPEND entry_${current}_text " ${CMAKE_MATCH_1}")
  else()
    unset(current)
    string(REGEX MATCHALL "\\.[a-z][a-z0-9]+" found "${line}")
    list(APPEND prose_extensions ${found})
  endif()
endforeach()
if(synopsis STREQUAL "" OR count EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help names no usage or no options:\n${help}")
endif()

# Each entry as roff, and what the completion needs: the option names, the values of those that
# take a choice ("<a4|letter>"), and which of them take a value at all.
set(options_roff "")
set(arguments_roff "")
set(option_words "")
set(value_cases "")
set(free_value_options "")
set(file_value_options "")
set(seen_choice "")
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  set(head "${entry_${i}_head}")
  string(STRIP "${entry_${i}_text}" text)
  to_roff("${text}" text)
  if(NOT head MATCHES "^-")
    string(REGEX MATCHALL "\\.[a-z][a-z0-9]+" found "${entry_${i}_text}")
    list(APPEND prose_extensions ${found})
    to_roff("${head}" name)
    string(APPEND arguments_roff ".TP\n.I ${name}\n${text}\n")
    continue()
  endif()
  set(value "")
  if(head MATCHES "^(.*[^ ]) +<([^>]*)>$")
    set(head "${CMAKE_MATCH_1}")
    set(value "${CMAKE_MATCH_2}")
  endif()
  string(REPLACE ", " ";" names "${head}")
  set(names_roff "")
  set(pattern "")
  foreach(name IN LISTS names)
    list(APPEND option_words "${name}")
    string(REPLACE "-" "\\-" name_roff "${name}")
    list(APPEND names_roff "\\fB${name_roff}\\fR")
    list(APPEND pattern "${name}")
  endforeach()
  list(JOIN names_roff ", " names_roff)
  list(JOIN pattern "|" pattern)
  if(value STREQUAL "")
    string(APPEND options_roff ".TP\n${names_roff}\n${text}\n")
    continue()
  endif()
  to_roff("${value}" value_roff)
  string(APPEND options_roff ".TP\n${names_roff} \\fI${value_roff}\\fR\n${text}\n")
  if(value MATCHES "^[a-z0-9-]+(\\|[a-z0-9-]+)+$")
    string(REPLACE "|" " " choices "${value}")
    string(APPEND value_cases
      "        ${pattern}) COMPREPLY=($(compgen -W '${choices}' -- \"$cur\")); return ;;\n")
    list(APPEND seen_choice ${names})
  elseif(value MATCHES "^([Ff]ile|FILE|[Dd]atei|DATEI|[Pp]ath|[Pp]fad)$")
    list(APPEND file_value_options "${pattern}")
  else()
    list(APPEND free_value_options "${pattern}")
  endif()
endforeach()

# Options whose choices the help does not spell out as "<a|b>" still complete with the values the
# program accepts today.
foreach(known "--paper=a4 letter" "--notation=de en" "--diagrams=gitarre ukulele klavier aus")
  string(REGEX MATCH "^([^=]*)=(.*)$" ignored "${known}")
  set(option "${CMAKE_MATCH_1}")
  set(choices "${CMAKE_MATCH_2}")
  list(FIND option_words "${option}" offered)
  list(FIND seen_choice "${option}" spelled)
  if(offered GREATER -1 AND spelled EQUAL -1)
    list(REMOVE_ITEM free_value_options "${option}")
    string(APPEND value_cases
      "        ${option}) COMPREPLY=($(compgen -W '${choices}' -- \"$cur\")); return ;;\n")
  endif()
endforeach()
if(file_value_options)
  list(JOIN file_value_options "|" pattern)
  string(APPEND value_cases "        ${pattern}) _versino_print_files \"$cur\" ''; return ;;\n")
endif()
if(free_value_options)
  list(JOIN free_value_options "|" pattern)
  string(APPEND value_cases "        ${pattern}) return ;;\n")
endif()

list(REMOVE_DUPLICATES prose_extensions)
list(TRANSFORM prose_extensions REPLACE "^\\." "")
list(REMOVE_ITEM prose_extensions pdf png)
if(prose_extensions STREQUAL "")
  set(prose_extensions vsn vsl cho crd chopro chordpro pro txt)
endif()
list(JOIN prose_extensions "|" SONG_EXTENSIONS)
list(JOIN option_words " " OPTIONS)
set(VALUE_CASES "${value_cases}")

set(SYNOPSIS "")
foreach(usage IN LISTS synopsis)
  to_roff("${usage}" usage)
  string(REGEX REPLACE "^versino-print" "\\\\fBversino\\\\-print\\\\fR" usage "${usage}")
  string(APPEND SYNOPSIS ".br\n${usage}\n")
endforeach()
string(REGEX REPLACE "^\\.br\n" "" SYNOPSIS "${SYNOPSIS}")
string(STRIP "${SYNOPSIS}" SYNOPSIS)
string(STRIP "${options_roff}" OPTIONS_ROFF)
string(STRIP "${arguments_roff}" ARGUMENTS_ROFF)
string(REPLACE "${semicolon}" ";" OPTIONS "${OPTIONS}")

configure_file("${MAN_TEMPLATE}" "${MAN_OUT}" @ONLY)
configure_file("${COMPLETION_TEMPLATE}" "${COMPLETION_OUT}" @ONLY)
