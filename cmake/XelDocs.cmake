# API documentation from the headers (Doxygen).
#   docs            HTML reference in <build>/docs/api/html, after the strict check below.
#   docs-check      Doxygen over the headers listed in docs/documented-headers.txt alone, every
#                   warning (an undocumented public member included) is an error. A header
#                   joins the list once all its public members are documented.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  return()
endif()

file(STRINGS ${PROJECT_SOURCE_DIR}/docs/documented-headers.txt _xel_documented REGEX "^[^#]")
set(XEL_DOXY_STRICT_INPUT "")
foreach(h IN LISTS _xel_documented)
  string(STRIP "${h}" h)
  if(h)
    string(APPEND XEL_DOXY_STRICT_INPUT " \"${PROJECT_SOURCE_DIR}/${h}\"")
  endif()
endforeach()

# Full reference: every exported header, every member shown (the free functions and globals
# of headers without a \file comment included).
set(XEL_DOXY_INPUT "\"${PROJECT_SOURCE_DIR}/AdvancedMathematics/include\" \"${PROJECT_SOURCE_DIR}/KernelBase/include\" \"${PROJECT_SOURCE_DIR}/docs/api-mainpage.md\"")
set(XEL_DOXY_OUTPUT ${PROJECT_BINARY_DIR}/docs/api)
set(XEL_DOXY_WARN_AS_ERROR NO)
set(XEL_DOXY_EXTRACT_ALL YES)
set(XEL_DOXY_WARN_IF_UNDOCUMENTED NO)
set(XEL_DOXY_GENERATE_HTML YES)
set(XEL_DOXY_GENERATE_XML NO)
set(XEL_DOXY_MAINPAGE "${PROJECT_SOURCE_DIR}/docs/api-mainpage.md")
configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${PROJECT_BINARY_DIR}/docs/Doxyfile @ONLY)

# Strict check of the documented headers: XML output only; any warning fails the build.
set(XEL_DOXY_INPUT "${XEL_DOXY_STRICT_INPUT}")
set(XEL_DOXY_OUTPUT ${PROJECT_BINARY_DIR}/docs/check)
set(XEL_DOXY_WARN_AS_ERROR FAIL_ON_WARNINGS)
set(XEL_DOXY_EXTRACT_ALL NO)
set(XEL_DOXY_WARN_IF_UNDOCUMENTED YES)
set(XEL_DOXY_GENERATE_HTML NO)
set(XEL_DOXY_GENERATE_XML YES)
set(XEL_DOXY_MAINPAGE "")
configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${PROJECT_BINARY_DIR}/docs/Doxyfile.check @ONLY)

add_custom_target(docs-check
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/docs/check
  COMMAND Doxygen::doxygen ${PROJECT_BINARY_DIR}/docs/Doxyfile.check
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/docs
  COMMENT "Checking the documentation of the documented headers"
  VERBATIM)
add_custom_target(docs
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/docs/api
  COMMAND Doxygen::doxygen ${PROJECT_BINARY_DIR}/docs/Doxyfile
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/docs
  COMMENT "API reference in ${PROJECT_BINARY_DIR}/docs/api/html/index.html"
  VERBATIM)
add_dependencies(docs docs-check)
