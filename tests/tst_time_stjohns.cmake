# A zone with a negative half-hour offset and daylight-saving time (-03:30 / -02:30).
orvel_test_environment(tst_time_stjohns TZ=America/St_Johns)
orvel_test_faketime(tst_time_stjohns "2015-01-14 12:00:00")
