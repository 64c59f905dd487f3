# What `cmake --install` puts beside the programs, and the Debian package that
# `cpack -G DEB` makes of the same install tree.

# `lindo` finds its two helpers in libexec/lindo beside its own prefix.
install(TARGETS lindo RUNTIME DESTINATION bin)
install(TARGETS lindo-folders lindo-window RUNTIME DESTINATION libexec/lindo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lindo.desktop DESTINATION share/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lindo.png DESTINATION share/icons/hicolor/128x128/apps)
install(FILES ${PROJECT_SOURCE_DIR}/res/icons/lindo.png DESTINATION share/icons/hicolor/32x32/apps)
install(FILES ${PROJECT_SOURCE_DIR}/doc/lindo.1 DESTINATION share/man/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lindo.bash-completion
        DESTINATION share/bash-completion/completions RENAME lindo)

set(LINDO_PACKAGE_MAINTAINER "Lindo maintainers <maintainers@users.noreply.c-seed-9c16d8d3.example>"
    CACHE STRING "Name and address in the Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lindo)
set(CPACK_PACKAGE_VENDOR Brannock)
set(CPACK_PACKAGE_CONTACT "${LINDO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-by-side text file comparison and union merge")
set(CPACK_PACKAGE_DESCRIPTION
  "Lindo compares two text files line by line, shows them side by side with
every line coloured by its state, and merges them into one text (a union
merge: the second file with every stretch that exists only in the first
file inserted at its place). A second window compares two folder trees
file by file. The merge, the section list and the folder comparison also
run from the command line without a display.")
# Debian's own layout: /usr/bin/lindo finds its two helpers in /usr/libexec/lindo.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build's debugging information stays out of the package.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LINDO_PACKAGE_MAINTAINER}")
# The Qt 6 libraries (and whatever else the programs link) come from
# dpkg-shlibdeps, which reads them off the programs themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
