# Runs EXE (through EMULATOR) with the list ARGS and checks its exit code
# (EXIT) and its whole standard output against the regular expression EXPECT.
execute_process(COMMAND ${EMULATOR} ${EXE} ${ARGS} RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT code STREQUAL EXIT)
  message(FATAL_ERROR "exit code ${code}, expected ${EXIT}\nstdout:\n${output}\nstderr:\n${errors}")
endif()
if(NOT output MATCHES "${EXPECT}")
  message(FATAL_ERROR "standard output does not match\n${EXPECT}\nstdout:\n${output}")
endif()
