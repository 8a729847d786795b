# pelorin_add_version_resource(TARGET DESCRIPTION): gives a Windows exe its version resource
# (the exe's Properties, Details), from the project's version: the one place it is kept.
function(pelorin_add_version_resource target description)
  set(name ${target})
  set(file ${target}.exe)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
