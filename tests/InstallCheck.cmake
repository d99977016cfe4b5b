# Installs the build into a scratch prefix and checks the result: the three programs in
# bin/ and the installed ones run; the help file byte for byte in share/velmora/; the
# desktop entry and the icons where desktops look for them.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DSCRATCH=... -DVERSION=... -P InstallCheck.cmake
cmake_minimum_required(VERSION 3.25)

set(failures 0)
macro(fail message)
  message(SEND_ERROR "${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

# A blank in the prefix, as in a home folder's "Velmora test": nothing may split it.
set(prefix "${SCRATCH}/Velmora prefix")
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}${err}")
endif()

set(share "${prefix}/share")
foreach(file bin/velmora bin/velmora-cli bin/velmora-sim share/velmora/Velmora.hlp
        share/applications/velmora.desktop share/icons/hicolor/scalable/apps/velmora.svg)
  if(NOT EXISTS "${prefix}/${file}")
    fail("not installed: ${file}")
  endif()
endforeach()

# The help file is Windows-1251: any conversion on the way would change its bytes.
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SOURCE_DIR}/Velmora.hlp"
                "${share}/velmora/Velmora.hlp" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  fail("the installed help file differs from Velmora.hlp")
endif()

# Each PNG is as large as the folder it is in says: width and height are the first two
# words of the IHDR chunk, at byte 16 of the file.
foreach(size 16 32 48 64 128 256)
  set(png "${share}/icons/hicolor/${size}x${size}/apps/velmora.png")
  if(NOT EXISTS "${png}")
    fail("not installed: the ${size}x${size} icon")
    continue()
  endif()
  file(READ "${png}" header HEX LIMIT 24)
  string(SUBSTRING "${header}" 0 16 signature)
  string(SUBSTRING "${header}" 32 16 dimensions)
  math(EXPR w "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "0x" "" w "${w}")
  string(LENGTH "${w}" n)
  while(n LESS 8)
    string(PREPEND w "0")
    string(LENGTH "${w}" n)
  endwhile()
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT dimensions STREQUAL "${w}${w}")
    fail("${png} is not a ${size}x${size} PNG (${signature} ${dimensions})")
  endif()
endforeach()

# The desktop entry: what starts the program and which icon it shows, in Russian too.
file(READ "${share}/applications/velmora.desktop" entry)
set(entry "\n${entry}")
foreach(line "[Desktop Entry]" "Type=Application" "Exec=velmora" "Icon=velmora"
        "Terminal=false" "Name=Velmora")
  string(FIND "${entry}" "\n${line}\n" at)
  if(at EQUAL -1)
    fail("the desktop entry lacks the line \"${line}\"")
  endif()
endforeach()
string(FIND "${entry}" "\nCategories=Development;Electronics;\n" at)
if(at EQUAL -1)
  fail("the desktop entry's categories are not Development;Electronics;")
endif()
foreach(key "Name[ru]" "GenericName[ru]" "Comment[ru]" "Comment")
  string(FIND "${entry}" "\n${key}=" at)
  if(at EQUAL -1)
    fail("the desktop entry lacks ${key}")
  endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND "${VALIDATE}" "${share}/applications/velmora.desktop"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
    fail("desktop-file-validate: ${out}${err}")
  endif()
endif()

# The installed programs start from the prefix: commands that need no port.
execute_process(COMMAND "${prefix}/bin/velmora-cli" --help
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^usage: velmora-cli .*\n  trans CID KIND ADDR COUNT")
  fail("velmora-cli --help: status ${rc}\n${out}${err}")
endif()
execute_process(COMMAND "${prefix}/bin/velmora-cli" trans 1 rdNothing 0 1
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT out STREQUAL "" OR NOT err MATCHES "^velmora-cli: ")
  fail("velmora-cli with an unknown kind: status ${rc}, expected 2\n${out}${err}")
endif()
execute_process(COMMAND "${prefix}/bin/velmora-sim" --print-config
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "node 01")
  fail("velmora-sim --print-config: status ${rc}\n${out}${err}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen --unset=DISPLAY
                "${prefix}/bin/velmora" --version
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES " ${VERSION}\n$")
  fail("velmora --version: status ${rc}\n${out}${err}")
endif()

if(failures EQUAL 0)
  file(REMOVE_RECURSE "${SCRATCH}")
else()
  message(FATAL_ERROR "${failures} install check(s) failed; the install is left in ${prefix}")
endif()
