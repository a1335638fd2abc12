# The date-time composition must not convert between zones: pin a zone in which a conversion
# would show.
orvel_test_environment(tst_localizednames TZ=Europe/Berlin)
