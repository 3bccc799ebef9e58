# Manual pages and the package's change log are installed compressed, as Debian has
# them: "gzip -9n" keeps no name or time, so every build gives the same bytes.
find_program(QVL_GZIP gzip REQUIRED)
set(QVL_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(QVL_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/packaging/changelog.gz)

set(qvlCompressed "")
foreach(document man/qvl.1 man/quorvalen.1 packaging/changelog)
  set(output ${CMAKE_BINARY_DIR}/${document}.gz)
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                     COMMAND sh -c "\"$0\" -9n < \"$1\" > \"$2\"" ${QVL_GZIP} ${PROJECT_SOURCE_DIR}/${document} ${output}
                     DEPENDS ${PROJECT_SOURCE_DIR}/${document}
                     COMMENT "Compressing ${document}"
                     VERBATIM)
  list(APPEND qvlCompressed ${output})
endforeach()
add_custom_target(qvl_documents ALL DEPENDS ${qvlCompressed})
