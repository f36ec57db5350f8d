# Checks of the built documents, run by CTest as `cmake -D CHECK=<name> ... -P CheckDocuments.cmake`.
#
#   CHECK=help      BIN=<bin folder> PAGES=<a;b;...> FILES=<a;b;...>
#                   PlashboxDemo.chm is a compiled help file that holds every page and picture
#   CHECK=links     HELP=<folder> CONTENTS=<files>
#                   every page there, and every entry of the contents and index files, links
#                   only to files (and anchors) that exist in that folder
#   CHECK=manual    PDF=<file> REPORT=<file>
#                   the manual is a whole PDF with the pages and pictures its builder reported
#   CHECK=install   BUILD=<build folder> PREFIX=<folder> PROGRAM=<ON|OFF>
#                   `cmake --install` puts every file where the program and the desktop look
#   CHECK=missing   TOOL=<make_manual> WORK=<folder> PICTURE=<an existing PNG>
#                   a figure whose picture is missing is left out, with its caption, and reported

cmake_minimum_required(VERSION 3.25)

function(fail message)
  message(FATAL_ERROR "${message}")
endfunction()

function(require_file path)
  if(NOT EXISTS "${path}")
    fail("missing: ${path}")
  endif()
  file(SIZE "${path}" size)
  if(size EQUAL 0)
    fail("empty: ${path}")
  endif()
endfunction()

# The first bytes of a file, as text.
function(file_head path count out)
  file(READ "${path}" hex LIMIT ${count} HEX)
  set(text "")
  string(LENGTH "${hex}" length)
  math(EXPR last "${length} - 2")
  foreach(at RANGE 0 ${last} 2)
    string(SUBSTRING "${hex}" ${at} 2 byte)
    math(EXPR code "0x${byte}")
    string(ASCII ${code} char)
    string(APPEND text "${char}")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(CHECK STREQUAL "help")
  set(chm "${BIN}/PlashboxDemo.chm")
  require_file("${chm}")
  file_head("${chm}" 4 magic)
  if(NOT magic STREQUAL "ITSF")
    fail("${chm} does not start with ITSF but with '${magic}'")
  endif()
  # The directory of a compiled help file names each stored file with its path, uncompressed.
  file(READ "${chm}" content HEX)
  foreach(name IN LISTS PAGES FILES)
    string(HEX "/${name}" wanted)
    string(FIND "${content}" "${wanted}" found)
    if(found EQUAL -1)
      fail("${chm} does not hold ${name}")
    endif()
  endforeach()

elseif(CHECK STREQUAL "links")
  foreach(page index.html about.html)
    require_file("${HELP}/${page}")
  endforeach()
  # The pages' own links, and the entries of the help's contents and index (CONTENTS).
  file(GLOB pages "${HELP}/*.html")
  foreach(page IN LISTS pages CONTENTS)
    file(READ "${page}" html)
    if(html MATCHES "@[A-Z_]+@")
      fail("${page} still holds a placeholder: ${CMAKE_MATCH_0}")
    endif()
    string(REGEX MATCHALL "(href|src|\"Local\" value)=\"[^\"]*\"" links "${html}")
    foreach(link IN LISTS links)
      string(REGEX REPLACE "^.*=\"([^\"]*)\"$" "\\1" target "${link}")
      if(target MATCHES "^[a-z]+:")
        continue()
      endif()
      string(REGEX REPLACE "#.*$" "" file "${target}")
      set(anchor "")
      if(target MATCHES "#(.+)$")
        set(anchor "${CMAKE_MATCH_1}")
      endif()
      if(file STREQUAL "")
        set(file_path "${page}")
        if(NOT page IN_LIST pages)
          fail("${page}: entry ${target} names no page")
        endif()
      else()
        set(file_path "${HELP}/${file}")
      endif()
      if(NOT EXISTS "${file_path}")
        fail("${page}: broken link ${target}")
      endif()
      if(NOT anchor STREQUAL "")
        file(READ "${file_path}" linked)
        string(FIND "${linked}" "name=\"${anchor}\"" at)
        if(at EQUAL -1)
          fail("${page}: ${target} names an anchor that ${file} lacks")
        endif()
      endif()
    endforeach()
  endforeach()

elseif(CHECK STREQUAL "manual")
  require_file("${PDF}")
  file_head("${PDF}" 5 magic)
  if(NOT magic STREQUAL "%PDF-")
    fail("${PDF} does not start with %PDF- but with '${magic}'")
  endif()
  file(READ "${PDF}" content HEX)
  string(LENGTH "${content}" length)
  math(EXPR from "${length} - 32")
  string(SUBSTRING "${content}" ${from} -1 tail)
  string(HEX "%%EOF" eof)
  string(FIND "${tail}" "${eof}" at)
  if(at EQUAL -1)
    fail("${PDF} does not end with %%EOF: it was cut short")
  endif()
  file(STRINGS "${REPORT}" report)
  list(FILTER report INCLUDE REGEX "^(pages|included) ")
  set(included 0)
  foreach(line IN LISTS report)
    if(line MATCHES "^pages ([0-9]+)$")
      set(pages ${CMAKE_MATCH_1})
    else()
      math(EXPR included "${included} + 1")
    endif()
  endforeach()
  if(NOT pages GREATER_EQUAL 10)
    fail("the manual has ${pages} pages; its text fills well over ten")
  endif()
  # The page tree's count and the image objects, from the PDF's own (uncompressed) dictionaries.
  file(STRINGS "${PDF}" counts REGEX "^/Count [0-9]+$")
  string(REGEX MATCH "/Count ([0-9]+)" match "${counts}")
  if(NOT CMAKE_MATCH_1 EQUAL pages)
    fail("the PDF's page tree counts '${CMAKE_MATCH_1}' pages, the builder reported ${pages}")
  endif()
  file(STRINGS "${PDF}" images REGEX "/Subtype */Image")
  list(LENGTH images image_count)
  if(image_count LESS included)
    fail("the PDF holds ${image_count} pictures, the builder reported ${included}")
  endif()

elseif(CHECK STREQUAL "install")
  file(REMOVE_RECURSE "${PREFIX}")
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    fail("cmake --install failed: ${errors}")
  endif()
  set(expected
    bin/plashbox-cli
    share/plashbox/PlashboxDemo.chm
    "share/plashbox/Plashbox Manual.pdf"
    share/plashbox/help/index.html
    share/plashbox/help/about.html
    share/doc/plashbox/PlashboxDemo.chm
    "share/doc/plashbox/Plashbox Manual.pdf"
    share/applications/plashbox.desktop
    share/icons/hicolor/scalable/apps/plashbox.svg
    share/icons/hicolor/48x48/apps/plashbox.png
    share/icons/hicolor/256x256/apps/plashbox.png)
  if(PROGRAM)
    list(APPEND expected bin/plashbox)
  endif()
  foreach(path IN LISTS expected)
    require_file("${PREFIX}/${path}")
  endforeach()
  # The desktop entry starts the installed program by name and shows the installed icon.
  file(STRINGS "${PREFIX}/share/applications/plashbox.desktop" entry)
  foreach(line "Exec=plashbox" "Icon=plashbox" "Type=Application")
    list(FIND entry "${line}" at)
    if(at EQUAL -1)
      fail("plashbox.desktop lacks the line ${line}")
    endif()
  endforeach()
  file_head("${PREFIX}/share/icons/hicolor/48x48/apps/plashbox.png" 4 magic)
  if(NOT magic MATCHES "PNG$")
    fail("the 48x48 icon is not a PNG file")
  endif()
  file(REMOVE_RECURSE "${PREFIX}")

elseif(CHECK STREQUAL "missing")
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}/pictures")
  file(COPY_FILE "${PICTURE}" "${WORK}/pictures/present.png")
  file(WRITE "${WORK}/sample.md" [=[
# Sample

Version @PROJECT_VERSION@

# Chapter

![Here](present.png "width=64")

*A caption that stays.*

![Gone](absent.png)

*A caption that goes with its picture.*

Text after the figures.
]=])
  execute_process(
    COMMAND "${TOOL}" --input "${WORK}/sample.md" --output "${WORK}/sample.pdf"
            --images "${WORK}/no-such-folder" --images "${WORK}/pictures" --version 9.8.7
            --report "${WORK}/report.txt"
    RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  if(NOT result EQUAL 0)
    fail("make_manual failed on a figure without its picture: ${errors}")
  endif()
  require_file("${WORK}/sample.pdf")
  if(EXISTS "${WORK}/sample.pdf.part")
    fail("make_manual left its partial file behind")
  endif()
  file(STRINGS "${WORK}/report.txt" report)
  if(NOT report STREQUAL "pages 2;included present.png;left-out absent.png")
    fail("unexpected report: ${report}")
  endif()
  # A failing run writes no PDF at all.
  execute_process(
    COMMAND "${TOOL}" --input "${WORK}/no-such-text.md" --output "${WORK}/broken.pdf"
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(result EQUAL 0 OR EXISTS "${WORK}/broken.pdf")
    fail("make_manual reported success or wrote a PDF for a missing text")
  endif()
  file(REMOVE_RECURSE "${WORK}")

else()
  fail("unknown CHECK '${CHECK}'")
endif()
