# Run by `cmake --install`: writes the menu entry with the program's installed path, known only once the
# install prefix is (--prefix may name another one than the build's).
#   HUDDLEPOD_DESKTOP_TEMPLATE, HUDDLEPOD_DESKTOP_WORK_DIR, HUDDLEPOD_APPLICATION_ID, HUDDLEPOD_BINDIR,
#   HUDDLEPOD_DATADIR are set by the install rules before this script.
cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX NORMALIZE OUTPUT_VARIABLE prefix)
set(program "${prefix}/${HUDDLEPOD_BINDIR}/huddlepod")

# Exec: an argument holding a reserved character is quoted, with " ` $ \ escaped inside the quotes; then
# the value escapes "%" (field codes) and backslashes again.
set(HUDDLEPOD_EXEC "${program}")
if(program MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" HUDDLEPOD_EXEC "${program}")
    set(HUDDLEPOD_EXEC "\"${HUDDLEPOD_EXEC}\"")
endif()
string(REPLACE "%" "%%" HUDDLEPOD_EXEC "${HUDDLEPOD_EXEC}")
string(REPLACE "\\" "\\\\" HUDDLEPOD_EXEC "${HUDDLEPOD_EXEC}")

set(entry "${HUDDLEPOD_DESKTOP_WORK_DIR}/${HUDDLEPOD_APPLICATION_ID}.desktop")
configure_file("${HUDDLEPOD_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
file(INSTALL "${entry}" DESTINATION "${prefix}/${HUDDLEPOD_DATADIR}/applications" TYPE FILE)
