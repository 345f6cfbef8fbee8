# Run at install time: writes the desktop entry with the executable's path under the prefix being
# installed to (the package's /usr, or ~/.local for a user's own install).
set(KEYMINT_EXEC "\"${CMAKE_INSTALL_PREFIX}/${KEYMINT_INSTALL_DIR}/keymint\"")
set(KEYMINT_ICON keymint)
configure_file(${KEYMINT_DESKTOP_TEMPLATE} ${KEYMINT_STAGED}/keymint.desktop @ONLY)
file(INSTALL ${KEYMINT_STAGED}/keymint.desktop DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
