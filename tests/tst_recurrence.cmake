# A rule without a sample reads its range in the device's zone: pin it to UTC.
orvel_test_environment(tst_recurrence TZ=UTC)
