# Import libraries that load their DLL at the first call into it rather than
# at process start. Under Wine each DLL loaded before main costs the start-up
# milliseconds, and the status libraries (wireless, Bluetooth, network, power)
# are first called by the top bar's workers, well after the first frame. The
# drawing and text libraries are first called once the graphics device is
# being made on its worker, so their loading runs beside it instead of before
# it; shell32 is first called for the start-up log's folder, just before.
#
#   vantreel_delay_load(<out-var> <import-library> <dll-file> ...)
#
# Each pair gives the name the toolchain's import library goes by (wlanapi)
# and the file it loads (wlanapi.dll). The exports are read from the
# toolchain's own import library, so every function it offers is delay-loaded.
function(vantreel_delay_load out)
  set(libraries)
  set(folder ${CMAKE_BINARY_DIR}/delayload)
  file(MAKE_DIRECTORY ${folder})
  set(args ${ARGN})
  while(args)
    list(POP_FRONT args name dll)
    find_library(VANTREEL_IMPORT_${name} NAMES ${name} REQUIRED)
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${VANTREEL_IMPORT_${name}}
                    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "__imp_[A-Za-z0-9_]+" exports "${symbols}")
    list(TRANSFORM exports REPLACE "^__imp_" "")
    list(REMOVE_DUPLICATES exports)
    list(JOIN exports "\n  " lines)
    set(def ${folder}/${name}.def)
    file(WRITE ${def} "LIBRARY ${dll}\nEXPORTS\n  ${lines}\n")
    set(archive ${folder}/lib${name}_delay.a)
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --output-delaylib ${archive}
                    COMMAND_ERROR_IS_FATAL ANY)
    list(APPEND libraries ${archive})
  endwhile()
  set(${out} ${libraries} PARENT_SCOPE)
endfunction()
