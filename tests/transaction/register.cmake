# Runs cut off as by a power cut, two runs at once, an older folder's
# uninstaller: the shipped 32-bit setup with a payload of a few hundred files
# the test makes from the shipped one (Windows XP in a 32-bit prefix,
# Windows 10 under WOW64).
px_add_wine_test(NAME transaction
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/transaction/transaction_test.sh $<TARGET_FILE:setup>
                 RAW SHIPPED VERSIONS 10 xp GROUP transaction TIMEOUT 900)
