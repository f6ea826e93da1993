# The shipped question bank: built from content/ with isamtool into the
# program's folder (MARVESSA_RUNTIME_DIR), so that a fresh build always has a
# valid bank beside the executable.
set(MARVESSA_RUNTIME_DIR ${CMAKE_BINARY_DIR}/bin)
file(GLOB bank_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/content/*.json ${PROJECT_SOURCE_DIR}/content/*.jsonl
     ${PROJECT_SOURCE_DIR}/content/exhibits/*)
set(bank_outputs ${MARVESSA_RUNTIME_DIR}/qvault.DAT ${MARVESSA_RUNTIME_DIR}/ces.DAT
                 ${MARVESSA_RUNTIME_DIR}/qvaultusr.DAT)
add_custom_command(
  OUTPUT ${bank_outputs}
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/build_bank.sh $<TARGET_FILE:isamtool>
          ${PROJECT_SOURCE_DIR}/content ${MARVESSA_RUNTIME_DIR}
  DEPENDS isamtool ${bank_sources} ${PROJECT_SOURCE_DIR}/scripts/build_bank.sh
  COMMENT "Building the question bank tables"
  VERBATIM)
add_custom_target(question_bank ALL DEPENDS ${bank_outputs})
