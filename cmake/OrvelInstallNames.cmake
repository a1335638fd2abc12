# The names under which a build is installed. The Qt 6 build keeps the plain names; the Qt 5 build
# carries a suffix on everything that would otherwise clash, so that both can live in one prefix
# (as Qt libraries that ship for both majors do):
#
#   what                  Qt 6                          Qt 5
#   shared library        liborvel-backend-lite.so.1    liborvel-backend-lite-qt5.so.1
#   CMake package/target  OrvelBackendLite              OrvelBackendLiteQt5
#   pkg-config module     orvel-backend-lite            orvel-backend-lite-qt5
#   headers               include/orvel/                include/orvel-qt5/orvel/
#   command-line program  orvel                         orvel-qt5
#
# The schema script and the translators' template are the same bytes for both builds and are
# read from one fixed place, so both builds install them to the same shared path.
if(QT_VERSION_MAJOR EQUAL 6)
    set(ORVEL_NAME_SUFFIX "")
    set(ORVEL_PACKAGE_NAME OrvelBackendLite)
    set(ORVEL_INCLUDE_SUBDIR "")
    # The other major's names, for the message that stops a consumer compiled against it.
    set(ORVEL_OTHER_QT_MAJOR 5)
    set(ORVEL_OTHER_PACKAGE_NAME OrvelBackendLiteQt5)
    set(ORVEL_OTHER_PKGCONFIG_NAME orvel-backend-lite-qt5)
else()
    set(ORVEL_NAME_SUFFIX "-qt${QT_VERSION_MAJOR}")
    set(ORVEL_PACKAGE_NAME OrvelBackendLiteQt${QT_VERSION_MAJOR})
    set(ORVEL_INCLUDE_SUBDIR "orvel-qt${QT_VERSION_MAJOR}")
    set(ORVEL_OTHER_QT_MAJOR 6)
    set(ORVEL_OTHER_PACKAGE_NAME OrvelBackendLite)
    set(ORVEL_OTHER_PKGCONFIG_NAME orvel-backend-lite)
endif()

# File name stem of the shared library, and the name of its pkg-config module.
set(ORVEL_LIBRARY_NAME orvel-backend-lite${ORVEL_NAME_SUFFIX})
set(ORVEL_PKGCONFIG_NAME ${ORVEL_LIBRARY_NAME})
set(ORVEL_CLI_NAME orvel${ORVEL_NAME_SUFFIX})

# Directory that consumers put on their include path; the headers sit in its orvel/ folder.
if(ORVEL_INCLUDE_SUBDIR)
    set(ORVEL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/${ORVEL_INCLUDE_SUBDIR})
else()
    set(ORVEL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
endif()
set(ORVEL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/${ORVEL_PACKAGE_NAME})
