# Part of cmake --install: writes the desktop entry from LB_ENTRY_TEMPLATE to LB_ENTRY_OUT
# with Exec naming the launcher (LB_ENTRY_EXEC, relative to the prefix) by its absolute
# path under the prefix in force, and installs it. DESTDIR stages the file without
# entering the path the entry names.
cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX NORMALIZE OUTPUT_VARIABLE prefix)
set(path "${prefix}/${LB_ENTRY_EXEC}")
if(path MATCHES "[\n\r\t]")
  message(FATAL_ERROR "A desktop entry cannot name a path with a line break or tab: ${path}")
endif()
# The command line of Exec: a path with a space or another reserved character goes in
# double quotes, inside which ", `, $ and \ take a backslash; a literal % is doubled.
string(REPLACE "%" "%%" exec "${path}")
if(exec MATCHES "[ \"'\\\\><~|&;$*?#()`]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
# The value is also a string of the entry file, whose own escaping doubles each backslash.
string(REPLACE "\\" "\\\\" LB_EXEC "${exec}")
configure_file("${LB_ENTRY_TEMPLATE}" "${LB_ENTRY_OUT}" @ONLY)
file(INSTALL DESTINATION "${prefix}/share/applications" TYPE FILE FILES "${LB_ENTRY_OUT}")
