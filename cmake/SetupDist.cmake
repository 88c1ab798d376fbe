# Lays out the disk set Setup installs Orvel 97 from:
#   cmake -DOUT=<folder> -DPACK=<orvel-setup-pack> -DSETUP=<orvel-setup>
#         -DORVEL=<orvel> -DCLI=<orvel-cli> -DTIPS=<tips.txt> -DVERSION=<a.b.c>
#         -P SetupDist.cmake
# One folder serves as the one disk: SETUP.INF, the marker Disk1.id, Setup
# itself, and the program's files, the executables compressed ("SZDD").
cmake_minimum_required(VERSION 3.25)

foreach(variable OUT PACK SETUP ORVEL CLI TIPS VERSION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "SetupDist.cmake needs -D${variable}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
file(COPY_FILE "${SETUP}" "${OUT}/Setup")
file(CHMOD "${OUT}/Setup" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
file(TOUCH "${OUT}/Disk1.id")

# Each file line: source on the disk, the expanded name, the final name.
set(file_lines "")
function(add_packed input source expanded final)
  execute_process(COMMAND "${PACK}" "${input}" "${OUT}/${source}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Packing ${input} failed")
  endif()
  file(SIZE "${input}" size)
  set(file_lines "${file_lines}1:${source},${expanded},${final},${size},p\n" PARENT_SCOPE)
endfunction()
function(add_plain input name)
  file(COPY_FILE "${input}" "${OUT}/${name}")
  file(SIZE "${input}" size)
  set(file_lines "${file_lines}1:${name},${name},${name},${size},p\n" PARENT_SCOPE)
endfunction()

add_packed("${ORVEL}" "ORVEL_" "ORVEL" "orvel")
add_packed("${CLI}" "ORVELCLI_" "ORVELCLI" "orvel-cli")
add_plain("${TIPS}" "tips.txt")

string(REGEX MATCHALL "[0-9]+" parts "${VERSION}")
list(LENGTH parts count)
while(count LESS 4)
  list(APPEND parts 0)
  math(EXPR count "${count} + 1")
endwhile()
list(SUBLIST parts 0 4 parts)
list(JOIN parts "." version4)

# Sections: header, disk labels, files, shortcuts, the ".reg" file, the
# registry values (file types and the uninstall key with its command line).
file(WRITE "${OUT}/SETUP.INF"
     "VERSION ${version4}\n"
     "Orvel 97\n"
     "Orvel97\n"
     "##\n"
     "Orvel 97 - Diskette 1\n"
     "##\n"
     "${file_lines}"
     "##\n"
     "%s\\orvel\n"
     "Orvel 97\n"
     "##\n"
     "REGEDIT4\n"
     "\n"
     "[HKEY_CLASSES_ROOT\\.ovd]\n"
     "@=\"Orvel.Database\"\n"
     "\n"
     "[HKEY_CLASSES_ROOT\\Orvel.Database\\shell\\open\\command]\n"
     "@=\"&file00; %1\"\n"
     "##\n"
     "HKCR,.ovd,,s,Orvel.Database\n"
     "HKCR,Orvel.Database,,s,Orvel 97 Datenbank\n"
     "HKCR,Orvel.Database\\shell\\open\\command,,s,\"&file00;\" \"%1\"\n"
     "HKLM,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvel97,DisplayName,s,Orvel 97\n"
     "HKLM,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvel97,UninstallString,s,"
     "&windir//UninsKWZ /uninstall &dest//Setup.log\n"
     "##\n")
message(STATUS "Disk set of Orvel 97 ${version4} in ${OUT}")
