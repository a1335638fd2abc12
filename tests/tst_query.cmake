# The alphabetical orders sort on readable dates, which depend on the clock and the device's zone.
orvel_test_environment(tst_query TZ=Europe/Berlin)
orvel_test_faketime(tst_query "2015-01-14 12:00:00")
