# Builds the Debian package from this build as `make package` does, unpacks it into a fresh root and
# checks what a user who installs it gets: programs that run from /usr, a page printed from there,
# no maintainer scripts (the system's triggers refresh the caches) and no generated cache inside,
# metadata that the desktop tools accept, a manual page and a completion that know every option the
# program's --help names, and no error from lintian.
cmake_minimum_required(VERSION 3.25)

foreach(tool dpkg-deb dpkg-shlibdeps lintian appstreamcli desktop-file-validate bash gzip)
  find_program(found_${tool} ${tool})
  if(NOT found_${tool})
    message(NOTICE "CheckPackage.cmake: Skipped\n${tool} is missing (scripts/install-deps --test)\n[  SKIPPED ] package")
    return()
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command} failed (${result}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/root" "${WORK}/songs/Ordner")
run("${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK}")
run(dpkg --print-architecture)
string(STRIP "${out}" arch)
set(deb "${WORK}/versino_${VERSION}_${arch}.deb")
if(NOT EXISTS "${deb}")
  file(GLOB made "${WORK}/*.deb")
  message(FATAL_ERROR "no ${deb}; CPack made: ${made}")
endif()

# Computed dependencies on the libraries, beside the named one on Qt's German texts.
run("${found_dpkg-deb}" -f "${deb}" Depends)
foreach(needed "qt6-translations-l10n" "libqt6widgets6 (>= " "libqt6printsupport6 (>= " "libc6 (>= ")
  string(FIND "${out}" "${needed}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package does not depend on ${needed}: ${out}")
  endif()
endforeach()

# Only control and md5sums in the control archive; every file under /usr; in the MIME folder only
# the package's own type, never a database that the trigger writes on the user's system.
run("${found_dpkg-deb}" -e "${deb}" "${WORK}/control")
file(GLOB control RELATIVE "${WORK}/control" "${WORK}/control/*")
list(SORT control)
if(NOT control STREQUAL "control;md5sums")
  message(FATAL_ERROR "the package carries more than control and md5sums: ${control}")
endif()
run("${found_dpkg-deb}" -x "${deb}" "${WORK}/root")
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${WORK}/root" "${WORK}/root/*")
foreach(f ${files})
  if(NOT f MATCHES "^usr/" OR (f MATCHES "^usr/share/mime/" AND NOT f STREQUAL "usr/share/mime/packages/versino.xml"))
    message(FATAL_ERROR "the package should not hold ${f}")
  endif()
endforeach()
set(usr "${WORK}/root/usr")
foreach(f bin/versino bin/versino-print share/applications/versino.desktop share/mime/packages/versino.xml
        share/thumbnailers/versino.thumbnailer share/icons/hicolor/48x48/apps/versino.png
        share/icons/hicolor/48x48/mimetypes/application-x-versino-songlist.png
        share/metainfo/org.versino.Versino.metainfo.xml share/man/man1/versino.1.gz
        share/man/man1/versino-print.1.gz share/bash-completion/completions/versino-print
        share/doc/versino/copyright share/doc/versino/changelog.gz libexec/versino/versino-print-extras.so)
  if(NOT EXISTS "${usr}/${f}")
    message(FATAL_ERROR "the package lacks /usr/${f}")
  endif()
endforeach()

# The unpacked programs run: the version, and a song printed to a PDF page.
set(env "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen)
run(${env} "${usr}/bin/versino-print" --version)
if(NOT out MATCHES "^versino-print ${VERSION}\n$")
  message(FATAL_ERROR "the unpacked versino-print says: ${out}")
endif()
run(${env} "${usr}/bin/versino-print" -o "${WORK}/Abendlied.pdf" "${SOURCE_DIR}/examples/Abendlied.vsn")
file(READ "${WORK}/Abendlied.pdf" head LIMIT 5 HEX)
if(NOT head STREQUAL "255044462d")
  message(FATAL_ERROR "the unpacked versino-print wrote no PDF: ${head}")
endif()
# A book's bookmarks come from versino-print's module, which the unpacked program must find.
run(${env} "${usr}/bin/versino-print" -o "${WORK}/Buch.pdf" --book --index "${SOURCE_DIR}/examples/Abendlied.vsn")
file(STRINGS "${WORK}/Buch.pdf" outlines REGEX "/Type /Outlines")
if(NOT outlines)
  message(FATAL_ERROR "the unpacked versino-print wrote a book without bookmarks")
endif()

run("${found_appstreamcli}" validate --no-net "${usr}/share/metainfo/org.versino.Versino.metainfo.xml")
run("${found_desktop-file-validate}" "${usr}/share/applications/versino.desktop")

# Every option --help names is in the manual page, and completing "-" offers exactly those options.
run(${env} "${usr}/bin/versino-print" --help)
# Semicolons and brackets would split or join the entries as CMake list elements.
string(REGEX REPLACE "[][;]" "," out "${out}")
string(REGEX MATCHALL "\n  -[^\n]*" entries "${out}")
set(help_options "")
foreach(entry ${entries})
  string(REGEX REPLACE "^\n  ([^<]*[^< ]).*" "\\1" names "${entry}")
  string(REGEX REPLACE "   .*" "" names "${names}")
  string(REPLACE ", " ";" names "${names}")
  list(APPEND help_options ${names})
endforeach()
run("${found_gzip}" -dc "${usr}/share/man/man1/versino-print.1.gz")
set(page "${out}")
foreach(option ${help_options})
  string(REPLACE "-" "\\-" roff "${option}")
  string(FIND "${page}" "\\fB${roff}\\fR" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manual page does not describe ${option}")
  endif()
endforeach()

file(WRITE "${WORK}/songs/lied.vsn" "")
file(WRITE "${WORK}/songs/ZWEI.CHO" "")
file(WRITE "${WORK}/songs/liste.vsl" "")
file(WRITE "${WORK}/songs/bild.png" "")
set(completion "${usr}/share/bash-completion/completions/versino-print")
# Completes the last of the words after versino-print in the songs folder and compares the
# candidates with the list expected. Each word goes with a prefix, so that an empty one survives.
function(complete expected)
  set(words "${ARGN}")
  list(TRANSFORM words PREPEND "w:")
  execute_process(
    COMMAND "${found_bash}" --norc -c
      "source \"$0\"; COMP_WORDS=(versino-print \"\${@#w:}\"); COMP_CWORD=$#; _versino_print; printf '%s\\n' \"\${COMPREPLY[@]}\""
      "${completion}" ${words}
    WORKING_DIRECTORY "${WORK}/songs" OUTPUT_VARIABLE got RESULT_VARIABLE result)
  string(REPLACE "\n" ";" got "${got}")
  list(REMOVE_ITEM got "")
  list(SORT expected)
  list(SORT got)
  if(NOT result EQUAL 0 OR NOT got STREQUAL expected)
    message(FATAL_ERROR "completing \"${ARGN}\" offers \"${got}\" (${result}), not \"${expected}\"")
  endif()
endfunction()
complete("${help_options}" "-")
# Each option whose value is a choice ("--paper <a4|letter>") completes to exactly those values.
foreach(entry ${entries})
  if(entry MATCHES "(--[a-z0-9-]+) <([a-z0-9-]+(\\|[a-z0-9-]+)+)>")
    string(REPLACE "|" ";" choices "${CMAKE_MATCH_2}")
    complete("${choices}" --fit "${CMAKE_MATCH_1}" "")
  endif()
endforeach()
complete("Ordner;ZWEI.CHO;lied.vsn;liste.vsl" -o x.pdf "")
complete("Ordner;ZWEI.CHO;bild.png;lied.vsn;liste.vsl" -o "")
complete("" --dpi "")
if("--folder" IN_LIST help_options)
  complete("Ordner" --folder "")
endif()
complete("lied.vsn;liste.vsl" -- "l")

# lintian's errors, each named; its warnings are shown but do not fail the package.
execute_process(COMMAND "${found_lintian}" --tag-display-limit 0 "${deb}" OUTPUT_VARIABLE out ERROR_QUIET)
message(STATUS "lintian:\n${out}")
string(REGEX MATCHALL "(^|\n)E: [^\n]*" errors "${out}")
if(errors)
  message(FATAL_ERROR "lintian reports errors:${errors}")
endif()
file(REMOVE_RECURSE "${WORK}")
