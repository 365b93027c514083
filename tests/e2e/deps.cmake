list(APPEND OSTRIVO_TEST_DEPS ostrivo_registry)
# The tests start the built program, with its help and demo folders beside it.
if(TARGET ostrivo)
  add_dependencies(${name} ostrivo)
endif()
