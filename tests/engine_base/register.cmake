# Engine building blocks. The probe runs under every emulated version; the
# rest does not depend on it beyond XP and a current system.
px_add_gtest(engine_base_tests VERSIONS xp 10 GROUP engine_base)
px_add_gtest(engine_version_probe_tests VERSIONS ${PX_ALL_WINVERS} GROUP engine_base)
