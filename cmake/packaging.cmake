# Installation and the Debian package. The programs find words.dic and HAND-M.CUR beside their
# real executable, so everything lives together in lib/wordloom, with links in bin.
include(GNUInstallDirs)

set(WORDLOOM_INSTALL_APP_DIR ${CMAKE_INSTALL_LIBDIR}/wordloom)

install(TARGETS wordloom-unscramble RUNTIME DESTINATION ${WORDLOOM_INSTALL_APP_DIR})
install(FILES data/words.dic data/words.dic.LICENSE DESTINATION ${WORDLOOM_INSTALL_APP_DIR})
install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK ../${WORDLOOM_INSTALL_APP_DIR}/wordloom-unscramble
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/wordloom-unscramble\" SYMBOLIC)
")

if(TARGET wordloom)
    install(TARGETS wordloom RUNTIME DESTINATION ${WORDLOOM_INSTALL_APP_DIR})
    install(FILES data/HAND-M.CUR DESTINATION ${WORDLOOM_INSTALL_APP_DIR})
    install(FILES data/wordloom.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES data/wordloom.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES data/wordloom.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
    install(CODE "
        file(CREATE_LINK ../${WORDLOOM_INSTALL_APP_DIR}/wordloom
             \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/wordloom\" SYMBOLIC)
    ")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wordloom)
set(CPACK_PACKAGE_VENDOR "Quillmark")
set(CPACK_PACKAGE_CONTACT "Wordloom support <support@wordloom.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Wordloom Anagram Finder Studio - word unscrambler")
set(CPACK_PACKAGE_DESCRIPTION "Finds every dictionary word that a set of letters spells, \
with ? as a blank. Includes a desktop window and the batch tool wordloom-unscramble.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The shared libraries the programs link (Qt 6 widgets and gui, whose libqt6gui6 also ships the
# xcb platform plugin, libxlsxwriter, zlib) come from dpkg-shlibdeps; the rest is used at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, xdg-utils")
include(CPack)
