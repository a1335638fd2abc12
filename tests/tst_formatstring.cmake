# The date placeholder expands to the readable date, which is relative to now.
orvel_test_environment(tst_formatstring TZ=Europe/Berlin)
orvel_test_faketime(tst_formatstring "2015-01-14 12:00:00")
