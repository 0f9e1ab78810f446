# Installs the build into a fresh prefix and checks that a desktop finds the editor there: the
# program, its .desktop entry pointing at it, the icons the entry names, the MIME type of song
# files as the MIME database reports it, and a thumbnailer that draws a song's page.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(installed bin/versino bin/versino-print share/applications/versino.desktop
    share/mime/packages/versino.xml share/thumbnailers/versino.thumbnailer)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND installed share/icons/hicolor/${size}x${size}/apps/versino.png
       share/icons/hicolor/${size}x${size}/mimetypes/application-x-versino-song.png
       share/icons/hicolor/${size}x${size}/mimetypes/application-x-versino-songlist.png)
endforeach()
foreach(f ${installed})
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

file(STRINGS "${PREFIX}/share/applications/versino.desktop" entry)
foreach(line "[Desktop Entry]" "Type=Application" "Name=Versino" "Exec=versino %f" "Icon=versino"
        "MimeType=application/x-versino-song;application/x-versino-songlist;")
  list(FIND entry "${line}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "desktop entry lacks \"${line}\"")
  endif()
endforeach()

# Each icon is a PNG of its directory's size (width and height stand at bytes 16 to 23).
foreach(size 16 22 24 32 48 64 128 256)
  file(READ "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/versino.png" head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 signature)
  string(SUBSTRING "${head}" 32 16 dimensions)
  math(EXPR hex "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "0x" "" hex "${hex}")
  string(LENGTH "${hex}" digits)
  math(EXPR padding "8 - ${digits}")
  string(REPEAT "0" ${padding} pad)
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT dimensions STREQUAL "${pad}${hex}${pad}${hex}")
    message(FATAL_ERROR "the ${size} pixel icon is no PNG of that size: ${head}")
  endif()
endforeach()

# Ask the MIME database of the prefix, and nothing else, what a song file is: by its name, and by
# its first line when the name says nothing.
foreach(tool update-mime-database xdg-mime)
  find_program(found_${tool} ${tool})
  if(NOT found_${tool})
    message(FATAL_ERROR "${tool} is missing: run scripts/install-deps --test")
  endif()
endforeach()
execute_process(COMMAND "${found_update-mime-database}" "${PREFIX}/share/mime" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "update-mime-database failed: ${result}")
endif()
set(songs "${PREFIX}/songs")
file(MAKE_DIRECTORY "${songs}" "${PREFIX}/no-user-data")
file(WRITE "${songs}/lied.vsn" "[Titel]\r\nDaumenkino\r\n[Text]\r\n<G>la la la\r\n")
file(WRITE "${songs}/leer.vsn" "")
file(WRITE "${songs}/ohne-endung" "[Titel]\r\nNur am Anfang erkannt\r\n")
file(WRITE "${songs}/abend.vsl" "#Titel: Abend\nlied.vsn\n")
set(type_of_lied.vsn application/x-versino-song)
set(type_of_leer.vsn application/x-versino-song)
set(type_of_ohne-endung application/x-versino-song)
set(type_of_abend.vsl application/x-versino-songlist)
foreach(song lied.vsn leer.vsn ohne-endung abend.vsl)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env --unset=XDG_CURRENT_DESKTOP --unset=KDE_SESSION_VERSION
            "XDG_DATA_DIRS=${PREFIX}/share" "XDG_DATA_HOME=${PREFIX}/no-user-data"
            "${found_xdg-mime}" query filetype "${songs}/${song}"
    OUTPUT_VARIABLE type OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
  if(NOT type STREQUAL "${type_of_${song}}")
    message(FATAL_ERROR "xdg-mime calls ${song} \"${type}\" (${result}); "
                        "is libfile-mimeinfo-perl installed (scripts/install-deps --test)?")
  endif()
endforeach()

# The thumbnailer, run as a file manager runs it: its Exec line with the size, output and input.
file(STRINGS "${PREFIX}/share/thumbnailers/versino.thumbnailer" thumbnailer REGEX "^Exec=")
string(REGEX REPLACE "^Exec=" "" command "${thumbnailer}")
string(REPLACE "%s" "128" command "${command}")
string(REPLACE "%o" "${songs}/thumbnail.png" command "${command}")
string(REPLACE "%i" "${songs}/lied.vsn" command "${command}")
separate_arguments(command UNIX_COMMAND "${command}")
list(POP_FRONT command program)
execute_process(COMMAND "${PREFIX}/bin/${program}" ${command} RESULT_VARIABLE result ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR NOT EXISTS "${songs}/thumbnail.png")
  message(FATAL_ERROR "the thumbnailer failed (${result}): ${err}")
endif()
file(READ "${songs}/thumbnail.png" head LIMIT 24 HEX)
string(SUBSTRING "${head}" 40 8 height)
if(NOT height STREQUAL "00000080")
  message(FATAL_ERROR "the thumbnail is not 128 pixels high: ${head}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
