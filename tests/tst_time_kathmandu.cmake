# A zone with a quarter-hour offset that changed once (+05:30 until 1986, +05:45 since).
orvel_test_environment(tst_time_kathmandu TZ=Asia/Kathmandu)
orvel_test_faketime(tst_time_kathmandu "2015-01-14 12:00:00")
