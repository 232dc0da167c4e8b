# cmake --install puts the programs in bin/ and their data in
# share/vantor-viewer/, where the programs look for it relative to their own
# folder; CPack makes a Debian package of the same tree.

include(GNUInstallDirs)

install(TARGETS vantor-viewer lidar-export sensor-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Kept in step with platform/InstallLayout: PREFIX/share/vantor-viewer.
set(VANTOR_DATA_DIR ${CMAKE_INSTALL_DATADIR}/vantor-viewer)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Resources/images/ DESTINATION ${VANTOR_DATA_DIR}/images)
install(FILES ${PROJECT_SOURCE_DIR}/Resources/guide/index.html
              ${PROJECT_SOURCE_DIR}/Resources/guide/range-image.png
        DESTINATION ${VANTOR_DATA_DIR}/guide)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vantor-viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/Resources/images/corvane.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME vantor-viewer.png)

# Manual pages made from each program's --help, with the sections the help
# has no room for (examples, exit status) from packaging/NAME.h2m.
find_program(HELP2MAN help2man REQUIRED)
set(_man_dir ${CMAKE_BINARY_DIR}/man)
set(_man_pages)
foreach(_entry
        "vantor-viewer|point-cloud viewer and configuration tool for the Vantor lidar"
        "lidar-export|writes lidar frames from live data or a capture into CSV, PCD, PLY, LAS or MCAP files"
        "sensor-sim|stands in for the Vantor lidar: sends its data and device packets")
    string(REPLACE "|" ";" _entry "${_entry}")
    list(GET _entry 0 _program)
    list(GET _entry 1 _summary)
    set(_include ${PROJECT_SOURCE_DIR}/packaging/${_program}.h2m)
    set(_include_args)
    set(_include_deps)
    if(EXISTS ${_include})
        set(_include_args --include=${_include})
        set(_include_deps ${_include})
    endif()
    set(_page ${_man_dir}/${_program}.1)
    # A sanitizer build's leak report at exit must not fail the page.
    add_custom_command(OUTPUT ${_page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_man_dir}
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                ${HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
                "--name=${_summary}" ${_include_args} --output=${_page} $<TARGET_FILE:${_program}>
        COMMAND gzip -9nf ${_page}
        DEPENDS ${_program} ${_include_deps}
        COMMENT "Manual page of ${_program}"
        VERBATIM)
    list(APPEND _man_pages ${_page}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${_man_pages})
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor-viewer)
set(CPACK_PACKAGE_VENDOR "Vantor")
set(CPACK_PACKAGE_CONTACT "Vantor Viewer developers <viewer@vantor.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Point-cloud viewer and configuration tool for the Vantor 128-channel lidar")
set(CPACK_PACKAGE_DESCRIPTION
    "Watch the sensor live in 3D, record and replay packet captures, inspect and export points\
 as CSV, and read and change the sensor's settings. With lidar-export, which writes frames\
 from live data or captures into CSV, PCD, PLY, LAS or MCAP files, and sensor-sim, which stands\
 in for the sensor.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the programs link come from dpkg-shlibdeps; the rest are
# loaded at run time: the OpenGL drivers of the 3D view and a font with the
# CJK glyphs some dialogs show. Opening the user guide needs xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, fonts-wqy-microhei")
# The Python module (python/, installed beside Debian's python3 modules) is
# built for one minor version of python3 and imports NumPy.
if(VANTOR_PYTHON)
    math(EXPR _python_next_minor "${Python_VERSION_MINOR} + 1")
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
           ", python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}~)"
           ", python3 (<< ${Python_VERSION_MAJOR}.${_python_next_minor}), python3-numpy")
    string(APPEND CPACK_PACKAGE_DESCRIPTION
           " The Python module vantor reads captures and live data into NumPy arrays.")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
