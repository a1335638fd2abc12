# A device zone with a daylight-saving gap, to show that stored dates never pass through it.
orvel_test_environment(tst_loaders TZ=Europe/Berlin)
