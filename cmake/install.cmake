# Installation: the programs, man pages, bash completion, the col and support
# libraries with their headers, a CMake package (find_package(col) gives
# col::col) and a pkg-config file; the licence as the package's copyright
# file; and the Debian package built by CPack.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(CPACK_PACKAGE_NAME morvel-suite)
set(MORVEL_SUITE_MAINTAINER "morvel suite maintainers <maintainers@morvel-suite.example.org>"
    CACHE STRING "Maintainer of the Debian package, \"Name <address>\"")
# The Debian revision of the package; the version is PROJECT_VERSION-this.
set(MORVEL_SUITE_DEBIAN_RELEASE 1)

# Headers go to include/col/ and find each other there; clients put only
# include/ on their path and write #include <col/col.h>, so the headers'
# generic names (file.h, output.h, ...) never meet the client's own.
set(COL_INCLUDE_SUBDIR col)

foreach(tool morvel tindra trasply colshow)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Man pages and the Debian changelog are installed compressed, as Debian
# wants them: gzip -9 without name or time stamp, so builds are reproducible.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed_docs)
function(add_compressed source output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "\"$1\" -9nc \"$2\" >\"$3\"" sh ${GZIP_PROGRAM} ${source} ${output}
    DEPENDS ${source} VERBATIM)
  set(compressed_docs ${compressed_docs} ${output} PARENT_SCOPE)
endfunction()

file(GLOB man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/man/*.[15])
foreach(page ${man_pages})
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE ".*\\." "" section ${name})
  add_compressed(${page} ${PROJECT_BINARY_DIR}/man/${name}.gz)
  install(FILES ${PROJECT_BINARY_DIR}/man/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
foreach(tool morvel tindra trasply colshow)
  if(EXISTS ${PROJECT_SOURCE_DIR}/completion/${tool})
    install(FILES ${PROJECT_SOURCE_DIR}/completion/${tool}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  endif()
endforeach()

if(TARGET col)
  target_include_directories(support PUBLIC $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_include_directories(col PUBLIC $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  set_target_properties(col support PROPERTIES POSITION_INDEPENDENT_CODE ON)
  install(TARGETS col support EXPORT colTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  # The decoding stack's headers (lib/support/input) go beside the others, as
  # before the folder was made: the installed headers stay the same set.
  file(GLOB public_headers ${PROJECT_SOURCE_DIR}/lib/col/*.h ${PROJECT_SOURCE_DIR}/lib/support/*.h
       ${PROJECT_SOURCE_DIR}/lib/support/input/*.h)
  install(FILES ${public_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${COL_INCLUDE_SUBDIR})

  set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/col)
  install(EXPORT colTargets NAMESPACE col:: DESTINATION ${config_dir})
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/colConfig.cmake.in
    ${PROJECT_BINARY_DIR}/colConfig.cmake INSTALL_DESTINATION ${config_dir})
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/colConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/colConfig.cmake ${PROJECT_BINARY_DIR}/colConfigVersion.cmake
          DESTINATION ${config_dir})

  configure_file(${PROJECT_SOURCE_DIR}/cmake/col.pc.in ${PROJECT_BINARY_DIR}/col.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/col.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()

# The licence, in Debian's machine-readable copyright format, and the Debian
# changelog.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
string(REGEX REPLACE "\n$" "" license_text "${license_text}")
string(REGEX REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REGEX REPLACE "\n" "\n " COPYRIGHT_LICENSE_TEXT " ${license_text}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${doc_dir})
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.Debian.in
               ${PROJECT_BINARY_DIR}/changelog.Debian @ONLY)
add_compressed(${PROJECT_BINARY_DIR}/changelog.Debian ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.Debian.gz DESTINATION ${doc_dir})
add_custom_target(compressed_docs ALL DEPENDS ${compressed_docs})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VENDOR "the morvel suite authors")
set(CPACK_PACKAGE_CONTACT "${MORVEL_SUITE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MORVEL_SUITE_MAINTAINER}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "col-file tools for sequence data: morvel, tindra, trasply, colshow")
set(CPACK_PACKAGE_DESCRIPTION "Command-line filters for molecular-sequence data around one plain-text
format, the col format, in which every residue is one line and its
properties (letter, positions, gene structure, colours) are columns.

morvel converts GenBank flat files into col files with gene-structure,
codon-position and strand columns; tindra colours chosen positions of
chosen entries; trasply turns col data in line form into column form;
colshow renders col files as a self-contained HTML page or an SVG figure.
All read plain, gzip- or zstd-compressed input and stream whole genomes.

Also included: the col library (static, with headers, a CMake package and
a pkg-config file) for reading and writing col files from C++20, and,
where it was built, the Python 3 module colfile, which reads col entries
into numpy arrays and pandas frames and writes them back.")
# Depends: the shared libraries the programs link, found by dpkg-shlibdeps;
# MORVEL_SUITE_DEPENDS is the list used where that tool is missing.
set(MORVEL_SUITE_DEPENDS "libc6, libstdc++6, zlib1g${COL_DEB_DEPENDS}")
find_program(DPKG_SHLIBDEPS_PROGRAM dpkg-shlibdeps)
if(DPKG_SHLIBDEPS_PROGRAM)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${MORVEL_SUITE_DEPENDS}")
endif()
# Building against the packaged col library also needs the headers of the
# compression libraries.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "zlib1g-dev, libisal-dev, libzstd-dev")
# The Python module needs numpy, and pandas for its frames.
if(TARGET _colfile)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3, python3-numpy")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "${CPACK_DEBIAN_PACKAGE_SUGGESTS}, python3-pandas")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${MORVEL_SUITE_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
