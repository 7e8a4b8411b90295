# Runs at the end of an installation, when the final prefix is known: the
# installation's settings, the menu entry, icons, metainfo and documents.
# Expects VV_SOURCE_DIR, VV_BINARY_DIR, VV_ICON_DIR and VV_PROGRAM_SUBDIR.

set(program "${CMAKE_INSTALL_PREFIX}/${VV_PROGRAM_SUBDIR}")
if(program MATCHES "\n")
  message(FATAL_ERROR "An installation folder with a line break in its name cannot be started from a menu.")
endif()

# An installation under /opt is one for the whole computer, as the package's
# is: its menu entry goes where desktops look. Any other prefix keeps it in
# PREFIX/share, from where a user copies it into ~/.local/share/applications.
if(CMAKE_INSTALL_PREFIX MATCHES "^/opt/")
  set(share /usr/share)
else()
  set(share "${CMAKE_INSTALL_PREFIX}/share")
endif()
set(staging "${VV_BINARY_DIR}/installed")
file(REMOVE_RECURSE "${staging}")

# The download link of the standard documents points at the archive in
# Standard/, so the editor's download works without a network.
file(WRITE "${staging}/Ordinalis.conf"
  "[Software\\Veltrano\\Ordinalis]\nDownload=file://${program}/Standard/Vorlagen-Bibliothek.zip\n")
file(INSTALL "${staging}/Ordinalis.conf" DESTINATION "${program}")

# Desktop entry values escape backslashes; Exec also quotes an argument with
# blanks or shell characters, escaping " ` $ \ inside, and doubles "%".
function(vv_desktop_value out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()
set(exec "${program}/vorlagen")
if(exec MATCHES "[] \t\"'\\\\><~|&;$*?#()`[]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")
vv_desktop_value(VV_DESKTOP_EXEC "${exec}")

set(icons 16 22 24 32 48 64 128 256)
# Desktops find the icon by name only in their system icon folders.
if(share STREQUAL "/usr/share" OR share STREQUAL "/usr/local/share")
  set(VV_DESKTOP_ICON de.veltrano.vorlagen)
else()
  vv_desktop_value(VV_DESKTOP_ICON "${share}/icons/hicolor/256x256/apps/de.veltrano.vorlagen.png")
endif()
configure_file("${VV_SOURCE_DIR}/de.veltrano.vorlagen.desktop.in" "${staging}/de.veltrano.vorlagen.desktop" @ONLY)
file(INSTALL "${staging}/de.veltrano.vorlagen.desktop" DESTINATION "${share}/applications")

foreach(size ${icons})
  file(INSTALL "${VV_ICON_DIR}/${size}x${size}/de.veltrano.vorlagen.png"
       DESTINATION "${share}/icons/hicolor/${size}x${size}/apps")
endforeach()
file(INSTALL "${VV_ICON_DIR}/de.veltrano.vorlagen.svg" DESTINATION "${share}/icons/hicolor/scalable/apps")
file(INSTALL "${VV_BINARY_DIR}/de.veltrano.vorlagen.metainfo.xml" DESTINATION "${share}/metainfo")
file(INSTALL "${VV_SOURCE_DIR}/copyright" "${VV_BINARY_DIR}/changelog.gz"
     DESTINATION "${share}/doc/veltrano-vorlagen")
file(INSTALL "${VV_SOURCE_DIR}/lintian-overrides" DESTINATION "${share}/lintian/overrides"
     RENAME veltrano-vorlagen)

# A package brings the library to the target computer in its postinst; an
# installation straight into its folder puts it there now.
if("$ENV{DESTDIR}" STREQUAL "")
  execute_process(COMMAND sh "${program}/vorlagen-einrichten" "${program}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "vorlagen-einrichten could not set up the library in ${program}")
  endif()
endif()
