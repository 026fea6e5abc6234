# Data of the system-file module built into the program: the reference
# version table (a C++ table generated from data/reference_versions.tsv) and
# the resources of type "bin" (the 18 digest indexes and IMEFIX.REG).

set(VEXLO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

# ---- reference version table ----
set(vexlo_version_tsv ${CMAKE_SOURCE_DIR}/data/reference_versions.tsv)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${vexlo_version_tsv})
file(STRINGS ${vexlo_version_tsv} vexlo_version_lines ENCODING UTF-8)
set(vexlo_version_rows "")
set(vexlo_line_number 0)
foreach(line IN LISTS vexlo_version_lines)
  math(EXPR vexlo_line_number "${vexlo_line_number} + 1")
  # Key, file name, version text: printable ASCII without quote or backslash,
  # so each goes into a string literal as it is.
  string(FIND "${line}" "\"" quote)
  string(FIND "${line}" "\\" backslash)
  if(NOT quote EQUAL -1 OR NOT backslash EQUAL -1 OR NOT line MATCHES "^[\t -~]+$" OR
     NOT line MATCHES "^([0-9][0-9][0-9][0-9]\\.[0-9][0-9][0-9][0-9]\\.[0-9][0-9][0-9][0-9])\t([^\t ]+)\t([^\t]+)$")
    message(FATAL_ERROR "${vexlo_version_tsv}:${vexlo_line_number}: not a row of key, file name and version text")
  endif()
  string(APPEND vexlo_version_rows "    {u\"${CMAKE_MATCH_1}\", u\"${CMAKE_MATCH_2}\", u\"${CMAKE_MATCH_3}\"},\n")
endforeach()
if(vexlo_line_number EQUAL 0)
  message(FATAL_ERROR "${vexlo_version_tsv} holds no rows")
endif()
file(CONFIGURE OUTPUT ${VEXLO_GENERATED_DIR}/sysfile/reference_versions.inc CONTENT "${vexlo_version_rows}" @ONLY)
target_include_directories(vexlo_core PRIVATE ${VEXLO_GENERATED_DIR})

# ---- resources ----
# Platform keys of the indexes, in the order of their resource ids 214 to 231.
set(VEXLO_INDEX_KEYS
  0501.0300.2052 0501.0000.1033 0501.0000.2052 0501.0100.1033 0501.0100.2052 0501.0200.1033
  0501.0200.2052 0501.0300.1033 0601.0000.0000 0502.0000.1033 0502.0000.2052 0502.0100.1033
  0502.0100.2052 0502.0200.1033 0502.0200.2052 0600.0000.0000 0600.0100.0000 0600.0200.0000)

# Compiles the "bin" resources into a program, with the indexes of
# index_dir (<platform key>.idx each). With CHECK_FILES the files must exist
# now; otherwise they are outputs of the build that the resources wait for.
function(vexlo_add_sysfile_resources target index_dir)
  cmake_parse_arguments(arg "CHECK_FILES" "" "" ${ARGN})
  set(lines "")
  set(files "")
  set(id 214)
  foreach(key IN LISTS VEXLO_INDEX_KEYS)
    set(file "${index_dir}/${key}.idx")
    if(arg_CHECK_FILES AND NOT EXISTS "${file}")
      message(FATAL_ERROR "no digest index ${file} (VEXLO_INDEX_DIR needs one file per platform key)")
    endif()
    string(APPEND lines "${id} bin \"${file}\"\n")
    list(APPEND files "${file}")
    math(EXPR id "${id} + 1")
  endforeach()
  set(VEXLO_SYSFILE_INDEX_RESOURCES "${lines}")
  set(VEXLO_IMEFIX_REG "${CMAKE_SOURCE_DIR}/data/IMEFIX.REG")
  set(rc ${VEXLO_GENERATED_DIR}/${target}/sysfile_resources.rc)
  configure_file(${CMAKE_SOURCE_DIR}/src/modules/sysfile/sysfile_resources.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${files};${VEXLO_IMEFIX_REG}")
endfunction()
