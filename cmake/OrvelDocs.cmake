# The "docs" target: the API reference of the public headers, built with Doxygen. Every public
# class, member, signal and enum value must carry a doc comment; any warning fails the target.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
    message(STATUS "Doxygen not found: the target docs is not available")
    return()
endif()

# The input is the whole public header folder, so headers added later are covered without a
# change here, plus the configuration header that src/ generates at configure time.
set(ORVEL_DOCS_OUTPUT ${PROJECT_BINARY_DIR}/docs)
configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${ORVEL_DOCS_OUTPUT}/Doxyfile @ONLY)
add_custom_target(docs
    COMMAND Doxygen::doxygen ${ORVEL_DOCS_OUTPUT}/Doxyfile
    WORKING_DIRECTORY ${ORVEL_DOCS_OUTPUT}
    COMMENT "Generating the API reference in ${ORVEL_DOCS_OUTPUT}/html"
    VERBATIM)
