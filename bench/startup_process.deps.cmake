# The benchmark starts the built program.
target_compile_definitions(bench_${name} PRIVATE OSTRIVO_BINARY_DIR="${PROJECT_BINARY_DIR}")
if(TARGET ostrivo)
  add_dependencies(bench_${name} ostrivo)
endif()
