# Engine files with assorted ProductVersion strings for the version gate,
# each built as feed.dll in a folder of its own under engines/<name>/.
set(ENGINE_VERSIONS
    "v1080|1, 0, 8, 0"
    "v1081|1, 0, 8, 1"
    "v11|1, 1"
    "dotted|1.0.9.0"
    "field256|256, 0, 9, 0"
    "field264|1, 0, 264, 0")
add_custom_target(band_engine_versions)
foreach(entry ${ENGINE_VERSIONS})
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 PRODUCT_VERSION)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/engines/${name}/version.rc)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/engines/version.rc.in ${rc} @ONLY)
  add_library(engine_${name} SHARED ${CMAKE_CURRENT_LIST_DIR}/engines/Empty.cpp ${rc})
  set_target_properties(engine_${name} PROPERTIES PREFIX "" OUTPUT_NAME feed
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/engines/${name})
  add_dependencies(band_engine_versions engine_${name})
endforeach()
