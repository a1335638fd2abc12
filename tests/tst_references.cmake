# Linking stamps modified parents with the current time: fix the clock, and keep the device's
# zone at UTC so that the loaded alarm times are re-based against a known offset.
orvel_test_environment(tst_references TZ=UTC)
orvel_test_faketime(tst_references "2015-01-14 12:00:00")
