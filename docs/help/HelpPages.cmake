# The help pages, for the window's help (docs/CMakeLists.txt) and the page's (web/CMakeLists.txt).
set(PLASHBOX_HELP_PAGES
  index.html controls.html panels.html sources.html colours.html physics.html experiments.html
  about.html)

# The keys table of controls.html (@PLASHBOX_KEY_ROWS@), one row a binding, read from the table the
# window and the page make their keys of, so the help lists what they take.
set(_key_table ${PROJECT_SOURCE_DIR}/frame/KeyBindings.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_key_table})
# A CMake list would split at ";" and join at "[": both are set aside as words first.
file(READ ${_key_table} _text)
string(REPLACE "; " " or " _text "${_text}")
string(REPLACE "[" "<open-bracket>" _text "${_text}")
string(REPLACE "]" "<close-bracket>" _text "${_text}")
string(REGEX MATCHALL "\n *\\{TKeyCommand::" _key_lines "${_text}")
string(REGEX MATCHALL "\\{TKeyCommand::[A-Za-z]+, \"[^\"]*\", \"[^\"]*\", \"[^\"]*\"\\}" _bindings "${_text}")
list(LENGTH _key_lines _line_count)
list(LENGTH _bindings _binding_count)
if(NOT _line_count EQUAL _binding_count)
  message(FATAL_ERROR "${_key_table}: the help reads one key binding a line, each on one line (${_line_count} lines, ${_binding_count} read)")
endif()
set(PLASHBOX_KEY_ROWS "")
foreach(binding IN LISTS _bindings)
  string(REGEX MATCH "\", \"([^\"]*)\", \"([^\"]*)\"\\}$" _ "${binding}")
  set(keys "${CMAKE_MATCH_1}")
  set(description "${CMAKE_MATCH_2}")
  # Qt's portable names as the keyboard's caps say them.
  string(REPLACE "<open-bracket>" "[" keys "${keys}")
  string(REPLACE "<close-bracket>" "]" keys "${keys}")
  string(REPLACE "PgUp" "Page Up" keys "${keys}")
  string(REPLACE "PgDown" "Page Down" keys "${keys}")
  string(REPLACE "Del" "Delete" keys "${keys}")
  if(keys STREQUAL ".")
    set(keys ". (full stop)")
  endif()
  string(APPEND PLASHBOX_KEY_ROWS "<tr><td>${keys}</td><td>${description}</td></tr>\n")
endforeach()
