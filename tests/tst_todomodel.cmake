# Readable dates and the start of occurrences depend on the clock and the device's zone.
orvel_test_environment(tst_todomodel TZ=Europe/Berlin)
orvel_test_faketime(tst_todomodel "2015-01-14 12:00:00")
