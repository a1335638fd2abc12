# Floating times are read in the device's zone and every setter stamps the current time: run in
# Asia/Kathmandu (+05:45) with the clock frozen at 2026-01-15 10:00:00 local time.
orvel_test_environment(tst_icalendar TZ=Asia/Kathmandu)
orvel_test_faketime(tst_icalendar "2026-01-15 10:00:00")
