# Checks the Debian package:
#   cmake -DDEB=<.deb> -DBUILD_DIR=<build> -DVERSION=<a.b.c> -DWORK=<folder> -P TestDebPackage.cmake
# Builds it first when it is missing or older than the programs.
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${result}):\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

set(stale FALSE)
if(NOT EXISTS "${DEB}")
  set(stale TRUE)
else()
  foreach(program app/orvel cli/orvel-cli)
    if("${BUILD_DIR}/${program}" IS_NEWER_THAN "${DEB}")
      set(stale TRUE)
    endif()
  endforeach()
endif()
if(stale)
  run(${CMAKE_COMMAND} --build "${BUILD_DIR}" --target deb)
endif()

# The contents.
run(dpkg-deb -c "${DEB}")
set(contents "${out}")
foreach(path
    ./usr/bin/orvel
    ./usr/bin/orvel-cli
    ./usr/bin/orvel-setup
    ./usr/share/applications/orvel.desktop
    ./usr/share/mime/packages/orvel.xml
    ./usr/share/icons/hicolor/scalable/apps/orvel.svg
    ./usr/share/metainfo/de.kwz.orvel.metainfo.xml
    ./usr/share/man/man1/orvel-cli.1.gz
    ./usr/share/doc/orvel/copyright
    ./usr/share/doc/orvel/changelog.gz
    ./usr/share/doc/orvel/hilfe/inhalt.html
    ./usr/share/orvel/tips.txt
    ./usr/share/orvel/Template/Address.dtf
    ./usr/share/orvel/Template/Pics.dbo)
  string(FIND "${contents}" " ${path}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The package lacks ${path}:\n${contents}")
  endif()
endforeach()
# Everything lies below /usr, owned by root; nothing of the build or tests.
string(REGEX MATCHALL "[^\n]+" lines "${contents}")
foreach(line IN LISTS lines)
  if(NOT line MATCHES " root/root +[0-9]+ [0-9-]+ [0-9:]+ \\./(usr/.*)?$")
    message(FATAL_ERROR "Unexpected entry in the package: ${line}")
  endif()
  if(line MATCHES "(gtest|gmock|benchmark|/include/|\\.a$)")
    message(FATAL_ERROR "Build or test file in the package: ${line}")
  endif()
endforeach()

# The control data: name, version, architecture, and dependencies that
# dpkg-shlibdeps found (Qt and the C library at least).
foreach(field Package Version Architecture Depends)
  run(dpkg-deb -f "${DEB}" ${field})
  string(STRIP "${out}" value_${field})
endforeach()
if(NOT value_Package STREQUAL "orvel" OR NOT value_Version STREQUAL "${VERSION}"
   OR NOT value_Architecture STREQUAL "amd64")
  message(FATAL_ERROR "Wrong control data: ${value_Package} ${value_Version} ${value_Architecture}")
endif()
foreach(library libc6 libqt6core6 libqt6widgets6 libstdc\\+\\+6)
  if(NOT value_Depends MATCHES "(^|, )${library}(t64)? \\(>= ")
    message(FATAL_ERROR "Depends lacks ${library}: ${value_Depends}")
  endif()
endforeach()

# Unpacked into a throw-away root, orvel-cli runs from there.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
run(dpkg -x "${DEB}" "${WORK}/root")
run(${CMAKE_COMMAND} -E env "LD_LIBRARY_PATH=${WORK}/root/usr/lib" "${WORK}/root/usr/bin/orvel-cli" --version)
if(NOT out MATCHES "${VERSION}")
  message(FATAL_ERROR "orvel-cli --version from the package says: ${out}")
endif()
file(REMOVE_RECURSE "${WORK}")

# lintian, when installed: no errors.
find_program(LINTIAN lintian)
if(LINTIAN)
  execute_process(COMMAND "${LINTIAN}" --no-tag-display-limit "${DEB}" OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(out MATCHES "(^|\n)E: ")
    message(FATAL_ERROR "lintian reports errors:\n${out}")
  endif()
  message(STATUS "lintian:\n${out}")
else()
  message(STATUS "lintian is not installed; skipped")
endif()
