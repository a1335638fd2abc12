# Instancing takes dates in the device's zone and decides by the current time whether a rule is
# due: run in Europe/Berlin (+01:00 in winter) with the clock at 2015-01-14 12:00:00 local time.
orvel_test_environment(tst_instancing TZ=Europe/Berlin)
orvel_test_faketime(tst_instancing "2015-01-14 12:00:00")
