# Wall-clock readings of the stored todos are compared in the device's zone: pin one.
orvel_test_environment(tst_poolsync TZ=Europe/Berlin)
