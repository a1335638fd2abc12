# Readable dates are relative to now and to the device's zone: Wednesday 14 January 2015 12:00
# in Europe/Berlin (+01:00).
orvel_test_environment(tst_readabledate TZ=Europe/Berlin)
orvel_test_faketime(tst_readabledate "2015-01-14 12:00:00")
