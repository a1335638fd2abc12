# The device runs in Europe/Berlin (+01:00 in winter) and the clock stands at Wednesday
# 2015-01-14 12:00:00 local time (11:00 UTC): instancing decides by it whether a rule is due,
# and linking stamps modified parents with it.
orvel_test_environment(tst_pool TZ=Europe/Berlin)
orvel_test_faketime(tst_pool "2015-01-14 12:00:00")
