# cmake -DSOURCE_DIR=<repository> -P XelCheckUmbrella.cmake
# Fails when an exported header is missing from the umbrella header XelAdvancedMathematics.h.
file(READ ${SOURCE_DIR}/AdvancedMathematics/include/XelAdvancedMathematics.h umbrella)
file(GLOB headers ${SOURCE_DIR}/KernelBase/include/*.h ${SOURCE_DIR}/AdvancedMathematics/include/*.h)
set(missing "")
foreach(h IN LISTS headers)
  get_filename_component(name ${h} NAME)
  if(NOT name STREQUAL "XelAdvancedMathematics.h" AND NOT umbrella MATCHES "#include \"${name}\"")
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "XelAdvancedMathematics.h does not include: ${missing}")
endif()
