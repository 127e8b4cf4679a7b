# Installation layout. The programs look for their plug-ins and help pages beside their
# executable, so the executables live with them in a private folder and the command path
# gets links to them.
include(GNUInstallDirs)
set(MOKOA_INSTALL_HOME "lib/mokoa" CACHE STRING
    "Folder under the prefix for the executables, plug-ins and help pages")

# mokoa_install_program(TARGET): the executable into the private folder, a relative link to
# it in the command path.
function(mokoa_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION "${MOKOA_INSTALL_HOME}")
  file(RELATIVE_PATH link "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${MOKOA_INSTALL_HOME}/${target}")
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    message(STATUS \"Installing: \${bin}/${target} -> ${link}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK \"${link}\" \"\${bin}/${target}\" SYMBOLIC)")
endfunction()

# mokoa_install_man_page(PAGE): a manual page (name.N in the current source folder),
# compressed as Debian keeps them.
function(mokoa_install_man_page page)
  string(REGEX MATCH "[0-9]$" section "${page}")
  set(packed "${CMAKE_CURRENT_BINARY_DIR}/${page}.gz")
  add_custom_command(OUTPUT "${packed}"
    COMMAND gzip -9nc "${CMAKE_CURRENT_SOURCE_DIR}/${page}" > "${packed}"
    DEPENDS "${page}"
    VERBATIM)
  add_custom_target(man_${page} ALL DEPENDS "${packed}")
  install(FILES "${packed}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man${section}")
endfunction()
