# The device's zone is pinned; the clock runs, since the guards measure processor time.
orvel_test_environment(tst_growth TZ=Europe/Berlin)
