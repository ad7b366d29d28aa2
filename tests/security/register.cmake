# What a user without administrator rights could plant, against the shipped
# setup and uninstaller (Windows 10, the setup under WOW64; XP, 32-bit).
px_add_wine_test(NAME security
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/security/security_test.sh
                         $<TARGET_FILE:setup> ${PX_PAYLOAD_ZIP}
                 RAW SHIPPED VERSIONS 10 xp GROUP security TIMEOUT 600)
