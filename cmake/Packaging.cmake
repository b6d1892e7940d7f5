# What an installed program needs besides its binary, so that a desktop finds it, opens ".etq"
# files with it and shows its icon; and the Debian package made of the same install.

set(VORLAP_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(FILES ${VORLAP_PACKAGING_DIR}/vorlap.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VORLAP_PACKAGING_DIR}/vorlap.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${VORLAP_PACKAGING_DIR}/icons/vorlap.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
    install(FILES ${VORLAP_PACKAGING_DIR}/icons/vorlap-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME vorlap.png)
endforeach()
# The catalogue of label sheets, which the program prefers to its built-in copy so that it can
# be updated without a new build.
install(FILES ${PROJECT_SOURCE_DIR}/data/planches.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/vorlap)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/vorlap/examples
        FILES_MATCHING PATTERN "*.etq")

# Debian policy asks every package for its copyright file and its changelog, compressed with
# gzip -9n. The changelog's entry takes the project's version; SOURCE_DATE_EPOCH, when set,
# fixes its date.
# The maintainer needs a domain name: lintian takes a mail host such as localhost for an error.
set(VORLAP_MAINTAINER "Vorlap developers <vorlap@example.org>")
string(TIMESTAMP VORLAP_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
# The package is native (its version has no Debian revision), so its changelog is changelog.gz.
set(VORLAP_CHANGELOG ${PROJECT_BINARY_DIR}/packaging/changelog)
configure_file(${VORLAP_PACKAGING_DIR}/changelog.in ${VORLAP_CHANGELOG} @ONLY)
execute_process(COMMAND gzip -9 -n -k -f ${VORLAP_CHANGELOG} COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${VORLAP_PACKAGING_DIR}/copyright ${VORLAP_CHANGELOG}.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlap)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vorlap")
set(CPACK_PACKAGE_CONTACT ${VORLAP_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "label designer with a French user interface")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Draws labels of any size, or round CD labels, out of lines, rectangles,\n\
ellipses, arcs, polygons, texts, pictures and barcodes (EAN, UPC, Code 128,\n\
Code 39, ITF-14, QR Code, Data Matrix, PDF417), lays copies of them out on an\n\
A4 sheet, previews and prints them. Labels are plain text files ending in .etq.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries come from the binary itself (dpkg-shlibdeps); these are loaded or read at run
# time: Qt's window-system plugins, the fonts labels are measured with, Qt's French texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, shared-mime-info, desktop-file-utils")
include(CPack)
