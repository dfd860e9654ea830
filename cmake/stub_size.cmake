# Writes the stub's string table with the size of the probe stub (cmake -P).
#   PROBE: the probe stub, TEMPLATE: the string table template, OUTPUT: the table to write.
file(SIZE ${PROBE} TALVEN_STUB_SIZE)
string(LENGTH "${TALVEN_STUB_SIZE}" digits)
if(NOT digits EQUAL 5)
  message(WARNING "stub size ${TALVEN_STUB_SIZE} has ${digits} digits, the probe has 5: widen the placeholder")
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
