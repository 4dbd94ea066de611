# The release beside the build folder's product: the archive, the setup program and
# SHA256SUMS.txt. CPack's External generator runs this once it has staged the saver
# and its read-me (the package target). Two builds of one revision give the same
# bytes: the archive's entries carry the revision's time (SOURCE_DATE_EPOCH where it
# is set) and nothing else of a file's dates, which CMake's own zip writer adds (the
# access and change times), and the setup keeps no file dates at all.
set(staged ${CPACK_TEMPORARY_DIRECTORY})
set(archive ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip)
set(setup ${CPACK_PACKAGE_DIRECTORY}/KH_Schoner-Setup-${CPACK_PACKAGE_VERSION}.exe)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${CPACK_KH_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "no git revision to date the release by: set SOURCE_DATE_EPOCH")
  endif()
endif()

find_program(python3 python3)
find_program(makensis makensis)
if(NOT python3 OR NOT makensis)
  message(FATAL_ERROR "python3 or makensis (Debian's package nsis) is missing: bash tools/setup.sh")
endif()

# The saver and its read-me side by side, with no folder around them, so that
# unpacking puts KH_Schoner.scr where the user can right-click it.
execute_process(COMMAND ${python3} -c [=[
import sys, time, zipfile
archive, epoch, names = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as packed:
    for name in names:
        entry = zipfile.ZipInfo(name, time.gmtime(epoch)[:6])
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o644 << 16
        with open(name, "rb") as file:
            packed.writestr(entry, file.read())
]=] ${archive} ${epoch} KH_Schoner.scr LIESMICH.txt
  WORKING_DIRECTORY ${staged} COMMAND_ERROR_IS_FATAL ANY)

file(REMOVE ${setup})
execute_process(COMMAND ${makensis} -V2 -INPUTCHARSET UTF8 -DVERSION=${CPACK_PACKAGE_VERSION}
    -DSAVER=${staged}/KH_Schoner.scr -DICON=${CPACK_KH_SOURCE_DIR}/resources/pictures/saver.ico
    -DOUTFILE=${setup} ${CPACK_KH_SOURCE_DIR}/dist/KH_Schoner.nsi
  COMMAND_ERROR_IS_FATAL ANY)

# In the form `sha256sum -c` reads; certutil and Get-FileHash show the same digits.
set(sums "")
foreach(file ${archive} ${setup})
  file(SHA256 ${file} digest)
  get_filename_component(name ${file} NAME)
  string(APPEND sums "${digest}  ${name}\n")
endforeach()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS.txt "${sums}")
message(STATUS "release: ${archive}, ${setup}, SHA256SUMS.txt")
