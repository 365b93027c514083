list(APPEND OSTRIVO_TEST_DEPS ostrivo_platform_registry)

# A second program that writes to the same hive files, for the tests between processes.
if(NOT TARGET ostrivo_hive_writer)
  add_executable(ostrivo_hive_writer ${CMAKE_CURRENT_LIST_DIR}/helper/HiveWriter.cpp)
  target_link_libraries(ostrivo_hive_writer PRIVATE ostrivo_platform_registry)
endif()
add_dependencies(${name} ostrivo_hive_writer)
target_compile_definitions(${name} PRIVATE
  OSTRIVO_HIVE_WRITER="$<TARGET_FILE:ostrivo_hive_writer>")
