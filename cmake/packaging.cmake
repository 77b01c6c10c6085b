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
    # Software centres find the program through its metainfo, whose id names the desktop entry.
    install(FILES data/app.wordloom.wordloom.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES data/app.wordloom.wordloom.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES data/wordloom.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES data/wordloom.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
    install(CODE "
        file(CREATE_LINK ../${WORDLOOM_INSTALL_APP_DIR}/wordloom
             \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/wordloom\" SYMBOLIC)
    ")
endif()

# The Debian documentation: the copyright file and the changelog (gzip -n keeps the package
# reproducible), and the manual pages.
set(WORDLOOM_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/wordloom)
install(FILES packaging/copyright DESTINATION ${WORDLOOM_DOC_DIR})
function(wordloom_gzip_install source destination)
    get_filename_component(name ${source} NAME)
    set(compressed ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
        COMMAND gzip -9n < ${PROJECT_SOURCE_DIR}/${source} > ${compressed}
        DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
    string(MAKE_C_IDENTIFIER ${name} target)
    add_custom_target(gzip_${target} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${destination})
endfunction()
wordloom_gzip_install(packaging/changelog ${WORDLOOM_DOC_DIR})
if(TARGET wordloom)
    wordloom_gzip_install(docs/man/wordloom.1 ${CMAKE_INSTALL_MANDIR}/man1)
endif()
# The batch tool's page is made from its template at build time (cli/CMakeLists.txt).
install(FILES ${WORDLOOM_UNSCRAMBLE_MANUAL_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/wordloom-unscramble.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME wordloom-unscramble)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wordloom)
set(CPACK_PACKAGE_VENDOR "Quillmark")
set(CPACK_PACKAGE_CONTACT "Wordloom support <support@wordloom.app>")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "word unscrambler with a desktop window and a batch tool
Wordloom Anagram Finder Studio finds every dictionary word that a set of
letters spells, with ? as a blank that stands for any one letter. Letter
sets are typed in or read from text files; the results can be copied to
the clipboard, saved as a column-aligned text file or opened in a
spreadsheet application.
.
The batch tool wordloom-unscramble gives the same results on the command
line, for scripts and large jobs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_STRIP_FILES ON)
# The shared libraries the programs link (Qt 6 widgets and gui, whose libqt6gui6 also ships the
# xcb platform plugin, libxlsxwriter, zlib) come from dpkg-shlibdeps; the rest is used at run time.
# fonts-dejavu-core gives fontconfig a proportional sans-serif face: with fonts-liberation alone
# it answers Liberation Mono, and every dialog would come up in a monospace font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation, xdg-utils")
include(CPack)
