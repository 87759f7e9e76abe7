# What `cmake --install` puts where (Linux only: on Windows the plug-in's folder, build/*/Skimmer,
# is copied into FAR's by hand). Every destination is relative to the prefix, so a staged or
# relocated prefix (`cmake --install build --prefix DIR`, a package's DESTDIR) gets the same tree:
#
#   bin/                                    skimmer, skimmer-index
#   <libdir>/skimmer/plugins/skimmer/       skimmer.so with its .lng and .hlf files
#   lib/systemd/user/                       skimmer-index.service (SKIMMER_SYSTEMD_USER_UNIT_DIR)
#   share/doc/skimmer/                      README.md, docs/
#   share/man, share/bash-completion, ...   dist/CMakeLists.txt
#
# <libdir> is GNUInstallDirs' CMAKE_INSTALL_LIBDIR: lib/x86_64-linux-gnu for the prefix /usr on
# Debian, lib elsewhere. The host finds the installed plug-in folder from its own folder by the
# relative path from bin/ computed here, never by an absolute one.
if(SKIMMER_WINDOWS)
  return()
endif()

# The package's name, not the project's capitalised one (Debian's /usr/share/doc/<package>).
set(CMAKE_INSTALL_DOCDIR "share/doc/skimmer" CACHE PATH "Documentation (DATAROOTDIR/doc/skimmer)")
include(GNUInstallDirs)
set(SKIMMER_SYSTEMD_USER_UNIT_DIR "lib/systemd/user" CACHE PATH
    "Where the skimmer-index user unit is installed, relative to the prefix (or absolute)")

set(SKIMMER_INSTALL_PLUGIN_DIR "${CMAKE_INSTALL_LIBDIR}/skimmer/plugins/skimmer")
file(RELATIVE_PATH SKIMMER_INSTALLED_PLUGINS_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_LIBDIR}/skimmer/plugins")
set_source_files_properties(${PROJECT_SOURCE_DIR}/host/app/plugin_module.cpp TARGET_DIRECTORY skimmer_host_app
                            PROPERTIES COMPILE_DEFINITIONS
                            "SKIMMER_INSTALLED_PLUGINS_FROM_BIN=\"${SKIMMER_INSTALLED_PLUGINS_FROM_BIN}\"")

install(TARGETS skimmer skimmer-index RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS skimmer_module LIBRARY DESTINATION ${SKIMMER_INSTALL_PLUGIN_DIR})
file(GLOB skimmer_language_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/lng/*.lng ${PROJECT_SOURCE_DIR}/lng/*.hlf)
install(FILES ${skimmer_language_files} DESTINATION ${SKIMMER_INSTALL_PLUGIN_DIR})

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
# README.md links to docs/*.md: the same layout keeps the links working.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs FILES_MATCHING PATTERN "*.md")

add_subdirectory(${PROJECT_SOURCE_DIR}/dist ${CMAKE_BINARY_DIR}/dist)
