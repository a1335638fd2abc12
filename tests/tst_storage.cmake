# Writing and reading rows. The device runs in Europe/Berlin, which has a daylight-saving gap
# that stored dates must never pass through, and the clock stands at 2015-01-14 12:00:00 local
# time, so every row written carries the modification time 2015-01-14 11:00:00.000 UTC.
orvel_test_environment(tst_storage TZ=Europe/Berlin)
orvel_test_faketime(tst_storage "2015-01-14 12:00:00")
