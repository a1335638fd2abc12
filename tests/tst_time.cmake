# The device runs in UTC (zone string +00:00) with the clock frozen at a known instant.
orvel_test_environment(tst_time TZ=UTC)
orvel_test_faketime(tst_time "2015-01-14 12:00:00")
