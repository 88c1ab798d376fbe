# Runs "orvel-cli dump" on every template and fails when one does not open
# cleanly: cmake -DCLI=<orvel-cli> -DFOLDER=<templates> -DNAMES=<a;b;...> -P DumpTemplates.cmake
cmake_minimum_required(VERSION 3.25)

foreach(name IN LISTS NAMES)
  set(file ${FOLDER}/${name}.dtf)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} is missing")
  endif()
  execute_process(COMMAND ${CLI} dump ${file} RESULT_VARIABLE status OUTPUT_VARIABLE json ERROR_VARIABLE messages)
  if(NOT status EQUAL 0 OR NOT messages STREQUAL "")
    message(FATAL_ERROR "orvel-cli dump ${file}: status ${status}\n${messages}")
  endif()
  string(JSON records ERROR_VARIABLE json_error LENGTH "${json}" records)
  if(json_error OR records LESS 3)
    message(FATAL_ERROR "orvel-cli dump ${file}: expected at least three records (${json_error})")
  endif()
  message(STATUS "${name}.dtf: ${records} records")
endforeach()
