# The shipped 32-bit programs must start on Windows XP: Wine cannot prove
# that, their import tables can.
add_test(NAME imports.setup COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE:setup>)
