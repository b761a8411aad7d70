# What the extras plugin takes from the program that loads it: the program's
# own names the plugin leaves undefined.  Writes a dynamic list (the names the
# program exports) and a linker script that pulls the objects defining them in.
#   cmake -DNM=nm -DPLUGIN=kazumaki-extras.so -DLIST=out.list -DPULL=out.ld -P plugin_imports.cmake
execute_process(COMMAND ${NM} -D --undefined-only ${PLUGIN} OUTPUT_VARIABLE undefined RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${PLUGIN}")
endif()
# km:: functions, their vtables, type infos and thunks, by their mangled names.
string(REGEX MATCHALL "_Z(T[VIS]|Thn[0-9]+_)?NK?2km[A-Za-z0-9_]*" names "${undefined}")
list(REMOVE_DUPLICATES names)
list(SORT names)
if(NOT names)
  message(FATAL_ERROR "${PLUGIN} takes nothing from the program: not the plugin that was built?")
endif()
list(JOIN names ";\n  " body)
file(WRITE ${LIST}.new "{\n  ${body};\n};\n")
list(JOIN names " " pulled)
file(WRITE ${PULL}.new "EXTERN(${pulled})\n")
# Rewritten only when they change, so that the program is linked again only then.
file(COPY_FILE ${LIST}.new ${LIST} ONLY_IF_DIFFERENT)
file(COPY_FILE ${PULL}.new ${PULL} ONLY_IF_DIFFERENT)
