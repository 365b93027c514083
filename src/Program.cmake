# The program: every window and subsystem in one library that the executable and the tests
# share, and the executable itself.
file(GLOB_RECURSE PROGRAM_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/app/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/main/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/player/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/playlist/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/picture/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/mixer/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/settings/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/shell/*.cpp)
list(FILTER PROGRAM_SOURCES EXCLUDE REGEX
  "/(player/Entries|player/MediaPlayer[^/]*|mixer/AMixer[^/]*|settings/Registry[^/]*|app/main)\\.cpp$")
file(GLOB_RECURSE PROGRAM_RESOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
set(CMAKE_AUTORCC ON)
add_library(ostrivo_program STATIC ${PROGRAM_SOURCES} ${PROGRAM_RESOURCES})
target_link_libraries(ostrivo_program PUBLIC
  ostrivo_entries ostrivo_mediaplayer ostrivo_amixer ostrivo_registry ostrivo_platform_shell
  Qt6::Widgets Qt6::DBus JPEG::JPEG)
if(TARGET ostrivo_platform_fs)
  target_link_libraries(ostrivo_program PUBLIC ostrivo_platform_fs)
endif()

# The executable needs the real back ends.
if(NOT (TARGET ostrivo_platform_media AND TARGET ostrivo_platform_mixer AND TARGET ostrivo_platform_registry))
  return()
endif()
add_executable(ostrivo ${CMAKE_CURRENT_SOURCE_DIR}/app/main.cpp)
target_link_libraries(ostrivo PRIVATE ostrivo_program)
set_target_properties(ostrivo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
# The help file and the demo play list are installed beside the program.
add_custom_command(TARGET ostrivo POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/help ${PROJECT_BINARY_DIR}/help
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/demo ${PROJECT_BINARY_DIR}/demo)
