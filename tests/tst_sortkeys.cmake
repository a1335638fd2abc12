# The kept sort keys depend on the clock, the zone and the translations; the test moves the
# clock by rewriting libfaketime's timestamp file, which is re-read at every clock reading.
set(ORVEL_SORTKEYS_CLOCK ${CMAKE_CURRENT_BINARY_DIR}/tst_sortkeys.clock)
target_compile_definitions(tst_sortkeys PRIVATE ORVEL_TEST_CLOCK_FILE="${ORVEL_SORTKEYS_CLOCK}")
orvel_test_environment(tst_sortkeys TZ=Europe/Berlin "LD_PRELOAD=${ORVEL_FAKETIME_LIBRARY}"
    "FAKETIME_TIMESTAMP_FILE=${ORVEL_SORTKEYS_CLOCK}" FAKETIME_NO_CACHE=1
    FAKETIME_DONT_FAKE_MONOTONIC=1 "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1")
