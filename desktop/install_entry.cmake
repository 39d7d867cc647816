# Runs at install time (included by the install script): writes the launcher
# and the desktop entry with the full paths of the tree being installed, and
# installs them. DESTDIR is honoured by file(INSTALL).

function(finbowl_full_path dir out)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

finbowl_full_path("${FINBOWL_BINDIR}" bindir)
finbowl_full_path("${FINBOWL_LIBEXECDIR}/finbowl" launcherdir)
finbowl_full_path("${FINBOWL_DATADIR}/applications" applicationsdir)
set(FINBOWL_PROGRAM "${bindir}/finbowl")
set(FINBOWL_LAUNCHER "${launcherdir}/finbowl-launcher")

# The launcher quotes the program's path in single quotes and the entry's Exec
# key quotes the launcher's in double quotes; these characters would need
# escapes of their own there.
foreach(path IN ITEMS "${FINBOWL_PROGRAM}" "${FINBOWL_LAUNCHER}")
  if(path MATCHES "[\"'`$%\\\\\n]")
    message(FATAL_ERROR "A desktop entry cannot name \"${path}\": "
                        "choose an install prefix without quotes, $, %, \\ or line breaks.")
  endif()
endforeach()

configure_file("${FINBOWL_TEMPLATES}/finbowl-launcher.in" "${FINBOWL_STAGE}/finbowl-launcher" @ONLY)
configure_file("${FINBOWL_TEMPLATES}/finbowl.desktop.in" "${FINBOWL_STAGE}/${FINBOWL_APP_ID}.desktop"
               @ONLY)
file(INSTALL "${FINBOWL_STAGE}/finbowl-launcher" DESTINATION "${launcherdir}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                      WORLD_EXECUTE)
file(INSTALL "${FINBOWL_STAGE}/${FINBOWL_APP_ID}.desktop" DESTINATION "${applicationsdir}")
