# Occurrence dates are wall-clock readings compared with local bounds: pin the device's zone
# (CET in winter, with the summer time change on 29 March 2015) and the clock.
orvel_test_environment(tst_occurrences TZ=Europe/Berlin)
orvel_test_faketime(tst_occurrences "2015-01-14 12:00:00")
