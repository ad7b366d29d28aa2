# The shipped 32-bit programs must start on Windows XP: Wine cannot prove
# that, their import tables can. The shell and COM are loaded on first use,
# so the setup must not import them at start-up.
add_test(NAME imports.setup COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE:setup>
         --not-at-start=shell32 --not-at-start=ole32)
