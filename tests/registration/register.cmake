# The registration's behaviour depends on the Windows version: every emulated one.
px_add_gtest(registration_tests VERSIONS xp vista 7 8 81 10 11 GROUP registration)
