# Records without a pool: the device runs in UTC, so a rule without sample reads its range in
# +00:00, and the clock stands still.
orvel_test_environment(tst_records TZ=UTC)
orvel_test_faketime(tst_records "2015-01-14 12:00:00")
