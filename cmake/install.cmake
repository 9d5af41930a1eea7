# Installation: the programs, man pages, bash completion, the col and support
# libraries with their headers, a CMake package (find_package(col) gives
# col::col) and a pkg-config file; and the Debian package built by CPack.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(COL_INCLUDE_SUBDIR col)

foreach(tool morvel tindra trasply)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

file(GLOB man1_pages ${PROJECT_SOURCE_DIR}/man/*.1)
file(GLOB man5_pages ${PROJECT_SOURCE_DIR}/man/*.5)
install(FILES ${man1_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${man5_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)
foreach(tool morvel tindra trasply)
  if(EXISTS ${PROJECT_SOURCE_DIR}/completion/${tool})
    install(FILES ${PROJECT_SOURCE_DIR}/completion/${tool}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  endif()
endforeach()

if(TARGET col)
  target_include_directories(support PUBLIC $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/${COL_INCLUDE_SUBDIR}>)
  target_include_directories(col PUBLIC $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/${COL_INCLUDE_SUBDIR}>)
  set_target_properties(col support PROPERTIES POSITION_INDEPENDENT_CODE ON)
  install(TARGETS col support EXPORT colTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${COL_INCLUDE_SUBDIR})
  file(GLOB public_headers ${PROJECT_SOURCE_DIR}/lib/col/*.h ${PROJECT_SOURCE_DIR}/lib/support/*.h)
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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvel-suite)
set(CPACK_PACKAGE_VENDOR "morvel suite developers")
set(CPACK_PACKAGE_CONTACT "morvel suite developers <morvel-suite@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "col-file tools for sequence data: morvel, tindra, trasply")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "zlib1g (>= 1:1.2.0), libc6, libstdc++6${COL_DEB_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
