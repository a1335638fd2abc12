# The same cases in three device zones, each with the clock frozen at 2015-01-14 12:00:00 local
# time: UTC, a quarter-hour offset that changed once (Asia/Kathmandu, +05:30 until 1986 and
# +05:45 since) and a negative half-hour offset with daylight-saving time (America/St_Johns,
# -03:30 / -02:30).
orvel_test_environment(tst_time TZ=UTC)
orvel_test_faketime(tst_time "2015-01-14 12:00:00")
foreach(zone Asia/Kathmandu America/St_Johns)
    string(REGEX REPLACE "^.*/" "" run "${zone}")
    string(TOLOWER "tst_time_${run}" run)
    add_test(NAME ${run} COMMAND tst_time)
    set_tests_properties(${run} PROPERTIES TIMEOUT 300)
    orvel_test_environment(${run} TZ=${zone})
    orvel_test_faketime(${run} "2015-01-14 12:00:00")
endforeach()
