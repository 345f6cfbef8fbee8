# Fills the winget manifest from a built installer: its version, where it will be downloaded
# from, and its SHA-256, in uppercase hex as winget writes it.
#   cmake -DINSTALLER=... -DVERSION=... -DURL=... -DTEMPLATES=... -DOUT=... -P fill.cmake
file(SHA256 ${INSTALLER} SHA256)
string(TOUPPER ${SHA256} SHA256)
file(GLOB templates ${TEMPLATES}/*.yaml.in)
foreach(template ${templates})
  get_filename_component(name ${template} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  configure_file(${template} ${OUT}/${VERSION}/${name} @ONLY NEWLINE_STYLE UNIX)
endforeach()
