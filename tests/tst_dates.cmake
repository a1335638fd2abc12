# A small German catalogue, compiled with lrelease at build time, and the clock of the readable
# date tests (Wednesday 14 January 2015 12:00 in Europe/Berlin).
if(TARGET Qt${QT_VERSION_MAJOR}::lrelease)
    set(ORVEL_TEST_LRELEASE Qt${QT_VERSION_MAJOR}::lrelease)
elseif(ORVEL_LRELEASE)
    set(ORVEL_TEST_LRELEASE ${ORVEL_LRELEASE})
else()
    message(FATAL_ERROR "lrelease not found: install qt6-l10n-tools (Qt 6) or qttools5-dev-tools (Qt 5)")
endif()

set(ORVEL_TEST_CATALOGUE ${CMAKE_CURRENT_BINARY_DIR}/orvel_test_de.qm)
add_custom_command(OUTPUT ${ORVEL_TEST_CATALOGUE}
    COMMAND ${ORVEL_TEST_LRELEASE} -silent ${CMAKE_CURRENT_SOURCE_DIR}/data/orvel_test_de.ts
            -qm ${ORVEL_TEST_CATALOGUE}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/data/orvel_test_de.ts
    COMMENT "Compiling the test catalogue orvel_test_de.qm"
    VERBATIM)
target_sources(tst_dates PRIVATE ${ORVEL_TEST_CATALOGUE})
target_compile_definitions(tst_dates PRIVATE ORVEL_TEST_CATALOGUE="${ORVEL_TEST_CATALOGUE}")

orvel_test_environment(tst_dates TZ=Europe/Berlin)
orvel_test_faketime(tst_dates "2015-01-14 12:00:00")
