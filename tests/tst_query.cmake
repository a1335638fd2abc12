# The alphabetical orders sort on readable dates, which depend on the clock and the device's zone.
# The clock stands at 2015-01-14 12:00:00 in Europe/Berlin; the kept sort keys' cases move it by
# rewriting libfaketime's timestamp file, which is re-read at every clock reading.
set(ORVEL_QUERY_CLOCK ${CMAKE_CURRENT_BINARY_DIR}/tst_query.clock)
target_compile_definitions(tst_query PRIVATE ORVEL_TEST_CLOCK_FILE="${ORVEL_QUERY_CLOCK}")
orvel_test_environment(tst_query TZ=Europe/Berlin)
orvel_test_faketime_file(tst_query ${ORVEL_QUERY_CLOCK} "2015-01-14 12:00:00")
