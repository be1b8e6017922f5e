# set719k_version_info(<target> <file name> <description>): gives a Windows
# program its version resource, made from the project's version, so that
# Explorer's file properties show the version the program reports itself.
# The caller enables the RC language (enable_language works only at file
# scope).
function(set719k_version_info target file_name description)
  set(VERSION_FILE_NAME "${file_name}")
  set(VERSION_DESCRIPTION "${description}")
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_version_info.rc")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in" "${script}" @ONLY)
  target_sources(${target} PRIVATE "${script}")
endfunction()
