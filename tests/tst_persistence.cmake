# Rows written by the test carry the frozen time as their modification date.
orvel_test_environment(tst_persistence TZ=Europe/Berlin)
orvel_test_faketime(tst_persistence "2015-01-14 12:00:00")
