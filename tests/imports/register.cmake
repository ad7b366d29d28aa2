# The shipped 32-bit programs must start on Windows XP: Wine cannot prove
# that, their import tables can. The shell and COM are delay-loaded.
set(delay_lists ${PROJECT_BINARY_DIR}/app/delay-load-setup)
add_test(NAME imports.setup COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE:setup>
         --delay=${delay_lists}/shell32.imports --delay=${delay_lists}/ole32.imports)
